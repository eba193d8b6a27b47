#pragma once

// The scan worker: drives the scan method of a "スキャン結果" node through its three
// phases (file-system search, file and folder detection, folder reconstruction),
// reporting to the item's sink. Runs on the item's worker thread.
//
// Messages, all to the record's tree window and waited for unless marked:
//   0x474 log lines; 0x479 value 3 at the start, 2 at the end (scanning, then browse
//   screen); 0x46E value = range length - 1 at the start of each scan phase; 0x46F value
//   = position - 1, at most every 50 ms (posted under the scan lock); 0x487 the phase
//   text; 0x470 pointer = the node's files list after a detection step that found files
//   or folders, at most every 50 ms and always when detection ends; 0x47D pointer = the
//   record at the end (not waited for).

#include "engine/request/TreeItemRecord.h"

namespace vantrel {

// Returns 0 when the scan completed (job state 4), -1 otherwise (state 3 when stopped,
// 5 when a phase failed or the node has no method).
int ScanWorker(TreeItemRecord& record);

// Starts ScanWorker on the record's worker thread.
bool StartScanWorker(TreeItemRecord& record);

} // namespace vantrel
