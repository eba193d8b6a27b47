#include "ScriptedSink.h"

#include "engine/request/Messages.h"
#include "platform/Utf.h"

#include <algorithm>

namespace vantrel::testing {

using namespace std::chrono_literals;

ScriptedSink::ScriptedSink() : receiver_([this] { Receive(); }) {}

ScriptedSink::~ScriptedSink() {
    {
        std::lock_guard lock(lock_);
        stopping_ = true;
    }
    receiver_.join();
    queue_.Close();
}

void ScriptedSink::SetHook(Hook hook) {
    std::lock_guard lock(lock_);
    hook_ = std::move(hook);
}

void ScriptedSink::Receive() {
    for (;;) {
        UiRequest* request = queue_.Take(10ms);
        if (!request) {
            std::lock_guard lock(lock_);
            if (stopping_)
                return;
            continue;
        }
        ReceivedRequest copy;
        {
            std::lock_guard payload(request->PayloadLock());
            copy = {request->Message(), request->value,   request->pointer,
                    request->text,      request->strings, request->SenderWaits()};
        }
        Hook hook;
        {
            std::lock_guard lock(lock_);
            received_.push_back(copy);
            hook = hook_;
        }
        changed_.notify_all();
        if (hook)
            hook(copy);
        UiRequest::CompleteAll(request);
    }
}

std::vector<ReceivedRequest> ScriptedSink::Received() const {
    std::lock_guard lock(lock_);
    return received_;
}

std::vector<std::string> ScriptedSink::LogTexts() const {
    std::vector<std::string> texts;
    for (const ReceivedRequest& request : Received())
        if (request.message == msg::kLogLine && request.strings.size() == 2)
            texts.push_back(ToUtf8(request.strings[1]));
    return texts;
}

std::vector<ReceivedRequest> ScriptedSink::Messages(std::uint32_t message) const {
    std::vector<ReceivedRequest> found;
    for (const ReceivedRequest& request : Received())
        if (request.message == message)
            found.push_back(request);
    return found;
}

bool ScriptedSink::WaitForLog(const std::string& text) {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, 5s, [&] {
        return std::any_of(received_.begin(), received_.end(), [&](const ReceivedRequest& r) {
            return r.message == msg::kLogLine && r.strings.size() == 2 &&
                   ToUtf8(r.strings[1]) == text;
        });
    });
}

bool ScriptedSink::WaitForMessage(std::uint32_t message, std::size_t count) {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, 5s, [&] {
        return static_cast<std::size_t>(
                   std::count_if(received_.begin(), received_.end(), [&](const ReceivedRequest& r) {
                       return r.message == message;
                   })) >= count;
    });
}

} // namespace vantrel::testing
