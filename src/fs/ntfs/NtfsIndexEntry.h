#pragma once

// Directory index structures shared by $INDEX_ROOT and index blocks: the index header,
// the root header and the entries, whose keys are $FILE_NAME values.

#include "platform/ByteReader.h"

#include <cstdint>
#include <vector>

namespace vantrel {

inline constexpr std::size_t kIndexHeaderSize = 16;
inline constexpr std::size_t kIndexRootHeaderSize = 16;
inline constexpr std::size_t kIndexEntryHeaderSize = 16;
inline constexpr std::uint8_t kIndexHasSubNodes = 0x01;
inline constexpr std::uint16_t kEntryHasSubNode = 0x01;
inline constexpr std::uint16_t kEntryIsLast = 0x02;

struct IndexHeader {
    std::uint32_t entriesOffset = 0; // from the start of this header
    std::uint32_t indexLength = 0;
    std::uint32_t allocatedSize = 0;
    std::uint8_t flags = 0;
};

[[nodiscard]] bool ParseIndexHeader(Bytes data, std::size_t offset, IndexHeader* out);

struct IndexRootHeader {
    std::uint32_t indexedType = 0; // 0x30 for folders
    std::uint32_t collationRule = 0;
    std::uint32_t indexBlockSize = 0;
    std::uint8_t clustersPerIndexBlock = 0;
    IndexHeader header;
};

// The $INDEX_ROOT value: the root header and its index header (32 bytes).
[[nodiscard]] bool ParseIndexRoot(Bytes value, IndexRootHeader* out);

struct IndexEntry {
    std::uint64_t fileReference = 0;
    std::uint16_t entryLength = 0;
    std::uint16_t keyLength = 0;
    std::uint16_t flags = 0;
    Bytes key;                    // inside the entry; empty for the last entry
    std::uint64_t subNodeVcn = 0; // valid when HasSubNode()

    bool HasSubNode() const { return (flags & kEntryHasSubNode) != 0; }
    bool IsLast() const { return (flags & kEntryIsLast) != 0; }
};

// One entry at offset: a 16-byte header, a length of at least 16 that fits, a key inside
// the entry, and room for the sub-node VCN when the entry has one.
[[nodiscard]] bool ParseIndexEntry(Bytes entries, std::size_t offset, IndexEntry* out);

// The entries from the start of entries up to and including the last entry, or up to the
// first entry that does not parse.
std::vector<IndexEntry> SplitIndexEntries(Bytes entries);

} // namespace vantrel
