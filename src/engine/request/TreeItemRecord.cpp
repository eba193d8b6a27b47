#include "engine/request/TreeItemRecord.h"

#include <system_error>

namespace vantrel {

TreeItemRecord::~TreeItemRecord() {
    // A record never outlives its worker: ask it to stop and wait for it.
    SetJobState(kJobCancel);
    JoinWorker();
}

void TreeItemRecord::SetSink(RequestSink* sink, void* treeWindow) {
    sink_ = sink;
    treeWindow_ = treeWindow;
}

ResultNode* TreeItemRecord::Node() const {
    std::lock_guard lock(recordLock_);
    return node_;
}

void TreeItemRecord::SetNode(ResultNode* node) {
    std::lock_guard lock(recordLock_);
    node_ = node;
}

int TreeItemRecord::GetJobState() const {
    std::lock_guard lock(stateLock_);
    return jobState_;
}

void TreeItemRecord::SetJobState(int state) {
    {
        std::lock_guard lock(stateLock_);
        jobState_ = state;
    }
    stateChanged_.notify_all();
}

bool TreeItemRecord::ChangeJobState(int expected, int state) {
    {
        std::lock_guard lock(stateLock_);
        if (jobState_ != expected)
            return false;
        jobState_ = state;
    }
    stateChanged_.notify_all();
    return true;
}

bool TreeItemRecord::StopRequested() const {
    std::unique_lock lock(stateLock_);
    stateChanged_.wait(lock, [this] { return jobState_ != kJobPaused; });
    return jobState_ == kJobCancel;
}

bool TreeItemRecord::StartWorker(std::function<int(TreeItemRecord&)> body) {
    std::unique_lock lock(recordLock_);
    if (workerRunning_)
        return false;
    if (worker_.joinable()) {
        // The previous worker has returned; collect its thread before starting anew.
        std::thread ended = std::move(worker_);
        lock.unlock();
        ended.join();
        lock.lock();
    }
    workerRunning_ = true;
    try {
        // The new thread first takes the record lock, which is held here until the thread
        // object is stored: the thread starts "suspended" until then.
        worker_ = std::thread([this, run = std::move(body)] {
            { std::lock_guard started(recordLock_); }
            const int code = run(*this);
            std::lock_guard ended(recordLock_);
            exitCode_ = code;
            workerRunning_ = false;
        });
    } catch (const std::system_error&) {
        workerRunning_ = false;
        return false;
    }
    return true;
}

bool TreeItemRecord::WorkerRunning() const {
    std::lock_guard lock(recordLock_);
    return workerRunning_;
}

int TreeItemRecord::ExitCode() const {
    std::lock_guard lock(recordLock_);
    return exitCode_;
}

int TreeItemRecord::JoinWorker() {
    std::thread ended;
    {
        std::lock_guard lock(recordLock_);
        if (!worker_.joinable())
            return exitCode_;
        ended = std::move(worker_);
    }
    ended.join();
    std::lock_guard lock(recordLock_);
    return exitCode_;
}

} // namespace vantrel
