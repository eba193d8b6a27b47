#pragma once

// Files whose data lies partly in sectors the disk could not give: the areas a rescue
// map marks as not read. Such data reads as failed sectors (zero-filled when salvaged),
// so the list shows how much of the file is missing and rates it accordingly.

#include <cstdint>

namespace vantrel {

class FileEntry;

// Bytes of the file's data (up to its size) in sectors that were not read.
std::uint64_t UnreadDataBytes(const FileEntry& entry);

// Stores UnreadDataBytes in the entry; a file with unread data is rated 悪い at best.
void NoteUnreadData(FileEntry& entry);

} // namespace vantrel
