#include "engine/salvage/PipelinedHash.h"

namespace vantrel {

PipelinedHash::PipelinedHash(std::uint64_t totalBytes) {
    if (totalBytes >= kThreadBytes)
        worker_ = std::thread([this] { Work(); });
}

PipelinedHash::~PipelinedHash() {
    if (!worker_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void PipelinedHash::WaitIdle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return !busy_; });
}

void PipelinedHash::Add(const std::uint8_t* data, std::size_t size) {
    if (!worker_.joinable()) {
        hash_.Update(data, size);
        return;
    }
    {
        std::unique_lock lock(mutex_);
        WaitIdle(lock);
        pending_ = data;
        pendingSize_ = size;
        busy_ = true;
    }
    changed_.notify_all();
}

std::string PipelinedHash::FinishHex() {
    if (worker_.joinable()) {
        std::unique_lock lock(mutex_);
        WaitIdle(lock);
    }
    return hash_.FinishHex();
}

void PipelinedHash::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || stop_; });
        if (!busy_)
            return; // stopped with nothing left to hash
        const std::uint8_t* data = pending_;
        const std::size_t size = pendingSize_;
        lock.unlock();
        hash_.Update(data, size);
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

} // namespace vantrel
