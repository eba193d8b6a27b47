#pragma once

// LZNT1, the compression of NTFS compressed attributes. A compression unit's stored
// clusters hold a stream of chunks, each standing for up to 4096 bytes of data:
//   u16 header: bits 0-11 = body bytes - 1, bit 15 = compressed; 0 ends the stream.
//   uncompressed body: the bytes as they are.
//   compressed body: groups of one flag byte and eight tokens; flag bit i (low bit
//   first) clear = a literal byte, set = a 16-bit back-reference whose split between
//   offset and length depends on how far into the chunk it stands.

#include "platform/ByteReader.h"

#include <cstdint>
#include <span>

namespace vantrel {

inline constexpr std::size_t kLznt1ChunkSize = 4096;

// Decompresses input into output, which the caller sizes to the unit. A chunk that
// yields fewer than 4096 bytes, and the space after the stream's end, read as zeros.
// False on a corrupt chunk (a body past the input, a back-reference before the chunk's
// start, or more than 4096 bytes from one chunk); output is then unspecified.
[[nodiscard]] bool DecompressLznt1(Bytes input, std::span<std::uint8_t> output);

} // namespace vantrel
