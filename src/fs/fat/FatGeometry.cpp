#include "fs/fat/FatGeometry.h"

#include <algorithm>

namespace vantrel {

std::uint32_t RootDirSectors(const FatBootRecord& record) {
    if (record.bytesPerSector == 0)
        return 0;
    const std::uint32_t bytes = std::uint32_t{record.rootEntryCount} * 32u;
    return (bytes + record.bytesPerSector - 1u) / record.bytesPerSector;
}

std::uint32_t FatSize(const FatBootRecord& record) {
    return record.fatSize16 != 0 ? record.fatSize16 : record.fatSize32;
}

std::uint32_t TotalSectors(const FatBootRecord& record) {
    return record.totalSectors16 != 0 ? record.totalSectors16 : record.totalSectors32;
}

std::uint64_t FirstDataSector(const FatBootRecord& record) {
    return std::uint64_t{record.reservedSectors} + std::uint64_t{record.numFats} * FatSize(record) +
           RootDirSectors(record) + record.hiddenSectors;
}

std::uint32_t ClusterLimit(const FatBootRecord& record) {
    if (record.sectorsPerCluster == 0)
        return 0;
    const std::uint64_t end = std::uint64_t{TotalSectors(record)} + record.hiddenSectors;
    const std::uint64_t first = FirstDataSector(record);
    // A record whose FATs and root directory do not fit in the volume has no data area; a
    // wrapped subtraction here would make such a record look like a huge FAT32 volume.
    if (first > end)
        return 0;
    const std::uint64_t limit = (end - first) / record.sectorsPerCluster + 2;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(limit, 0xFFFFFFFFu));
}

FatType FatTypeOf(std::uint32_t clusterLimit) {
    if (clusterLimit == 0)
        return kFatNone;
    if (clusterLimit <= 4086)
        return kFat12;
    if (clusterLimit <= 65526)
        return kFat16;
    return kFat32;
}

std::uint64_t FirstSectorOfCluster(const FatBootRecord& record, std::uint32_t cluster) {
    if (cluster < 2)
        return 0;
    return FirstDataSector(record) + std::uint64_t{cluster - 2} * record.sectorsPerCluster;
}

std::uint64_t RootDirFirstSector(const FatBootRecord& record) {
    if (record.fatType == kFat32)
        return FirstSectorOfCluster(record, record.rootCluster);
    return FirstDataSector(record) - RootDirSectors(record);
}

std::uint64_t FatEntryOffset(const FatBootRecord& record, std::uint32_t cluster) {
    const std::uint64_t n = cluster;
    switch (record.fatType) {
    case kFat12:
        return n + n / 2;
    case kFat16:
        return 2 * n;
    default:
        return 4 * n;
    }
}

std::uint64_t FatSectorOfCluster(const FatBootRecord& record, std::uint32_t cluster) {
    if (record.bytesPerSector == 0)
        return 0;
    return FatEntryOffset(record, cluster) / record.bytesPerSector + record.reservedSectors +
           record.hiddenSectors;
}

bool ReadFatEntry(const FatBootRecord& record, std::uint32_t cluster, Bytes buffer,
                  std::uint32_t* value) {
    if (record.bytesPerSector == 0 || record.fatType == kFatNone)
        return false;
    const ByteReader in(buffer);
    const std::size_t offset =
        static_cast<std::size_t>(FatEntryOffset(record, cluster) % record.bytesPerSector);
    const std::size_t width = record.fatType == kFat32 ? 4 : 2;
    if (!in.Has(offset, width))
        return false;
    std::uint32_t entry = 0;
    if (record.fatType == kFat12) {
        entry = in.U16(offset);
        if (cluster & 1u)
            entry >>= 4;
        entry &= 0xFFFu;
    } else if (record.fatType == kFat16) {
        entry = in.U16(offset);
    } else {
        entry = in.U32(offset) & 0x0FFFFFFFu;
    }
    if (value)
        *value = entry;
    return true;
}

std::uint32_t MaskClusterValue(const FatBootRecord& record, std::uint32_t value) {
    switch (record.fatType) {
    case kFat12:
        return value & 0xFFFu;
    case kFat16:
        return value & 0xFFFFu;
    default:
        return value & 0x0FFFFFFFu;
    }
}

std::uint32_t EndOfChainValue(const FatBootRecord& record) {
    return MaskClusterValue(record, 0x0FFFFFF8u);
}

std::uint32_t BadClusterValue(const FatBootRecord& record) {
    return MaskClusterValue(record, 0x0FFFFFF7u);
}

} // namespace vantrel
