#pragma once

// Filling a FileEntry from a FAT directory entry: extents by following its clusters,
// display name, times (unknown when a date is no calendar date), deleted flag, size and
// condition.

#include "engine/tree/FileEntry.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatClusterChain.h"
#include "fs/fat/FatDirEntry.h"
#include "fs/fat/FatTime.h"

namespace vantrel {

// record.hiddenSectors must be the window LBA of the volume's boot sector. False when
// the window has no usable capacity, the FAT cannot be read or the name is unusable.
bool FillFatFileEntry(FileEntry& entry, CDiskWindow* window, const FatBootRecord& record,
                      const FatDirEntry& dirEntry);
// The same through a FAT reader that a folder's analysis keeps for all its entries, and
// a time converter when it has one.
bool FillFatFileEntry(FileEntry& entry, FatTable& table, const FatDirEntry& dirEntry,
                      FatTimeConverter* times = nullptr);

} // namespace vantrel
