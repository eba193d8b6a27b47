#pragma once

// Where workers post their requests. The desktop program's implementation turns each
// request into an event for the folder tree's window; the CLI's hands them to its main
// thread. Workers never see anything but this interface.

#include "engine/request/UiRequest.h"

#include <memory>
#include <string>

namespace vantrel {

class RequestSink {
public:
    virtual ~RequestSink() = default;

    // Hands the request to the receiver's thread and returns at once. The receiver calls
    // UiRequest::Complete later, never from inside Post (the sender still holds the
    // request's posting lock). False when the request could not be delivered (the
    // receiver is gone); the sender then still owns it.
    virtual bool Post(UiRequest* request) = 0;
};

// Arms the pending count and posts under the request's posting lock.
bool PostRequest(RequestSink& sink, UiRequest* request);

// Posts a request that the receivers delete; false (and the request deleted) when it
// could not be delivered.
bool PostAndForget(RequestSink& sink, std::unique_ptr<UiRequest> request);

// Posts with the waits flag set and blocks until every receiver has completed it. The
// caller keeps ownership and reads the answer afterwards. False when it was not delivered.
bool PostAndWait(RequestSink& sink, UiRequest& request);

// One log line: strings [node name, text], received by the three log lists, the sender
// waiting until all of them have it.
bool PostLogLine(RequestSink& sink, void* target, const std::u16string& nodeName,
                 const std::u16string& text);

// Log lines go to this many lists.
inline constexpr int kLogReceivers = 3;

} // namespace vantrel
