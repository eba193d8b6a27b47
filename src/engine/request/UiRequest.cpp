#include "engine/request/UiRequest.h"

namespace vantrel {

UiRequest::UiRequest(void* target, msg::MessageId message, int initialCount, bool senderWaits)
    : target_(target), message_(message), senderWaits_(senderWaits),
      initialCount_(initialCount < 1 ? 1 : initialCount) {}

bool UiRequest::SenderWaits() const {
    std::lock_guard lock(waitsLock_);
    return senderWaits_;
}

int UiRequest::InitialCount() const {
    std::lock_guard lock(waitsLock_);
    return initialCount_;
}

void UiRequest::SetSenderWaits(bool waits) {
    std::lock_guard lock(waitsLock_);
    senderWaits_ = waits;
}

void UiRequest::SetInitialCount(int count) {
    std::lock_guard lock(waitsLock_);
    initialCount_ = count < 1 ? 1 : count;
}

int UiRequest::PendingCount() const {
    std::lock_guard lock(countLock_);
    return pendingCount_;
}

int UiRequest::Answer() const {
    return results.empty() ? msg::kAnswerNone : static_cast<int>(results[0]);
}

void UiRequest::SetAnswer(int answer) {
    if (results.empty())
        results.push_back(answer);
    else
        results[0] = answer;
}

void UiRequest::ArmPendingCount() {
    const int initial = InitialCount();
    std::lock_guard lock(countLock_);
    pendingCount_ = initial;
}

bool UiRequest::Complete(UiRequest* request) {
    return CompleteCount(request, false);
}

bool UiRequest::CompleteAll(UiRequest* request) {
    return CompleteCount(request, true);
}

bool UiRequest::CompleteCount(UiRequest* request, bool all) {
    if (!request)
        return false;
    const bool waits = request->SenderWaits();
    {
        std::lock_guard lock(request->countLock_);
        if (request->pendingCount_ <= 0)
            return false; // an extra completion; whoever brought it to 0 already acted
        request->pendingCount_ = all ? 0 : request->pendingCount_ - 1;
        if (request->pendingCount_ != 0)
            return false;
        if (waits) {
            // Notified under the lock: the sender cannot return from its wait (and delete
            // the request) before this thread has let go of the count lock.
            request->countZero_.notify_all();
            return false;
        }
    }
    // The sender may still be inside its post call; wait for it to let go of the request.
    { std::lock_guard posting(request->postingLock_); }
    delete request;
    return true;
}

void UiRequest::WaitUntilComplete() {
    std::unique_lock lock(countLock_);
    countZero_.wait(lock, [this] { return pendingCount_ == 0; });
}

bool UiRequest::WaitUntilComplete(std::chrono::milliseconds timeout) {
    std::unique_lock lock(countLock_);
    return countZero_.wait_for(lock, timeout, [this] { return pendingCount_ == 0; });
}

} // namespace vantrel
