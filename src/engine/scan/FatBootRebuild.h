#pragma once

// A boot record for a FAT volume whose boot sector is gone, worked out from two
// sub-directories found in the raw sectors: their "." entries tell the cluster each
// directory starts at, and the distances between them the cluster size.

#include "fs/fat/FatBootRecord.h"

#include <cstdint>

namespace vantrel {

// A "." entry met by the scan: the window LBA of its sector and the cluster it names.
struct DotEntrySighting {
    std::uint64_t lba = 0;
    std::uint32_t cluster = 0;
};

// Hidden-sector values tried for one pair of "." entries.
inline constexpr std::uint64_t kRebuildVolumeStarts = 65536;

// Builds the record a formatter would have chosen for a volume of rangeLength sectors
// with the cluster size the pair gives, and finds the first volume start, from
// rangeStart on, under which both clusters begin at the sectors they were found in.
// False when the pair gives no cluster size (the later entry's cluster is not above the
// earlier one's, or the distances do not divide) or no start fits.
bool RebuildBootRecordFromDots(const DotEntrySighting& first, const DotEntrySighting& second,
                               std::uint64_t rangeStart, std::uint64_t rangeLength,
                               std::uint32_t sectorSize, FatBootRecord* out);

} // namespace vantrel
