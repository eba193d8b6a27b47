#pragma once

// What the FAT scan tests every raw sector for, a block of sectors at a time: the start
// of a directory cluster (MarkDirectoryClusters) and a FAT boot sector.

#include "fs/fat/FatCharacters.h"
#include "platform/ByteReader.h"

#include <cstdint>
#include <span>

namespace vantrel {

inline constexpr std::uint64_t kFatMarkDirectory = 1;
inline constexpr std::uint64_t kFatMarkBootSector = 2;

// marks[i] for sector i of sectors (sectorSize bytes each); marks past the last whole
// sector are 0. chars is the code page the directory test reads names with.
void MarkFatSectors(Bytes sectors, std::uint32_t sectorSize, const FatCharacters& chars,
                    std::span<std::uint64_t> marks);

// Whether the search for a volume looks further at a sector with this mark: a boot
// sector, or a directory cluster that starts with a "." entry (a rebuild's clue).
bool FatSearchLooksAt(std::uint64_t mark, Bytes sector);

} // namespace vantrel
