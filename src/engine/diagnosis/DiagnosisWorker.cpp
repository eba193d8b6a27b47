#include "engine/diagnosis/DiagnosisWorker.h"

#include "engine/request/Messages.h"
#include "engine/request/ScanLock.h"
#include "engine/worker/WorkerPosting.h"
#include "platform/Utf.h"

#include <mutex>

namespace vantrel {

namespace {

constexpr std::uint64_t kMapIntervalMs = 100;

} // namespace

std::u16string DiagnosisSummaryText(const DiskCheck& check) {
    const std::string text = "診断結果: 読み込めないセクタ " +
                             std::to_string(check.BadSectors().Size()) + " 個、低速なブロック " +
                             std::to_string(check.CountBlocks(BlockStatus::Slow)) +
                             " 個 (読み込んだ範囲 " + std::to_string(check.Position()) + " / " +
                             std::to_string(check.Length()) + " セクタ)";
    return FromUtf8(text);
}

int DiagnosisWorker(TreeItemRecord& record, DiskCheck& check) {
    record.SetJobState(kJobRunning);
    int exitCode = kWorkerExitFailed;
    PostWaiting(record, msg::kShowScreen, msg::kScreenDiagnosis);
    PostLog(record, "ディスクの診断を開始しました");
    std::size_t logged = 0;
    std::uint64_t lastMap = WorkerTick();
    PostWaiting(record, msg::kDiagnosisProgress, 0, &check);
    while (!check.Complete()) {
        if (record.StopRequested())
            break;
        {
            std::lock_guard lock(ScanLock());
            if (!check.Step())
                break;
        }
        const auto& bad = check.BadSectors().Lbas();
        for (; logged < bad.size(); ++logged)
            PostLog(record, ReadErrorText(bad[logged]));
        const std::uint64_t now = WorkerTick();
        if (now < lastMap || now - lastMap >= kMapIntervalMs) {
            lastMap = now;
            PostWaiting(record, msg::kDiagnosisProgress, 0, &check);
        }
    }
    if (check.Complete() && record.ChangeJobState(kJobRunning, kJobDone))
        exitCode = kWorkerExitDone;
    record.ChangeJobState(kJobRunning, kJobFailed);
    PostWaiting(record, msg::kDiagnosisProgress, 0, &check);
    PostLog(record, DiagnosisSummaryText(check));
    PostLog(record, EndLineText("ディスクの診断は終了しました", record.GetJobState()));
    PostWaiting(record, msg::kShowScreen, msg::kScreenBrowse);
    PostWorkerFinished(record);
    return exitCode;
}

bool StartDiagnosis(TreeItemRecord& record, DiskCheck& check) {
    return record.StartWorker(
        [&check](TreeItemRecord& self) { return DiagnosisWorker(self, check); });
}

} // namespace vantrel
