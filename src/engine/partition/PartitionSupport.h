#pragma once

// What the partition walk, the GPT walk and the table rebuild share: the capacity check,
// one-sector reads, and the volume set-up from a boot sector (or its backup).

#include "device/DiskWindow.h"
#include "engine/tree/ResultNode.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct Capacity {
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
};

bool UsableCapacity(CDiskWindow& window, Capacity* capacity);
bool ReadOneSector(CDiskWindow& window, std::uint64_t lba, std::vector<std::uint8_t>& sector);

// Adds the volume whose boot sector is sector (at lba); NTFS first, then FAT. When
// neither sets up and length (the volume's sectors, 0 when unknown) allows, the backup
// boot sector is tried: FAT32 keeps one at sector 6, NTFS in the last sector. A volume
// set up from its backup is noted on parent. False when no volume was added.
bool AddVolume(ResultNode& parent, CDiskWindow* window, std::uint64_t lba, std::uint64_t length,
               const std::vector<std::uint8_t>& sector, std::uint32_t sectorSize);

// What a boot sector holds, as a partition's name: "パーティション(NTFS)",
// "パーティション(FAT16)"...; empty when it is neither.
std::u16string VolumeKindName(const std::vector<std::uint8_t>& sector, std::uint32_t sectorSize);

std::u16string LbaText(std::uint64_t value);

} // namespace vantrel
