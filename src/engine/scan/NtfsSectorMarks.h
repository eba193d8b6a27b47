#pragma once

// What the NTFS scan tests every raw sector for, a block of sectors at a time: the start
// of an MFT record (IsMftRecord) and an NTFS boot sector (IsNtfsBootSector).

#include "platform/ByteReader.h"

#include <cstdint>
#include <span>

namespace vantrel {

inline constexpr std::uint64_t kNtfsMarkRecord = 1;
inline constexpr std::uint64_t kNtfsMarkBootSector = 2;

// marks[i] for sector i of sectors (sectorSize bytes each); marks past the last whole
// sector are 0.
void MarkNtfsSectors(Bytes sectors, std::uint32_t sectorSize, std::span<std::uint64_t> marks);

// Whether the search for a volume looks further at a sector with this mark: a boot
// sector, or the MFT's own record. That record is looked for among record starts only,
// here rather than in the marks: a search usually ends at the boot sector in LBA 0.
bool NtfsSearchLooksAt(std::uint64_t mark, Bytes sector);

} // namespace vantrel
