#include "engine/worker/ScanWorker.h"

#include "engine/request/Messages.h"
#include "engine/request/ScanLock.h"
#include "engine/tree/ScanResultNode.h"
#include "engine/worker/WorkerPosting.h"
#include "platform/Utf.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace vantrel {

namespace {

constexpr std::size_t kMethodNameLimit = 260;

class ScanRun {
public:
    explicit ScanRun(TreeItemRecord& record) : record_(record) {}

    int Run() {
        record_.SetJobState(kJobRunning);
        PostLog(record_, "スキャンを開始しました");
        ResetPositionTick();
        node_ = record_.Node();
        if (node_)
            Scan();
        record_.ChangeJobState(kJobRunning, kJobFailed);
        PostLog(record_, EndLineText("スキャンは終了しました", record_.GetJobState()));
        PostWaiting(record_, msg::kShowScreen, msg::kScreenBrowse);
        PostWorkerFinished(record_);
        return exitCode_;
    }

private:
    void Scan() {
        std::u16string method = node_->MethodName();
        if (method.size() > kMethodNameLimit)
            method.resize(kMethodNameLimit);
        PostLog(record_, method + u"を使用します");
        for (const std::u16string& note : node_->TakeNotes())
            PostLog(record_, note);
        bad_ = node_->BadSectors();
        if (!bad_)
            return;
        total_ = node_->RangeLength();
        PostWaiting(record_, msg::kShowScreen, msg::kScreenScan);
        PostWaiting(record_, msg::kProgressStart, total_ - 1);
        Phase("ファイルシステムを検出しています");
        if (total_ != 0 &&
            !RunPhase(&ResultNode::SearchStep, false, "ファイルシステムの検出に失敗しました"))
            return;
        PostWaiting(record_, msg::kProgressStart, total_ - 1);
        Phase("ファイル/フォルダを検出しています");
        if (total_ != 0 &&
            !RunPhase(&ResultNode::DetectStep, true, "ファイル/フォルダの検出に失敗しました"))
            return;
        PostWaiting(record_, msg::kProgressPosition, total_ - 1);
        Phase("フォルダを再構成しています");
        Reconstruct();
    }

    void Phase(const char* text) {
        const std::u16string phase = FromUtf8(text);
        PostWaiting(record_, msg::kPhaseText, 0, nullptr, phase);
        PostLog(record_, phase);
    }

    // Steps until the phase is complete; false when stopped or failed.
    bool RunPhase(StepResult (ResultNode::*step)(), bool postFiles, const char* failure) {
        for (;;) {
            if (record_.StopRequested()) {
                if (postFiles) {
                    if (auto* scan = dynamic_cast<ScanResultNode*>(node_)) {
                        std::lock_guard lock(ScanLock());
                        scan->DetectStopped();
                    }
                    PostFoundFiles(true);
                }
                return false;
            }
            StepResult p = 0;
            {
                std::lock_guard lock(ScanLock());
                p = (node_->*step)();
            }
            LogNewBadSectors();
            {
                std::lock_guard lock(ScanLock());
                // A step that completes answers all ones, which is no position: the bar
                // stops at its maximum.
                if (p != kStepFailed && PositionMessageDue())
                    PostWaiting(record_, msg::kProgressPosition, std::min(p, total_) - 1);
            }
            const bool ends = p == kStepFailed || p >= total_;
            if (postFiles)
                PostFoundFiles(ends);
            if (p == kStepFailed) {
                PostLog(record_, failure);
                return false;
            }
            if (ends)
                return true;
        }
    }

    // After a detection step that found something, at most every 50 ms, and once more
    // when detection ends so that the screen ends up showing every file. A round trip to
    // the user interface per 28 KiB chunk would otherwise cost more than reading it.
    void PostFoundFiles(bool phaseEnds) {
        const std::size_t files = node_->FileCount();
        const std::size_t folders = node_->ChildCount();
        if (files == postedFiles_ && folders == postedFolders_)
            return;
        const std::uint64_t now = WorkerTick();
        if (!phaseEnds && now >= foundFilesTick_ && now - foundFilesTick_ < kPositionIntervalMs)
            return;
        foundFilesTick_ = now;
        postedFiles_ = files;
        postedFolders_ = folders;
        PostWaiting(record_, msg::kFoundFiles, 0, FilesOf(*node_));
    }

    void LogNewBadSectors() {
        const auto& lbas = bad_->Lbas();
        for (; logged_ < lbas.size(); ++logged_)
            PostLog(record_, ReadErrorText(lbas[logged_]));
    }

    // The method's finishing work (naming carved files), step by step so that a stop
    // request is noticed; its notes are logged when it is done.
    void Finish(ScanResultNode& scan) {
        while (!record_.StopRequested()) {
            std::lock_guard lock(ScanLock());
            const StepResult q = scan.FinishStep();
            if (q == kStepComplete || q == kStepFailed)
                break;
        }
        std::vector<std::u16string> notes;
        {
            std::lock_guard lock(ScanLock());
            notes = scan.TakeNotes();
        }
        for (const std::u16string& note : notes)
            PostLog(record_, note);
    }

    void Reconstruct() {
        auto* scan = dynamic_cast<ScanResultNode*>(node_);
        if (scan)
            Finish(*scan);
        if (scan) {
            std::lock_guard lock(ScanLock());
            scan->MergeDuplicates();
        }
        while (!record_.StopRequested()) {
            StepResult q = kStepComplete;
            if (scan) {
                std::lock_guard lock(ScanLock());
                q = scan->ReconstructStep();
            }
            if (q == kStepComplete) {
                // A stop asked for after the last test keeps its state; the work is done.
                record_.ChangeJobState(kJobRunning, kJobDone);
                exitCode_ = kWorkerExitDone;
                return;
            }
            if (q == kStepFailed) {
                PostLog(record_, "フォルダの再構成に失敗しました");
                return;
            }
        }
    }

    static void* FilesOf(ResultNode& node) {
        return const_cast<ResultNode::FileList*>(&node.Files());
    }

    TreeItemRecord& record_;
    ResultNode* node_ = nullptr;
    BadSectorList* bad_ = nullptr;
    std::uint64_t total_ = 0;
    std::size_t logged_ = 0;
    std::size_t postedFiles_ = 0;
    std::size_t postedFolders_ = 0;
    std::uint64_t foundFilesTick_ = 0;
    int exitCode_ = kWorkerExitFailed;
};

} // namespace

int ScanWorker(TreeItemRecord& record) {
    return ScanRun(record).Run();
}

bool StartScanWorker(TreeItemRecord& record) {
    return record.StartWorker(ScanWorker);
}

} // namespace vantrel
