#include "engine/request/RequestSink.h"

namespace vantrel {

bool PostRequest(RequestSink& sink, UiRequest* request) {
    if (!request)
        return false;
    std::lock_guard posting(request->PostingLock());
    request->ArmPendingCount();
    return sink.Post(request);
}

bool PostAndForget(RequestSink& sink, std::unique_ptr<UiRequest> request) {
    if (!request)
        return false;
    request->SetSenderWaits(false);
    if (!PostRequest(sink, request.get()))
        return false;  // still ours: freed here
    request.release(); // the receiver that completes it last deletes it
    return true;
}

bool PostAndWait(RequestSink& sink, UiRequest& request) {
    request.SetSenderWaits(true);
    if (!PostRequest(sink, &request))
        return false;
    request.WaitUntilComplete();
    return true;
}

bool PostLogLine(RequestSink& sink, void* target, const std::u16string& nodeName,
                 const std::u16string& text) {
    auto request = std::make_unique<UiRequest>(target, msg::kLogLine, kLogReceivers, true);
    request->strings = {nodeName, text};
    return PostAndWait(sink, *request);
}

} // namespace vantrel
