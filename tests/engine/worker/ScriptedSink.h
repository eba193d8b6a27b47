#pragma once

// A request sink for worker tests: one receiver thread takes every request, records it,
// runs the test's hook on it (as the user interface would react) and completes it.

#include "engine/request/RequestQueue.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::testing {

struct ReceivedRequest {
    std::uint32_t message = 0;
    std::uint64_t value = 0;
    void* pointer = nullptr;
    std::u16string text;
    std::vector<std::u16string> strings;
    bool senderWaits = false;
};

class ScriptedSink : public RequestSink {
public:
    using Hook = std::function<void(const ReceivedRequest&)>;

    ScriptedSink();
    ~ScriptedSink() override;

    bool Post(UiRequest* request) override { return queue_.Post(request); }

    // Runs on the receiver thread before the request is completed.
    void SetHook(Hook hook);
    std::vector<ReceivedRequest> Received() const;
    // The texts of the log lines (second string of each 0x474), UTF-8.
    std::vector<std::string> LogTexts() const;
    std::vector<ReceivedRequest> Messages(std::uint32_t message) const;
    // Waits until a log line with this text has been received; false after 5 s.
    bool WaitForLog(const std::string& text);
    // Waits until `count` requests with this message have been received; false after 5 s.
    // A request posted without waiting (the worker's last) may still be queued when the
    // worker has been joined.
    bool WaitForMessage(std::uint32_t message, std::size_t count = 1);

private:
    void Receive();

    RequestQueue queue_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<ReceivedRequest> received_;
    Hook hook_;
    bool stopping_ = false;
    std::thread receiver_;
};

} // namespace vantrel::testing
