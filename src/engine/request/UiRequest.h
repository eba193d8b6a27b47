#pragma once

// The heap record carried by every cross-thread and window-to-window message.
//
// Life of a request: the sender creates it with target, message, initial count and the
// waits flag, fills the payload and posts it (PostRequest sets the pending count to the
// initial count). Each receiver calls Complete when done. A sender that waits blocks in
// WaitUntilComplete until the count is 0 and then deletes the request itself; otherwise
// the receiver whose Complete brings the count to 0 deletes it.

#include "engine/request/Messages.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel {

class UiRequest {
public:
    UiRequest(void* target, msg::MessageId message, int initialCount = 1, bool senderWaits = false);
    ~UiRequest() = default;
    UiRequest(const UiRequest&) = delete;
    UiRequest& operator=(const UiRequest&) = delete;

    // The window (or other receiver) the request is meant for; opaque to the engine.
    void* Target() const { return target_; }
    msg::MessageId Message() const { return message_; }

    // Guarded by the waits lock.
    bool SenderWaits() const;
    int InitialCount() const;
    void SetSenderWaits(bool waits);
    void SetInitialCount(int count);

    // Guarded by the count lock.
    int PendingCount() const;

    // Payload. Senders fill it before posting; receivers that share a request with other
    // receivers (log lines go to three lists) take PayloadLock() while reading it.
    std::mutex& PayloadLock() { return payloadLock_; }
    std::uint64_t value = 0;
    void* pointer = nullptr;
    std::u16string text;
    std::vector<std::u16string> strings;
    std::vector<std::int64_t> integers;
    // results[0] carries a dialog's answer back; questions are created with it at -1.
    std::vector<std::int64_t> results;

    // First result, or -1 when none was stored.
    int Answer() const;
    void SetAnswer(int answer);

    // Sender side, called by PostRequest while the posting lock is held.
    std::mutex& PostingLock() { return postingLock_; }
    void ArmPendingCount();

    // Receiver side: one receiver is done. Never takes the count below 0. Returns true
    // when this call deleted the request (the caller must not touch it any more).
    static bool Complete(UiRequest* request);
    // Completes for every receiver still pending (used when a queue shuts down, so a
    // waiting sender wakes instead of waiting for ever). Same deletion rule.
    static bool CompleteAll(UiRequest* request);

    // Waiting sender: blocks until the pending count is 0.
    void WaitUntilComplete();
    bool WaitUntilComplete(std::chrono::milliseconds timeout);

private:
    static bool CompleteCount(UiRequest* request, bool all);

    void* const target_;
    const msg::MessageId message_;

    mutable std::mutex waitsLock_; // waits flag and initial count
    bool senderWaits_;
    int initialCount_;

    std::mutex payloadLock_;
    std::mutex postingLock_;

    mutable std::mutex countLock_;
    std::condition_variable countZero_;
    int pendingCount_ = 0;
};

} // namespace vantrel
