#pragma once

// What the NTFS scan tests every raw sector for, a block of sectors at a time: the start
// of an MFT record (IsMftRecord) and an NTFS boot sector (IsNtfsBootSector). The MFT's
// own record is looked for only among record starts, by the search itself.

#include "platform/ByteReader.h"

#include <cstdint>
#include <span>

namespace vantrel {

inline constexpr std::uint64_t kNtfsMarkRecord = 1;
inline constexpr std::uint64_t kNtfsMarkBootSector = 2;

// marks[i] for sector i of sectors (sectorSize bytes each); marks past the last whole
// sector are 0.
void MarkNtfsSectors(Bytes sectors, std::uint32_t sectorSize, std::span<std::uint64_t> marks);

} // namespace vantrel
