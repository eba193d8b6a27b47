#pragma once

// The condition code the file list shows in its "状態" column.

#include <cstdint>

namespace vantrel {

class FileEntry;

enum FileCondition : int {
    kConditionEmpty = 0,    // size 0
    kConditionNtfs = 1,     // every NTFS file
    kConditionVeryGood = 2, // live, extent sound
    kConditionGood = 3,     // deleted, extent sound; carved
    kConditionFair = 4,     // live, extent doubtful
    kConditionPoor = 5,     // deleted, doubtful, clean slack after the data
    kConditionVeryPoor = 6, // deleted, doubtful, dirty slack; size beyond the extent
};

// UTF-8 word for a code; "不明" for any other value.
const char* FileConditionText(int code);

int RateCondition(FileEntry& entry);
// True when some of the file's sectors lie past the end of its window (an image cut
// short): they can never be read, whatever the file system says.
bool DataPastWindowEnd(const FileEntry& entry);
// True when the bytes after the end of data in the file's last sector are all zero (or
// the size ends on a sector boundary); false when one is not or the sector cannot be read.
bool TailIsClean(FileEntry& entry);

} // namespace vantrel
