#pragma once

// The salvage worker: recovers a job's files and folders into its destination folder on
// the thread of a tree item's record, posting its progress, log lines and questions to
// the record's sink.
//
// Messages, all to the record's tree window:
//   0x479 value 5 at the start, value 2 at the end (show the salvage, then the browse
//         screen); 0x484 value = number of files; for each file copied 0x482 (pointer =
//         the FileEntry, text = its name) and 0x483 (value = bytes done, at most every
//         50 ms and once at the end); after each file 0x485 (pointer = the job's list of
//         recovered entries, value = files done, integers = {entries in that list when
//         posted}); at the end 0x488 (pointer = the job's summary, value = the final job
//         state) and 0x47D (pointer = the record).
//   0x474 log lines [node name, text].
//   Questions, each with results[0] = -1 as the answer slot and pointer = the FileEntry:
//   0x46A overwrite (text = the existing file's full path), 0x46C size limit (text = the
//   destination folder), 0x46B failure (text = what went wrong). Answers 6, 1000, 7, 2.
// 0x482 and 0x485 are posted ahead, at most kSalvageShownAhead of them unhandled at a
// time (the entries they point to live as long as the tree's nodes; the recovered list
// takes its own lock). 0x483 and 0x47D are not waited for. Every other message waits until it
// has been handled, and before it the run waits for those posted ahead.

#include "engine/request/TreeItemRecord.h"
#include "engine/salvage/SalvageJob.h"

#include <cstddef>

namespace vantrel {

// How many 0x482 and 0x485 may be posted and not yet handled: enough for the worker to go
// on copying small files while the window paints (about 10 ms under X11, the time of a
// few hundred small files), few enough that the window never lags far behind.
inline constexpr std::size_t kSalvageShownAhead = 1024;

// The thread procedure: runs the job and returns 0 when every item was gone through
// (job state 4), -1 otherwise (stopped: state 3; ended by an answer or refused: state 5).
int SalvageWorker(TreeItemRecord& record, SalvageJob& job);

// Starts SalvageWorker for the job on the record's worker thread. The job must live until
// the worker has ended.
bool StartSalvage(TreeItemRecord& record, SalvageJob& job);

} // namespace vantrel
