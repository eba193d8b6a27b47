#pragma once

// Hand-built FAT structures for the tests: boot sectors, directory slots and small
// volumes in memory.

#include "fs/fat/FatBootRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::fattest {

struct BootParams {
    std::uint16_t bytesPerSector = 512;
    std::uint8_t sectorsPerCluster = 1;
    std::uint16_t reservedSectors = 1;
    std::uint8_t numFats = 2;
    std::uint16_t rootEntryCount = 224;
    std::uint32_t totalSectors = 2880;
    std::uint32_t fatSize = 9;
    std::uint32_t rootCluster = 2;
    bool fat32Layout = false; // write the FAT32 extension at 36..89
    bool extended = true;     // boot signature 0x29 and "FAT" type text
    std::uint32_t hiddenSectors = 0;
};

std::vector<std::uint8_t> MakeBootSector(const BootParams& params);

// A 32-byte short entry; name11 is the 11 bytes as stored.
std::vector<std::uint8_t> ShortSlot(const std::string& name11, std::uint8_t attributes,
                                    std::uint32_t firstCluster, std::uint32_t fileSize);
// The long-name slots (last part first) for name, checksummed against name11. When
// deleted, every slot's first byte is 0xE5.
std::vector<std::uint8_t> LongSlots(const std::u16string& name, const std::string& name11,
                                    bool deleted = false);

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes);

} // namespace vantrel::fattest
