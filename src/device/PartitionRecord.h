#pragma once

// Master and extended boot records: the 16-byte table slots and the sector that holds
// four of them. Pure parsing over a sector buffer; nothing here reads a disk.

#include "platform/ByteReader.h"

#include <array>
#include <cstdint>
#include <span>

namespace vantrel {

struct ChsAddress {
    std::uint32_t cylinder = 0; // ((sector byte & 0xC0) << 2) | cylinder byte
    std::uint16_t head = 0;
    std::uint16_t sector = 0; // sector byte & 0x3F
};

// One parsed table slot. startLba is relative to the window that holds the table.
struct PartitionEntry {
    std::uint32_t bootIndicator = 0;
    std::uint32_t type = 0;
    ChsAddress startChs;
    ChsAddress endChs;
    std::uint32_t startLba = 0;
    std::uint32_t sectorCount = 0;
};

struct PartitionTable {
    std::array<std::uint8_t, 444> bootCode{}; // includes the disk signature at 440
    std::uint16_t reserved = 0;
    std::array<PartitionEntry, 4> entries{};
    std::uint16_t signature = 0;
};

inline constexpr std::size_t kPartitionSlotOffset = 446;
inline constexpr std::size_t kPartitionSlotSize = 16;
inline constexpr std::uint16_t kBootSignature = 0xAA55;

// Only the 0x55 0xAA marker at 510 is tested; types, CHS values and boot indicators are
// taken as they are.
bool IsPartitionTable(Bytes sector, std::uint32_t sectorSize);
// Fails only when the slot is shorter than 16 bytes.
[[nodiscard]] bool ParsePartitionEntry(Bytes slot, PartitionEntry* entry);
// Fails when the sector is shorter than 512 bytes; does not require the signature.
[[nodiscard]] bool ParsePartitionTable(Bytes sector, PartitionTable* table);
// Writes entry into table slot 0..3 of a sector buffer (for building test images).
void PutPartitionEntry(std::span<std::uint8_t> sector, std::size_t slot,
                       const PartitionEntry& entry);

// The name a partition node is shown with, by type code (UTF-8).
const char* PartitionKindText(std::uint32_t type);

} // namespace vantrel
