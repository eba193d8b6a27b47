#pragma once

// Attribute headers inside an MFT record: the 16-byte common part, the resident form
// (value in the record) and the 64-byte non-resident form (run list), and the walk that
// splits a record's attribute area into attributes.

#include "platform/ByteReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum NtfsAttributeType : std::uint32_t {
    kAttrStandardInformation = 0x10,
    kAttrAttributeList = 0x20,
    kAttrFileName = 0x30,
    kAttrVolumeName = 0x60,
    kAttrData = 0x80,
    kAttrIndexRoot = 0x90,
    kAttrIndexAllocation = 0xA0,
    kAttrEnd = 0xFFFFFFFF,
};

inline constexpr std::uint16_t kAttrFlagCompressed = 0x0001;
inline constexpr std::uint16_t kAttrFlagCompressionMask = 0x00FF;
inline constexpr std::uint16_t kAttrFlagEncrypted = 0x4000;
inline constexpr std::uint16_t kAttrFlagSparse = 0x8000;

inline constexpr std::size_t kAttributeHeaderSize = 16;
inline constexpr std::size_t kResidentHeaderSize = 24;
inline constexpr std::size_t kNonResidentHeaderSize = 64;

struct AttributeHeader {
    // Common part.
    std::uint32_t type = 0;
    std::uint32_t length = 0;
    std::uint8_t nonResident = 0;
    std::uint8_t nameLength = 0; // UTF-16 units
    std::uint16_t nameOffset = 0;
    std::uint16_t flags = 0;
    std::uint16_t attributeId = 0;
    // Resident form.
    std::uint32_t valueLength = 0;
    std::uint16_t valueOffset = 0;
    std::uint8_t indexedFlag = 0;
    // Non-resident form.
    std::uint64_t startVcn = 0;
    std::uint64_t lastVcn = 0;
    std::uint16_t runListOffset = 0;
    std::uint16_t compressionUnit = 0; // log2 of clusters per compression unit
    std::uint64_t allocatedSize = 0;
    std::uint64_t dataSize = 0;
    std::uint64_t initializedSize = 0;

    bool IsCompressed() const { return (flags & kAttrFlagCompressionMask) != 0; }
};

// Parses the common part and the form it announces. False when the common part, or the
// resident (24) or non-resident (64) header, does not fit in the attribute.
[[nodiscard]] bool ParseAttributeHeader(Bytes attribute, AttributeHeader* out);

// The resident value, when valueOffset + valueLength lies inside the attribute.
[[nodiscard]] bool ResidentValue(Bytes attribute, const AttributeHeader& header, Bytes* value);

// The attribute's name; empty when unnamed or when it does not fit.
std::u16string AttributeName(Bytes attribute, const AttributeHeader& header);

// The attributes of a record's attribute area in record order, from attributeOffset to
// the end marker. Stops at a header with fewer than 16 bytes left, a zero length, or a
// length that runs past the record; each piece is at least 16 bytes so the walk ends.
std::vector<Bytes> SplitAttributes(Bytes record, std::size_t attributeOffset);

} // namespace vantrel
