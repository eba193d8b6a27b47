#pragma once

// The section chain of one E01 segment file, walked without libewf so that a broken or
// missing segment can be named. A segment holds a 13-byte file header, then sections
// that each start with a 76-byte descriptor:
//
//   file header  0  signature "EVF" 09 0D 0A FF 00     section  0  type, 16 bytes ASCII
//                8  fields start (1)                            16  next section offset (u64)
//                9  segment number (u16)                        24  section size (u64)
//               11  fields end (0)                              32  padding, Adler-32 at 72
//
// The chain ends with a "next" section (another segment follows) or a "done" section
// (the last segment); both point at themselves.

#include <cstdint>
#include <functional>

namespace vantrel {

enum class EwfSegmentEnd {
    Next,   // another segment follows
    Done,   // the image's last segment
    Broken, // the chain leaves the file, loops or stops without an end section
};

struct EwfSegmentInfo {
    std::uint16_t number = 0;
    EwfSegmentEnd end = EwfSegmentEnd::Broken;
};

// Reads size bytes at offset; false past the end.
using EwfReadAt = std::function<bool(std::uint64_t offset, void* buffer, std::size_t size)>;

// Walks the chain of a segment of fileSize bytes. False when the file header is not
// an E01 segment's.
[[nodiscard]] bool ReadEwfSegment(const EwfReadAt& read, std::uint64_t fileSize,
                                  EwfSegmentInfo* info);

} // namespace vantrel
