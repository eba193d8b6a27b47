#pragma once

// A boot record with the parameters a formatter would choose for a volume of a given
// size, for volumes whose own boot sector cannot be used.

#include "fs/fat/FatBootRecord.h"

#include <cstdint>

namespace vantrel {

// Fills record for a volume of fatType (kFat12, kFat16 or kFat32) with totalSectors
// sectors of bytesPerSector bytes. Returns 0 on success, 1 when no cluster size fits the
// volume (or the arguments describe no volume).
int BuildDefaultBootRecord(FatBootRecord& record, std::int32_t fatType, std::uint32_t totalSectors,
                           std::uint16_t bytesPerSector, std::uint8_t media,
                           std::uint16_t sectorsPerTrack, std::uint16_t numHeads,
                           std::uint64_t hiddenSectors, std::uint8_t driveNumber);

} // namespace vantrel
