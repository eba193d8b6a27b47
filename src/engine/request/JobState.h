#pragma once

// The state of the job of a tree item's worker; the tree changes it to pause or stop the
// worker, the worker sets it at its start and end.

#include <string_view>

namespace vantrel {

enum JobState : int {
    kJobNone = 0,
    kJobRunning = 1, // a worker is running
    kJobPaused = 2,  // the user is being asked whether to stop
    kJobCancel = 3,  // stop requested
    kJobDone = 4,    // the work completed
    kJobFailed = 5,  // the worker ended without completing
};

// "実行中", "待機中", "キャンセル", "正常終了", "失敗"; "不明" for any other value.
std::u16string_view JobStateWord(int state);

// Worker procedures return 0 when the work completed, -1 otherwise.
inline constexpr int kWorkerExitDone = 0;
inline constexpr int kWorkerExitFailed = -1;

} // namespace vantrel
