#pragma once

// Filling a FileEntry from an MFT record: name, times, size and where its data lies.
// Compressed data is read through the NTFS reader, which decompresses it.

#include "engine/tree/FileEntry.h"
#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsVolume.h"

#include <cstdint>
#include <memory>

namespace vantrel {

// The volume is shared because compressed files keep reading through it. False when the
// record does not load, has no name, no 48-byte $STANDARD_INFORMATION or no $DATA.
bool FillNtfsFileEntry(FileEntry& entry, const std::shared_ptr<NtfsVolume>& volume,
                       std::uint64_t recordNumber);
// The same from a record already loaded through volume.
bool FillNtfsFileEntry(FileEntry& entry, const std::shared_ptr<NtfsVolume>& volume,
                       const MftRecord& record);

} // namespace vantrel
