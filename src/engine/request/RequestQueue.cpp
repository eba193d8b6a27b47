#include "engine/request/RequestQueue.h"

namespace vantrel {

RequestQueue::~RequestQueue() {
    Close();
}

bool RequestQueue::Post(UiRequest* request) {
    if (!request)
        return false;
    {
        std::lock_guard lock(lock_);
        if (closed_)
            return false;
        queue_.push_back(request);
    }
    arrived_.notify_one();
    return true;
}

UiRequest* RequestQueue::Take(std::chrono::milliseconds timeout) {
    std::unique_lock lock(lock_);
    arrived_.wait_for(lock, timeout, [this] { return !queue_.empty() || closed_; });
    if (queue_.empty())
        return nullptr;
    UiRequest* request = queue_.front();
    queue_.pop_front();
    return request;
}

void RequestQueue::Close() {
    std::deque<UiRequest*> left;
    {
        std::lock_guard lock(lock_);
        closed_ = true;
        left.swap(queue_);
    }
    arrived_.notify_all();
    for (UiRequest* request : left)
        UiRequest::CompleteAll(request);
}

bool RequestQueue::Closed() const {
    std::lock_guard lock(lock_);
    return closed_;
}

std::size_t RequestQueue::Size() const {
    std::lock_guard lock(lock_);
    return queue_.size();
}

} // namespace vantrel
