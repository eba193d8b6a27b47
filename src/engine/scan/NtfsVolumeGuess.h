#pragma once

// Volume descriptions tried when a scan meets the MFT's own record but no boot sector:
// the volume starts at the range's first sector or 63 sectors into it (behind a
// partition table), with clusters of 512 to 4 096 bytes.

#include "fs/ntfs/NtfsBootSector.h"

#include <array>
#include <cstdint>
#include <optional>

namespace vantrel {

inline constexpr std::array<std::uint64_t, 2> kNtfsGuessStarts = {0, 63};
inline constexpr std::array<std::uint32_t, 4> kNtfsGuessClusterBytes = {512, 1024, 2048, 4096};

// The boot record of a volume of volumeSectors sectors of sectorSize bytes starting at
// volumeStart, with clusters of clusterBytes, whose MFT begins at window LBA mftLba.
// recordBytes is the MFT record size the $MFT record states for itself (1 024 when it
// states no usable size). Nothing when the cluster size is not a whole number of sectors
// or the MFT cannot begin on a cluster boundary of that volume.
std::optional<NtfsBootRecord> GuessNtfsBootRecord(std::uint64_t volumeStart,
                                                  std::uint64_t volumeSectors,
                                                  std::uint32_t sectorSize,
                                                  std::uint32_t clusterBytes, std::uint64_t mftLba,
                                                  std::uint32_t recordBytes);

} // namespace vantrel
