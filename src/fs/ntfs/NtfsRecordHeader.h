#pragma once

// The 48-byte header of an MFT record ("FILE").

#include "platform/ByteReader.h"

#include <cstdint>

namespace vantrel {

inline constexpr std::uint32_t kFileMagic = 0x454C4946; // "FILE"
inline constexpr std::size_t kMftRecordHeaderSize = 48;
inline constexpr std::uint16_t kRecordInUse = 0x01;
inline constexpr std::uint16_t kRecordIsDirectory = 0x02;

// Well-known record numbers.
inline constexpr std::uint64_t kMftRecordNumber = 0;
inline constexpr std::uint64_t kVolumeRecordNumber = 3;
inline constexpr std::uint64_t kRootRecordNumber = 5;

struct MftRecordHeader {
    std::uint32_t magic = 0;
    std::uint16_t usaOffset = 0;
    std::uint16_t usaCount = 0;
    std::uint64_t logSequence = 0;
    std::uint16_t sequenceNumber = 0;
    std::uint16_t linkCount = 0;
    std::uint16_t attributeOffset = 0;
    std::uint16_t flags = 0;
    std::uint32_t bytesInUse = 0;
    std::uint32_t bytesAllocated = 0;
    std::uint64_t baseRecord = 0; // file reference; 0 for a base record
    std::uint16_t nextAttributeId = 0;
    std::uint16_t reserved = 0;
    std::uint32_t recordNumber = 0;

    bool InUse() const { return (flags & kRecordInUse) != 0; }
    bool IsDirectory() const { return (flags & kRecordIsDirectory) != 0; }
};

// "FILE" and the 48 header bytes present.
bool IsMftRecord(Bytes record);
// False unless IsMftRecord.
[[nodiscard]] bool ParseMftRecordHeader(Bytes record, MftRecordHeader* out);

// The 48-bit record number and the 16-bit sequence of a file reference.
inline std::uint64_t ReferenceRecord(std::uint64_t reference) {
    return reference & 0x0000FFFFFFFFFFFFull;
}
inline std::uint16_t ReferenceSequence(std::uint64_t reference) {
    return static_cast<std::uint16_t>(reference >> 48);
}

} // namespace vantrel
