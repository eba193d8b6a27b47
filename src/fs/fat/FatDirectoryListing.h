#pragma once

// Walking a directory's data: every short entry in order, with its long name attached.

#include "fs/fat/FatDirEntry.h"
#include "platform/ByteReader.h"

#include <vector>

namespace vantrel {

// The short entries of a directory's data (live and deleted, dot entries and volume
// labels included), each with its long name when its long-name entries precede it. The
// walk ends at the end-of-directory mark (a slot whose first byte is 0) or at the end of
// the data. Long-name parts without a short entry and slots that are no plausible
// entry are passed over.
// endReached (may be null) tells whether the end-of-directory mark was met.
std::vector<FatDirEntry> ParseDirectoryEntries(Bytes data, bool* endReached = nullptr);

} // namespace vantrel
