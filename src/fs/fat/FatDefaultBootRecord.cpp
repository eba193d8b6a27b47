#include "fs/fat/FatDefaultBootRecord.h"

#include "fs/fat/FatGeometry.h"

#include <algorithm>
#include <ctime>
#include <iterator>

namespace vantrel {

namespace {

// Disk size in 512-byte sectors up to which a cluster size (in 512-byte sectors) is
// used; 0 means no cluster size suits that size.
struct ClusterSizeRow {
    std::uint32_t maxSectors;
    std::uint8_t sectorsPerCluster;
};

constexpr ClusterSizeRow kFat16Table[] = {
    {8400, 0},     {32680, 2},    {262144, 4},   {524288, 8},
    {1048576, 16}, {2097152, 32}, {4194304, 64}, {0xFFFFFFFF, 0},
};

constexpr ClusterSizeRow kFat32Table[] = {
    {66600, 0}, {532480, 1}, {16777216, 8}, {33554432, 16}, {67108864, 32}, {0xFFFFFFFF, 64},
};

template <std::size_t N>
std::uint8_t ClusterSizeFromTable(const ClusterSizeRow (&table)[N], std::uint32_t total,
                                  std::uint16_t bytesPerSector) {
    const std::uint32_t unit = bytesPerSector < 512 ? 1u : bytesPerSector / 512u;
    for (const ClusterSizeRow& row : table) {
        if (row.maxSectors / unit >= total) {
            if (row.sectorsPerCluster == 0)
                return 0;
            return static_cast<std::uint8_t>(
                std::max<std::uint32_t>(row.sectorsPerCluster / unit, 1));
        }
    }
    return 0;
}

std::uint8_t Fat12ClusterSize(std::uint32_t total, std::uint16_t bytesPerSector) {
    if (total == 1440)
        return 2;
    if (total == 2880)
        return 1;
    for (std::uint32_t s = 1; s <= 64 && s * bytesPerSector <= 32768; s *= 2)
        if (total / s < 4085)
            return static_cast<std::uint8_t>(s);
    return 0;
}

// Sectors per FAT for FAT16 and FAT32, rounded up.
bool ComputeFatSize(const FatBootRecord& record, std::uint32_t total, bool fat32,
                    std::uint32_t* fatSize) {
    std::uint32_t divisor =
        record.numFats + std::uint32_t{record.sectorsPerCluster} * (record.bytesPerSector / 2u);
    if (fat32)
        divisor /= 2;
    const std::uint32_t overhead = record.reservedSectors + RootDirSectors(record);
    if (divisor == 0 || total <= overhead)
        return false;
    *fatSize =
        static_cast<std::uint32_t>((std::uint64_t{total} - overhead + divisor - 1) / divisor);
    return true;
}

template <std::size_t N>
void SetText(std::array<std::uint8_t, N>& field, const char* text) {
    std::copy_n(text, N, field.begin());
}

} // namespace

int BuildDefaultBootRecord(FatBootRecord& record, std::int32_t fatType, std::uint32_t totalSectors,
                           std::uint16_t bytesPerSector, std::uint8_t media,
                           std::uint16_t sectorsPerTrack, std::uint16_t numHeads,
                           std::uint64_t hiddenSectors, std::uint8_t driveNumber) {
    record = FatBootRecord{};
    if (bytesPerSector == 0 || totalSectors == 0 ||
        (fatType != kFat12 && fatType != kFat16 && fatType != kFat32))
        return 1;
    record.fatType = fatType;
    record.jumpBoot = {0xEB, 0xFE, 0x90};
    SetText(record.oemName, "MSWIN4.1");
    record.driveNumber = driveNumber;
    record.bootSignature = 0x29;
    record.volumeId = static_cast<std::uint32_t>(std::time(nullptr));
    SetText(record.volumeLabel, "NO NAME    ");
    SetText(record.fileSystemType, fatType == kFat12   ? "FAT12   "
                                   : fatType == kFat16 ? "FAT16   "
                                                       : "FAT32   ");
    record.signature = 0xAA55;
    record.media = media;
    record.sectorsPerTrack = sectorsPerTrack;
    record.numHeads = numHeads;
    record.hiddenSectors = hiddenSectors;
    record.bytesPerSector = bytesPerSector;
    record.numFats = 2;

    const bool smallTotal = totalSectors < 65536;
    if (fatType == kFat12 || fatType == kFat16) {
        record.reservedSectors = 1;
        record.totalSectors16 = smallTotal ? static_cast<std::uint16_t>(totalSectors) : 0;
        record.totalSectors32 = smallTotal ? 0 : totalSectors;
    }
    if (fatType == kFat12) {
        record.rootEntryCount = totalSectors == 1440 ? 112 : totalSectors == 2880 ? 224 : 512;
        record.sectorsPerCluster = Fat12ClusterSize(totalSectors, bytesPerSector);
        record.fatSize16 = totalSectors == 1440 ? 3 : totalSectors == 2880 ? 9 : 12;
        return record.sectorsPerCluster == 0 ? 1 : 0;
    }
    if (fatType == kFat16) {
        record.rootEntryCount = 512;
        record.sectorsPerCluster = ClusterSizeFromTable(kFat16Table, totalSectors, bytesPerSector);
        std::uint32_t fatSize = 0;
        if (record.sectorsPerCluster == 0 ||
            !ComputeFatSize(record, totalSectors, false, &fatSize) || fatSize > 0xFFFF)
            return 1;
        record.fatSize16 = static_cast<std::uint16_t>(fatSize);
        return 0;
    }
    record.reservedSectors = 32;
    record.totalSectors32 = totalSectors;
    record.rootCluster = 2;
    record.fsInfoSector = 1;
    record.backupBootSector = 6;
    record.sectorsPerCluster = ClusterSizeFromTable(kFat32Table, totalSectors, bytesPerSector);
    if (record.sectorsPerCluster == 0 ||
        !ComputeFatSize(record, totalSectors, true, &record.fatSize32))
        return 1;
    return 0;
}

} // namespace vantrel
