#pragma once

// The parts of a compound document (the container of word-processor, spreadsheet and
// presentation files) needed to tell those three apart: the header's directory
// location and the names in the directory. Pure functions over bytes already read.

#include "platform/ByteReader.h"

#include <cstdint>
#include <string_view>

namespace vantrel {

// Header fields:
//   0  u8[8]  magic D0 CF 11 E0 A1 B1 1A E1
//   30 u16    sector shift (sector size = 1 << shift; only the low 5 bits are used)
//   48 u32    first directory sector number
// The header occupies sector -1, so sector n starts at (n << shift) + 512.
inline constexpr std::size_t kCompoundHeaderSize = 512;

// Byte offset of the first directory sector; 0 when the header is too short to tell.
std::uint64_t CompoundDirectoryOffset(Bytes header);

// Directory entries are 128 bytes:
//   0  char16[32]  name, UTF-16 little-endian
//   64 u16         name length in bytes, including the terminating NUL
inline constexpr std::size_t kCompoundDirEntrySize = 128;

// "DOC", "XLS" or "PPT" from the first entry naming a document stream ("WordDocument",
// "Book" or "Workbook", "PowerPoint Document"); empty when the first entry is not
// "Root Entry" or the walk meets an empty name, a name running past `directory`, or the
// end of `directory` first.
std::u16string_view CompoundDocumentExtension(Bytes directory);

} // namespace vantrel
