#pragma once

// The GUID partition table: the header at LBA 1 (and its backup at the last LBA), and
// the array of partition entries it points to. Pure parsing over buffers with both
// CRC32s checked; nothing here reads a disk.

#include "platform/ByteReader.h"

#include <array>
#include <cstdint>
#include <string>

namespace vantrel {

struct GptHeader {
    std::uint32_t revision = 0;
    std::uint32_t headerSize = 0;
    std::uint64_t myLba = 0;
    std::uint64_t alternateLba = 0;
    std::uint64_t firstUsableLba = 0;
    std::uint64_t lastUsableLba = 0;
    std::array<std::uint8_t, 16> diskGuid{};
    std::uint64_t entryArrayLba = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t entrySize = 0;
    std::uint32_t entryArrayCrc = 0;
};

struct GptEntry {
    std::array<std::uint8_t, 16> typeGuid{};
    std::array<std::uint8_t, 16> uniqueGuid{};
    std::uint64_t firstLba = 0;
    std::uint64_t lastLba = 0; // inclusive
    std::uint64_t attributes = 0;
    std::u16string name; // up to 36 UTF-16 units, cut at the first NUL
};

inline constexpr std::uint32_t kGptEntryMinSize = 128;
// The largest entry array accepted (the usual one is 128 entries of 128 bytes: 16 KiB).
inline constexpr std::uint64_t kGptMaxArrayBytes = 1u << 20;

// The CRC32 of the header and the entry array (reflected polynomial 0xEDB88320).
std::uint32_t Crc32(Bytes data, std::uint32_t crc = 0);

// A header sector: signature "EFI PART", a header size from 92 bytes to the sector, the
// header CRC over those bytes, an entry size that is 128 bytes or a larger multiple of 8,
// and an array no larger than kGptMaxArrayBytes. False for anything else.
[[nodiscard]] bool ParseGptHeader(Bytes sector, GptHeader* header);
// Bytes of the entry array the header describes.
std::uint64_t GptArrayBytes(const GptHeader& header);
// True when the first GptArrayBytes of array match the header's array CRC.
bool GptArrayMatches(const GptHeader& header, Bytes array);
// Entry index of an array (index < entryCount, array long enough); false otherwise.
[[nodiscard]] bool ParseGptEntry(const GptHeader& header, Bytes array, std::uint32_t index,
                                 GptEntry* entry);
// A used entry has a non-zero type GUID.
bool IsUsedGptEntry(const GptEntry& entry);

// Partition-table type of the protective entry that marks a GPT disk.
inline constexpr std::uint32_t kProtectiveMbrType = 0xEE;

} // namespace vantrel
