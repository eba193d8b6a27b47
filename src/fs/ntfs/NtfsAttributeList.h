#pragma once

// $ATTRIBUTE_LIST: when a file's attributes do not fit in one record (a fragmented file's
// run list, many names), the base record lists every attribute piece and the record that
// holds it. Pieces of one non-resident attribute carry consecutive VCN ranges.

#include "platform/ByteReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

inline constexpr std::size_t kAttributeListEntryMinimum = 26;

struct AttributeListEntry {
    std::uint32_t type = 0;
    std::uint16_t length = 0;
    std::uint8_t nameLength = 0;
    std::uint8_t nameOffset = 0;
    std::uint64_t startVcn = 0;
    std::uint64_t recordReference = 0; // the record holding the piece
    std::uint16_t attributeId = 0;
    std::u16string name;
};

// The entries in order, up to the first one that does not fit (each is at least 26
// bytes, so the walk ends).
std::vector<AttributeListEntry> ParseAttributeList(Bytes value);

} // namespace vantrel
