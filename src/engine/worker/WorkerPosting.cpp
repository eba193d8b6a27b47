#include "engine/worker/WorkerPosting.h"

#include "engine/request/Messages.h"
#include "engine/request/ScanLock.h"
#include "engine/tree/ResultNode.h"
#include "platform/Utf.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

namespace vantrel {

namespace {

std::atomic<bool> detailMode{false};

std::mutex& ClockLock() {
    static std::mutex lock;
    return lock;
}

TickClock& Clock() {
    static TickClock clock;
    return clock;
}

std::uint64_t SteadyMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// Guarded by the scan lock.
std::uint64_t lastPositionTick = 0;

} // namespace

void SetDetailMode(bool on) {
    detailMode.store(on);
}

bool DetailMode() {
    return detailMode.load();
}

void SetWorkerTickClock(TickClock clock) {
    std::lock_guard lock(ClockLock());
    Clock() = std::move(clock);
}

std::uint64_t WorkerTick() {
    std::lock_guard lock(ClockLock());
    return Clock() ? Clock()() : SteadyMilliseconds();
}

void ResetPositionTick() {
    std::lock_guard lock(ScanLock());
    lastPositionTick = WorkerTick();
}

bool PositionMessageDue() {
    const std::uint64_t now = WorkerTick();
    // A clock that went back counts as due, so that progress never stalls.
    if (now < lastPositionTick || now - lastPositionTick >= kPositionIntervalMs) {
        lastPositionTick = now;
        return true;
    }
    return false;
}

void PostLog(TreeItemRecord& record, const std::u16string& text) {
    RequestSink* sink = record.Sink();
    if (!sink)
        return;
    const ResultNode* node = record.Node();
    PostLogLine(*sink, record.TreeWindow(), node ? node->Name() : std::u16string{}, text);
}

void PostLog(TreeItemRecord& record, const char* utf8Text) {
    PostLog(record, FromUtf8(utf8Text));
}

void PostWaiting(TreeItemRecord& record, std::uint32_t message, std::uint64_t value, void* pointer,
                 std::u16string text) {
    RequestSink* sink = record.Sink();
    if (!sink)
        return;
    UiRequest request(record.TreeWindow(), message, 1, true);
    request.value = value;
    request.pointer = pointer;
    request.text = std::move(text);
    PostAndWait(*sink, request);
}

void PostWorkerFinished(TreeItemRecord& record) {
    RequestSink* sink = record.Sink();
    if (!sink)
        return;
    auto request = std::make_unique<UiRequest>(record.TreeWindow(), msg::kScanFinished, 1, false);
    request->pointer = &record;
    PostAndForget(*sink, std::move(request));
}

std::u16string ReadErrorText(std::uint64_t lba) {
    return FromUtf8("読み込みエラーが発生しました(LBA:" + std::to_string(lba) + ")");
}

std::u16string EndLineText(const char* utf8Text, int jobState) {
    std::u16string text = FromUtf8(utf8Text);
    if (DetailMode()) {
        text += u"(";
        text += JobStateWord(jobState);
        text += u")";
    }
    return text;
}

} // namespace vantrel
