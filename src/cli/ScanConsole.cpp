#include "cli/ScanConsole.h"

#include "cli/BrowseTree.h"
#include "engine/request/Messages.h"
#include "engine/settings/ColumnText.h"
#include "engine/tree/ResultNode.h"
#include "platform/Terminal.h"
#include "platform/Utf.h"

#include <ctime>
#include <ostream>

namespace vantrel::cli {

namespace {

using namespace std::chrono_literals;

constexpr auto kRedrawInterval = 200ms;

std::int64_t Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace

ScanConsole::ScanConsole(std::ostream& err, bool live, int columns)
    : err_(err), live_(live), columns_(columns < 20 ? 80 : columns) {}

std::string ScanConsole::LogLine(std::int64_t now, const std::u16string& target,
                                 const std::u16string& text) {
    return ToUtf8(DateTimeText(now)) + "\t" + PrintableName(target) + "\t" + PrintableName(text);
}

std::string ScanConsole::ProgressLine() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - started_);
    const bool known = estimate_.EstimatedDuration() != RemainingTimeEstimate::kUnknownDuration;
    std::string line = phase_ + " " + std::to_string(position_) + "/" + std::to_string(total_) +
                       " 経過 " + ClockText(elapsed.count()) + " 残り " +
                       (known ? ClockText(estimate_.RemainingSeconds()) : std::string("--:--:--")) +
                       " ファイル " + std::to_string(files_) + " フォルダ " +
                       std::to_string(folders_);
    // Cut by characters, not bytes, so that no UTF-8 sequence is split.
    std::u16string wide = FromUtf8(line);
    const std::size_t limit = static_cast<std::size_t>(columns_ - 1) / 2;
    if (wide.size() > limit)
        wide.resize(limit);
    return ToUtf8(wide);
}

void ScanConsole::Clear() {
    if (live_ && shown_) {
        err_ << "\r\x1b[K";
        shown_ = false;
    }
}

void ScanConsole::Draw(bool force) {
    if (!live_ || phase_.empty())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && shown_ && now - lastDraw_ < kRedrawInterval)
        return;
    lastDraw_ = now;
    err_ << "\r\x1b[K" << ProgressLine() << std::flush;
    shown_ = true;
}

void ScanConsole::Handle(UiRequest& request, const ResultNode& area) {
    switch (request.Message()) {
    case msg::kLogLine:
        if (request.strings.size() == 2) {
            Clear();
            err_ << LogLine(Now(), request.strings[0], request.strings[1]) << "\n" << std::flush;
        }
        break;
    case msg::kProgressStart:
        total_ = request.value + 1;
        position_ = 0;
        estimate_.Start(request.value);
        break;
    case msg::kProgressPosition:
        position_ = request.value + 1;
        estimate_.Update(request.value);
        break;
    case msg::kPhaseText:
        phase_ = ToUtf8(request.text);
        break;
    case msg::kFoundFiles:
        // The worker waits for this request, so its lists hold still while read here.
        if (request.pointer)
            files_ = static_cast<const ResultNode::FileList*>(request.pointer)->size();
        folders_ = area.ChildCount();
        break;
    default:
        break;
    }
    Draw(request.Message() == msg::kPhaseText);
}

void ScanConsole::Run(TreeItemRecord& record, RequestQueue& queue, const ResultNode& area) {
    started_ = std::chrono::steady_clock::now();
    for (;;) {
        if (!interrupted_ && InterruptRequested()) {
            interrupted_ = true;
            // Asks the worker to stop at its next stop test; what it found stays.
            record.ChangeJobState(kJobRunning, kJobCancel);
        }
        UiRequest* request = queue.Take(100ms);
        if (!request) {
            if (!record.WorkerRunning())
                break;
            Draw(false);
            continue;
        }
        const bool logLine = request->Message() == msg::kLogLine;
        // The worker's last message: waiting out the poll for it to end would cost up to
        // 100 ms on every scan.
        const bool finished = request->Message() == msg::kScanFinished;
        {
            std::lock_guard payload(request->PayloadLock());
            Handle(*request, area);
        }
        // A log line is meant for three lists; here one receiver stands for all of them.
        if (logLine)
            UiRequest::CompleteAll(request);
        else
            UiRequest::Complete(request);
        if (finished)
            break;
    }
    Clear();
    err_ << std::flush;
}

} // namespace vantrel::cli
