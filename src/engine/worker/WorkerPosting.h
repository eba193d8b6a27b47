#pragma once

// What every worker shares: detail mode, the tick of the last position message, and the
// posting of log lines and other messages to the tree item's sink.

#include "engine/request/TreeItemRecord.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

// Detail mode: the workers' end lines then carry the final job state.
void SetDetailMode(bool on);
bool DetailMode();

// Milliseconds of a monotonic clock; tests replace it (null restores the real one).
using TickClock = std::function<std::uint64_t()>;
void SetWorkerTickClock(TickClock clock);
std::uint64_t WorkerTick();

// Position messages are posted at most this often.
inline constexpr std::uint64_t kPositionIntervalMs = 50;

// Sets the process-wide tick of the last position message to now (a worker starting).
// Takes the scan lock.
void ResetPositionTick();
// True, with the tick moved to now, when a position message is due. The caller holds the
// scan lock.
bool PositionMessageDue();

// One log line [name of the record's node, text], waiting until the three log lists
// have it.
void PostLog(TreeItemRecord& record, const std::u16string& text);
void PostLog(TreeItemRecord& record, const char* utf8Text);

// A message to the record's tree window that the worker waits for.
void PostWaiting(TreeItemRecord& record, std::uint32_t message, std::uint64_t value,
                 void* pointer = nullptr, std::u16string text = {});
// 0x47D: the worker has finished with the item (not waited for).
void PostWorkerFinished(TreeItemRecord& record);

// "読み込みエラーが発生しました(LBA:n)".
std::u16string ReadErrorText(std::uint64_t lba);
// text, and in detail mode "(", the job state's word and ")".
std::u16string EndLineText(const char* utf8Text, int jobState);

} // namespace vantrel
