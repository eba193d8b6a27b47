#pragma once

// The diagnosis worker: runs a disk check on a tree item's worker thread, reporting to the
// item's sink like the other workers.
//
// Messages, all to the record's tree window and waited for unless marked:
//   0x479 value 4 at the start, 2 at the end (diagnosis, then browse screen);
//   0x474 log lines: the start, every unreadable sector once ("読み込みエラーが発生しまし
//         た(LBA:n)"), a summary and the end line;
//   0x491 pointer = the DiskCheck, at most every 100 ms and once at the end, so the screen
//         reads the map while the worker waits;
//   0x47D pointer = the record at the end (not waited for).

#include "engine/diagnosis/DiskCheck.h"
#include "engine/request/TreeItemRecord.h"

#include <string>

namespace vantrel {

// Returns 0 when the whole area was read (job state 4), -1 otherwise (3 when stopped).
int DiagnosisWorker(TreeItemRecord& record, DiskCheck& check);

// Starts DiagnosisWorker on the record's worker thread; check must be set up and live
// until the worker has ended.
bool StartDiagnosis(TreeItemRecord& record, DiskCheck& check);

// "診断結果: 読み込めないセクタ N 個、低速なブロック M 個 (読み込んだ範囲 P / T セクタ)".
std::u16string DiagnosisSummaryText(const DiskCheck& check);

} // namespace vantrel
