#pragma once

// A request sink that queues requests for one consumer thread, which takes them in the
// order posted. The CLI's main loop and the tests receive through it.

#include "engine/request/RequestSink.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace vantrel {

class RequestQueue : public RequestSink {
public:
    RequestQueue() = default;
    ~RequestQueue() override;
    RequestQueue(const RequestQueue&) = delete;
    RequestQueue& operator=(const RequestQueue&) = delete;

    bool Post(UiRequest* request) override;

    // Next request, waiting at most timeout; null when none came or the queue is closed
    // and empty.
    UiRequest* Take(std::chrono::milliseconds timeout);
    // Refuses later posts and completes every queued request, so that no sender is left
    // waiting for a receiver that will never come.
    void Close();
    bool Closed() const;
    std::size_t Size() const;

private:
    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<UiRequest*> queue_;
    bool closed_ = false;
};

} // namespace vantrel
