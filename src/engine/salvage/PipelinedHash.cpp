#include "engine/salvage/PipelinedHash.h"

namespace vantrel {

PipelinedHash::PipelinedHash(std::uint64_t totalBytes, std::size_t pieceBytes,
                             std::vector<std::uint8_t>& storage)
    : pieceBytes_(pieceBytes), buffers_(totalBytes >= kThreadBytes ? kRingBuffers : 1) {
    if (storage.size() < buffers_ * pieceBytes_)
        storage.resize(buffers_ * pieceBytes_);
    storage_ = storage.data();
    if (buffers_ > 1)
        worker_ = std::thread([this] { Work(); });
}

PipelinedHash::~PipelinedHash() {
    if (!worker_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    added_.notify_one();
    worker_.join();
}

std::uint8_t* PipelinedHash::NextBuffer() {
    if (!worker_.joinable())
        return storage_;
    std::unique_lock lock(mutex_);
    hashed_.wait(lock, [this] { return addedCount_ - hashedCount_ < buffers_; });
    return storage_ + (addedCount_ % buffers_) * pieceBytes_;
}

void PipelinedHash::Add(std::size_t size) {
    if (!worker_.joinable()) {
        hash_.Update(storage_, size);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        sizes_[addedCount_ % buffers_] = size;
        ++addedCount_;
    }
    added_.notify_one();
}

std::string PipelinedHash::FinishHex() {
    if (worker_.joinable()) {
        std::unique_lock lock(mutex_);
        hashed_.wait(lock, [this] { return hashedCount_ == addedCount_; });
    }
    return hash_.FinishHex();
}

void PipelinedHash::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        added_.wait(lock, [this] { return hashedCount_ < addedCount_ || stop_; });
        if (stop_)
            return; // finished, or the file was abandoned: what is left is not needed
        const std::size_t slot = hashedCount_ % buffers_;
        const std::size_t size = sizes_[slot];
        lock.unlock();
        hash_.Update(storage_ + slot * pieceBytes_, size);
        lock.lock();
        ++hashedCount_;
        hashed_.notify_one();
    }
}

} // namespace vantrel
