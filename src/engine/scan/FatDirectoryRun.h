#pragma once

// A run of directory entries met in raw sectors: the entries that look like directory
// slots from the run's first byte on, with long names attached. Only the bytes handed in
// are read, so a run that seems to go on past the chunk read stops at the chunk's end.

#include "fs/fat/FatDirEntry.h"
#include "platform/ByteReader.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace vantrel {

struct FatDirectoryRun {
    // Sub-directories other than "." and "..", and files, in slot order.
    std::vector<FatDirEntry> entries;
    // Byte offset of each entry's short slot from the start of the data, in step with
    // entries.
    std::vector<std::size_t> offsets;
    // Bytes of the run walked (whole slots); the scan moves past them.
    std::size_t bytesWalked = 0;
};

// True for an entry that cannot belong to the volume being scanned (its first cluster
// lies past the device); such an entry ends the run.
using EntryOutsideVolume = std::function<bool(const FatDirEntry&)>;

FatDirectoryRun WalkDirectoryRun(Bytes data, const EntryOutsideVolume& outside);

// What an entry met in raw sectors must also show to be taken, since file contents can
// look like a directory slot: a write date and time that are a calendar date and time,
// and a first cluster inside the volume (clusters 2 to clusterLimit - 1; none only for an
// empty file).
bool IsCredibleEntry(const FatDirEntry& entry, std::uint32_t clusterLimit);

} // namespace vantrel
