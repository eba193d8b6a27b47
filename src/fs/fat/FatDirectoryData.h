#pragma once

// Tests that tell directory data from other sectors, for scans of raw sectors. Each also
// comes taking the code page's characters, which a caller testing many sectors asks for
// once.

#include "fs/fat/FatCharacters.h"
#include "platform/ByteReader.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel {

// Bytes at the start of data that look like directory entries: the 32-byte slots before
// the first slot that is a fill pattern (eight equal 32-bit words, zeros included), is
// all text, or is not a plausible entry. A trailing piece shorter than a slot ends it.
std::size_t PlausibleEntryPrefix(Bytes data);
std::size_t PlausibleEntryPrefix(Bytes data, const FatCharacters& chars);

// Length of the text (printable characters, TAB, LF, CR, Shift-JIS pairs) at the start
// of data.
std::size_t LeadingTextLength(Bytes data);

// A cluster (or sector) of directory data: at most 32 bytes of leading text, a non-empty
// plausible prefix, and nothing but zeros after it.
bool IsDirectoryCluster(Bytes data);
bool IsDirectoryCluster(Bytes data, const FatCharacters& chars);
// Sets marks[i] to bit for each piece i of sectorSize bytes of sectors that
// IsDirectoryCluster accepts, to 0 for the others (as many pieces as marks holds): the
// same answers, in one loop that turns most pieces away after a look at their first and
// last slots.
void MarkDirectoryClusters(Bytes sectors, std::size_t sectorSize, const FatCharacters& chars,
                           std::span<std::uint64_t> marks, std::uint64_t bit);

} // namespace vantrel
