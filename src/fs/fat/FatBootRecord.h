#pragma once

// The FAT boot sector (BIOS parameter block and its FAT12/16 or FAT32 extension) and the
// test that tells a usable one from any other sector.

#include "platform/ByteReader.h"

#include <array>
#include <cstdint>

namespace vantrel {

enum FatType : std::int32_t {
    kFat12 = 0,
    kFat16 = 1,
    kFat32 = 2,
    kFatNone = 3, // not a FAT volume
};

inline constexpr std::size_t kFatBootSectorBytes = 512;

struct FatBootRecord {
    std::int32_t fatType = kFatNone;        // computed from the cluster count
    std::array<std::uint8_t, 3> jumpBoot{}; // 0
    std::array<std::uint8_t, 8> oemName{};  // 3
    std::uint16_t bytesPerSector = 0;       // 11
    std::uint8_t sectorsPerCluster = 0;     // 13
    std::uint16_t reservedSectors = 0;      // 14
    std::uint8_t numFats = 0;               // 16
    std::uint16_t rootEntryCount = 0;       // 17
    std::uint16_t totalSectors16 = 0;       // 19
    std::uint8_t media = 0;                 // 21
    std::uint16_t fatSize16 = 0;            // 22
    std::uint16_t sectorsPerTrack = 0;      // 24
    std::uint16_t numHeads = 0;             // 26
    // 28: u32, or u16 in the short form. Geometry adds it to every sector number, so the
    // owner replaces it with the window LBA of the boot sector after parsing (which may
    // lie past 2^32 on a large disk, hence 64 bits here).
    std::uint64_t hiddenSectors = 0;
    std::uint32_t totalSectors32 = 0;             // 32
    std::uint32_t fatSize32 = 0;                  // 36 (FAT32, or whenever fatSize16 is 0)
    std::uint16_t extFlags = 0;                   // 40 (FAT32)
    std::array<std::uint8_t, 2> fsVersion{};      // 42 (FAT32)
    std::uint32_t rootCluster = 0;                // 44 (FAT32)
    std::uint16_t fsInfoSector = 0;               // 48 (FAT32)
    std::uint16_t backupBootSector = 0;           // 50 (FAT32)
    std::array<std::uint8_t, 12> reserved{};      // 52 (FAT32)
    std::uint8_t driveNumber = 0;                 // 36 or 64
    std::uint8_t reserved1 = 0;                   // 37 or 65
    std::uint8_t bootSignature = 0;               // 38 or 66; 0x29 = extended fields present
    std::uint32_t volumeId = 0;                   // 39 or 67
    std::array<std::uint8_t, 11> volumeLabel{};   // 43 or 71
    std::array<std::uint8_t, 8> fileSystemType{}; // 54 or 82
    std::array<std::uint8_t, 480> bootCode{};     // from 62, 90 or 30 up to 509
    std::uint16_t signature = 0;                  // 510
};

// Fills record (reset first) from a boot sector of at least 512 bytes. False, with the
// record reset, when the buffer is shorter.
[[nodiscard]] bool ParseFatBootRecord(FatBootRecord& record, Bytes sector);

// True for a sector that carries a FAT boot record this reader can use: a jump
// instruction, the 0x55AA signature, non-zero sector and cluster sizes, a FAT type by
// cluster count, and a file-system type text beginning with "FAT". sectorSize is the
// device's; the buffer must hold at least 512 bytes.
bool IsFatBootSector(Bytes sector, std::uint32_t sectorSize);

} // namespace vantrel
