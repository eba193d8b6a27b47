#include "engine/scan/FatBootRebuild.h"

#include "fs/fat/FatDefaultBootRecord.h"
#include "fs/fat/FatGeometry.h"

#include <algorithm>
#include <limits>

namespace vantrel {

namespace {

constexpr std::uint8_t kFixedDiskMedia = 0xF8;
constexpr std::uint16_t kSectorsPerTrack = 63;
constexpr std::uint16_t kHeads = 255;
constexpr std::uint8_t kFixedDiskDrive = 0x80;
constexpr std::uint64_t kMaxSectorsPerCluster = 128;

} // namespace

bool RebuildBootRecordFromDots(const DotEntrySighting& first, const DotEntrySighting& second,
                               std::uint64_t rangeStart, std::uint64_t rangeLength,
                               std::uint32_t sectorSize, FatBootRecord* out) {
    if (!out || second.lba <= first.lba || second.cluster <= first.cluster || first.cluster < 2 ||
        sectorSize == 0 || sectorSize > std::numeric_limits<std::uint16_t>::max())
        return false;
    const std::uint64_t d = second.lba - first.lba;
    const std::uint64_t k = second.cluster - first.cluster;
    if (d % k != 0)
        return false;
    const std::uint64_t spc = d / k;
    if (spc == 0 || spc > kMaxSectorsPerCluster)
        return false;

    const auto total = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(rangeLength, std::numeric_limits<std::uint32_t>::max()));
    const FatType fatType = FatTypeOf(static_cast<std::uint32_t>(total / spc));
    FatBootRecord record;
    if (fatType == kFatNone ||
        BuildDefaultBootRecord(record, fatType, total, static_cast<std::uint16_t>(sectorSize),
                               kFixedDiskMedia, kSectorsPerTrack, kHeads, 0, kFixedDiskDrive) != 0)
        return false;
    if (record.sectorsPerCluster != spc) {
        // The FATs keep the same bytes per cluster of data: fewer, larger clusters need
        // proportionally fewer FAT sectors.
        const std::uint64_t old = record.sectorsPerCluster;
        const auto scale = [&](std::uint64_t size) {
            return std::max<std::uint64_t>(1, (size * old + spc - 1) / spc);
        };
        if (record.fatSize16 != 0)
            record.fatSize16 = static_cast<std::uint16_t>(
                std::min<std::uint64_t>(scale(record.fatSize16), 0xFFFF));
        else
            record.fatSize32 = static_cast<std::uint32_t>(scale(record.fatSize32));
        record.sectorsPerCluster = static_cast<std::uint8_t>(spc);
    }
    // The data area moves one for one with the volume start, so the one start that puts
    // the first cluster where it was found is computed rather than searched for; the
    // second cluster then only confirms it.
    const std::uint64_t atZero = FirstSectorOfCluster(record, first.cluster);
    if (first.lba < atZero)
        return false;
    const std::uint64_t start = first.lba - atZero;
    if (start < rangeStart || start - rangeStart >= kRebuildVolumeStarts)
        return false;
    record.hiddenSectors = start;
    if (FirstSectorOfCluster(record, first.cluster) != first.lba ||
        FirstSectorOfCluster(record, second.cluster) != second.lba)
        return false;
    *out = record;
    return true;
}

} // namespace vantrel
