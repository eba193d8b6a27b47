#pragma once

// The NTFS boot sector: the test used by the partition walk and the raw scans, and the
// parsed record the volume geometry comes from.

#include "platform/ByteReader.h"

#include <array>
#include <cstdint>

namespace vantrel {

struct NtfsBootRecord {
    std::array<std::uint8_t, 3> jump{};
    std::array<char, 8> oemName{};
    std::uint16_t bytesPerSector = 0;
    std::uint8_t sectorsPerCluster = 0;
    std::uint16_t reservedSectors = 0;
    std::uint8_t media = 0;
    std::uint16_t sectorsPerTrack = 0;
    std::uint16_t numHeads = 0;
    std::uint32_t hiddenSectors = 0;
    std::uint64_t totalSectors = 0;
    std::uint64_t mftCluster = 0;
    std::uint64_t mftMirrorCluster = 0;
    std::int8_t clustersPerRecord = 0;
    std::int8_t clustersPerIndexBlock = 0;
    std::uint64_t serialNumber = 0;
    std::uint32_t checksum = 0;
    std::array<std::uint8_t, 424> bootCode{};
    std::uint16_t endMarker = 0;
    std::uint16_t signature = 0;
};

inline constexpr std::size_t kNtfsBootSectorSize = 512;

// At least 512 bytes, "NTFS    " at 3, non-zero sector and cluster sizes, 0xAA55 at 510.
// sectorSize is the size of the buffer the caller read.
bool IsNtfsBootSector(Bytes sector, std::uint32_t sectorSize);
// False when the buffer is shorter than 512 bytes; does not test the contents.
[[nodiscard]] bool ParseNtfsBootRecord(Bytes sector, NtfsBootRecord* out);

} // namespace vantrel
