#pragma once

// Index blocks ("INDX"), the nodes of a directory index below $INDEX_ROOT, stored in
// $INDEX_ALLOCATION. They carry an update sequence like MFT records; it is applied before
// any entry is read, since an entry may cross a 512-byte stride end.

#include "fs/ntfs/NtfsFixups.h"
#include "fs/ntfs/NtfsIndexEntry.h"

#include <cstdint>
#include <span>

namespace vantrel {

inline constexpr std::uint32_t kIndxMagic = 0x58444E49; // "INDX"
inline constexpr std::size_t kIndexBlockHeaderSize = 24;
inline constexpr std::size_t kIndexBlockMinimumSize = 56;

struct IndexBlockHeader {
    MultiSectorHeader multiSector;
    std::uint64_t logSequence = 0;
    std::uint64_t vcn = 0;
    IndexHeader header; // at 24; entriesOffset counts from there
};

// "INDX" and at least 56 bytes.
bool IsIndexBlock(Bytes block);

// Applies the block's fixups in place, parses its header and returns its entry area
// (from 24 + entriesOffset to the end of the block). False when the block is not an
// index block, its update sequence array does not fit, or the entries start outside it.
[[nodiscard]] bool ParseIndexBlock(std::span<std::uint8_t> block, IndexBlockHeader* header,
                                   Bytes* entries, FixupResult* fixups = nullptr);

} // namespace vantrel
