#include "cli/SalvageSession.h"

#include "cli/BrowseTree.h"
#include "cli/Command.h"
#include "cli/RecoverProgress.h"
#include "engine/request/RequestQueue.h"
#include "platform/Terminal.h"

#include <chrono>
#include <ostream>

namespace vantrel::cli {

namespace {

using namespace std::chrono_literals;

// Handles one request from the worker on this thread; the answer of a question, if any,
// goes into *answer.
// Log lines about another node than the run's own say which one.
void Handle(const UiRequest& request, const RecoverPolicy& policy, const std::u16string& runTarget,
            RecoverProgress& progress, std::ostream& err, int* answer) {
    switch (request.Message()) {
    case msg::kLogLine:
        // Analysis of each folder on the way would drown the useful lines.
        if (request.strings.size() == 2 && request.strings[1] != u"解析をしています") {
            progress.Clear();
            if (request.strings[0] != runTarget)
                err << PrintableName(request.strings[0]) << ": ";
            err << PrintableName(request.strings[1]) << "\n";
            progress.Redraw(true);
        }
        break;
    case msg::kSalvageStart:
        progress.Start(request.value);
        break;
    case msg::kSalvageFileStart:
        progress.File(PrintableName(request.text), request.value);
        break;
    case msg::kSalvageFileProgress:
        progress.Bytes(request.value);
        break;
    case msg::kSalvageRecovered:
        progress.FilesDone(request.value);
        break;
    case msg::kAskOverwrite:
    case msg::kAskSizeLimit:
    case msg::kAskContinueAfterFailure:
        progress.Clear();
        *answer = AnswerQuestion(policy, request, err);
        progress.Redraw(true);
        break;
    default:
        break;
    }
}

} // namespace

bool RunSalvageSession(SalvageJob& job, const RecoverPolicy& policy, ResultNode* node,
                       std::ostream& err) {
    RequestQueue queue;
    TreeItemRecord record(&queue, &queue);
    record.SetNode(node);
    RecoverProgress progress(err, StderrIsTerminal(), TerminalColumns());
    job.hashFiles = policy.hashFiles;
    if (!StartSalvage(record, job))
        return false;
    bool stopAsked = false;
    for (;;) {
        if (InterruptRequested() && !stopAsked) {
            // The worker notices it after the piece it is copying.
            stopAsked = true;
            record.SetJobState(kJobCancel);
            progress.Clear();
            err << "vantrel-cli: 中止しています…\n";
        }
        UiRequest* request = queue.Take(50ms);
        if (!request) {
            if (!record.WorkerRunning() && queue.Size() == 0)
                break;
            continue;
        }
        int answer = msg::kAnswerNone;
        {
            std::lock_guard payload(request->PayloadLock());
            Handle(*request, policy, node ? node->Name() : std::u16string{}, progress, err,
                   &answer);
            if (answer != msg::kAnswerNone)
                request->SetAnswer(answer);
        }
        // This thread is the only receiver, so it takes every pending count (log lines
        // are addressed to three lists).
        UiRequest::CompleteAll(request);
    }
    record.JoinWorker();
    progress.Clear();
    return true;
}

int SalvageExitCode(const SalvageSummary& s) {
    if (s.refused)
        return kExitUsage;
    if (s.failed != 0 || s.skipped != 0 || s.stopped || s.endedByAnswer ||
        s.foldersNotAnalysed != 0 || !s.manifestError.empty() || s.done != s.total)
        return kExitProblem;
    if (s.partial != 0 || s.cut != 0)
        return kExitPartial;
    return kExitOk;
}

} // namespace vantrel::cli
