#include "engine/worker/AnalysisWorker.h"

#include "engine/request/ScanLock.h"
#include "engine/settings/ScanSettings.h"
#include "engine/tree/ResultNode.h"
#include "engine/worker/WorkerPosting.h"

#include <mutex>

namespace vantrel {

namespace {

// deep: down to the settings' analysis depth, and nothing without settings.
int RunAnalysis(TreeItemRecord& record, bool deep) {
    int exitCode = kWorkerExitFailed;
    record.SetJobState(kJobRunning);
    PostLog(record, "解析を開始しました");
    ResetPositionTick();
    ResultNode* node = record.Node();
    const ScanSettings* settings = record.Settings();
    if (node && (!deep || settings)) {
        const int depth = deep ? settings->analysisDepth : 0;
        if (AnalyseTree(record, *node, depth)) {
            record.ChangeJobState(kJobRunning, kJobDone);
            exitCode = kWorkerExitDone;
        }
    }
    record.ChangeJobState(kJobRunning, kJobFailed);
    PostLog(record, EndLineText("解析は終了しました", record.GetJobState()));
    // A stopped analysis posts no end message: the tree that stopped it is waiting for
    // the thread, not for the message.
    if (!record.StopRequested())
        PostWorkerFinished(record);
    return exitCode;
}

} // namespace

bool AnalyseTree(TreeItemRecord& record, ResultNode& node, int depth) {
    if (!node.IsAnalysed()) {
        PostLog(record, "解析をしています");
        for (;;) {
            if (record.StopRequested())
                return false;
            StepResult s = kStepFailed;
            {
                std::lock_guard lock(ScanLock());
                s = node.AnalyseStep();
            }
            for (const std::u16string& note : node.TakeNotes())
                PostLog(record, note);
            if (s == kStepComplete)
                break;
            if (s == kStepFailed) {
                PostLog(record, "解析に失敗しました");
                return false;
            }
        }
    }
    if (depth < 1)
        return true;
    for (std::size_t i = 0; i < node.ChildCount(); ++i) {
        if (record.StopRequested())
            return false;
        ResultNode* child = node.Child(i);
        if (child && !AnalyseTree(record, *child, depth - 1))
            return false;
    }
    return true;
}

int FolderAnalysisWorker(TreeItemRecord& record) {
    return RunAnalysis(record, false);
}

int DeepAnalysisWorker(TreeItemRecord& record) {
    return RunAnalysis(record, true);
}

bool StartFolderAnalysisWorker(TreeItemRecord& record) {
    return record.StartWorker(FolderAnalysisWorker);
}

bool StartDeepAnalysisWorker(TreeItemRecord& record) {
    return record.StartWorker(DeepAnalysisWorker);
}

} // namespace vantrel
