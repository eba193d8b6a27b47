#include "cli/ScanRecovery.h"

#include "cli/RecoverProgress.h"
#include "cli/RecoverQuestions.h"
#include "cli/ScanConsole.h"
#include "engine/request/Messages.h"
#include "engine/request/RequestQueue.h"
#include "engine/salvage/SalvageWorker.h"
#include "engine/tree/FileEntry.h"
#include "engine/tree/ResultNode.h"
#include "platform/Terminal.h"
#include "platform/Utf.h"

#include <ctime>
#include <ostream>

namespace vantrel::cli {

namespace {

using namespace std::chrono_literals;

bool IsQuestion(std::uint32_t message) {
    return message == msg::kAskOverwrite || message == msg::kAskContinueAfterFailure ||
           message == msg::kAskSizeLimit;
}

void Handle(UiRequest& request, const RecoverPolicy& policy, RecoverProgress& progress,
            std::ostream& err) {
    switch (request.Message()) {
    case msg::kLogLine:
        if (request.strings.size() == 2) {
            progress.Clear();
            err << ScanConsole::LogLine(static_cast<std::int64_t>(std::time(nullptr)),
                                        request.strings[0], request.strings[1])
                << "\n";
        }
        break;
    case msg::kSalvageStart:
        progress.Start(request.value);
        break;
    case msg::kSalvageFileStart: {
        const auto* entry = static_cast<const FileEntry*>(request.pointer);
        progress.File(ToUtf8(request.text), entry ? entry->size : 0);
        break;
    }
    case msg::kSalvageFileProgress:
        progress.Bytes(request.value);
        break;
    case msg::kSalvageRecovered:
        progress.FilesDone(request.value);
        break;
    default:
        if (IsQuestion(request.Message())) {
            progress.Clear();
            request.SetAnswer(AnswerQuestion(policy, request, err));
        }
        break;
    }
}

} // namespace

ScanRecoveryResult RecoverScanResults(ResultNode& area, const std::string& sourcePath,
                                      const std::string& destination, bool allowImageFileSystem,
                                      std::ostream& err) {
    SalvageJob job;
    job.destination = destination;
    job.sourcePath = sourcePath;
    job.allowSourceImageFileSystem = allowImageFileSystem;
    job.writeManifest = true;
    for (const auto& folder : area.Children())
        job.items.push_back({nullptr, nullptr, folder.get(), {}});
    for (const auto& file : area.Files())
        job.items.push_back({file.get(), &area, nullptr, {}});

    RecoverPolicy policy;
    policy.terminal = StdinIsTerminal();
    RecoverProgress progress(err, StderrIsTerminal(), TerminalColumns());
    RequestQueue queue;
    TreeItemRecord record(&queue, nullptr);
    record.SetNode(&area);
    ScanRecoveryResult result;
    if (!StartSalvage(record, job))
        return result;
    bool stopAsked = false;
    for (;;) {
        if (!stopAsked && InterruptRequested()) {
            stopAsked = true;
            record.ChangeJobState(kJobRunning, kJobCancel);
        }
        UiRequest* request = queue.Take(100ms);
        if (!request) {
            if (!record.WorkerRunning())
                break;
            continue;
        }
        const bool logLine = request->Message() == msg::kLogLine;
        {
            std::lock_guard payload(request->PayloadLock());
            Handle(*request, policy, progress, err);
        }
        if (logLine)
            UiRequest::CompleteAll(request);
        else
            UiRequest::Complete(request);
    }
    record.JoinWorker();
    progress.Clear();
    const SalvageSummary& summary = job.summary;
    result.ran = !summary.refused;
    result.ok = summary.ok + summary.cut;
    result.failed = summary.failed;
    result.skipped = summary.skipped;
    result.stopped = summary.stopped;
    result.refusal = summary.refusal;
    return result;
}

} // namespace vantrel::cli
