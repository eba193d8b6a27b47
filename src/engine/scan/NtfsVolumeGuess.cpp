#include "engine/scan/NtfsVolumeGuess.h"

#include <algorithm>
#include <bit>

namespace vantrel {

namespace {

constexpr std::uint32_t kUsualRecordBytes = 1024;

// The boot sector's way of writing a record size: whole clusters, or the negative power
// of two of the bytes when a record is smaller than a cluster.
std::int8_t ClustersPerRecordField(std::uint32_t recordBytes, std::uint32_t clusterBytes) {
    if (recordBytes >= clusterBytes && recordBytes / clusterBytes <= 0x7F)
        return static_cast<std::int8_t>(recordBytes / clusterBytes);
    return static_cast<std::int8_t>(-std::countr_zero(recordBytes));
}

} // namespace

std::optional<NtfsBootRecord> GuessNtfsBootRecord(std::uint64_t volumeStart,
                                                  std::uint64_t volumeSectors,
                                                  std::uint32_t sectorSize,
                                                  std::uint32_t clusterBytes, std::uint64_t mftLba,
                                                  std::uint32_t recordBytes) {
    if (!std::has_single_bit(recordBytes) || recordBytes < 512 || recordBytes > 65536)
        recordBytes = kUsualRecordBytes;
    if (sectorSize == 0 || sectorSize > 0xFFFF || clusterBytes < sectorSize ||
        clusterBytes % sectorSize != 0 || mftLba < volumeStart)
        return std::nullopt;
    const std::uint32_t sectorsPerCluster = clusterBytes / sectorSize;
    if (sectorsPerCluster > 0x80 || (mftLba - volumeStart) % sectorsPerCluster != 0)
        return std::nullopt;
    NtfsBootRecord boot;
    boot.jump = {0xEB, 0x52, 0x90};
    std::copy_n("NTFS    ", 8, boot.oemName.begin());
    boot.bytesPerSector = static_cast<std::uint16_t>(sectorSize);
    boot.sectorsPerCluster = static_cast<std::uint8_t>(sectorsPerCluster);
    boot.media = 0xF8;
    boot.sectorsPerTrack = 63;
    boot.numHeads = 255;
    boot.hiddenSectors =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(volumeStart, 0xFFFFFFFF));
    boot.totalSectors = volumeSectors;
    boot.mftCluster = (mftLba - volumeStart) / sectorsPerCluster;
    boot.clustersPerRecord = ClustersPerRecordField(recordBytes, clusterBytes);
    boot.clustersPerIndexBlock = 1;
    boot.endMarker = 0;
    boot.signature = 0xAA55;
    return boot;
}

} // namespace vantrel
