#pragma once

// ID3 tags of MP3 files: the version 2 frames (2.2, 2.3, 2.4) at the start of the file
// and the version 1 block in its last 128 bytes. Pure readers over the tag bytes.

#include "platform/ByteReader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

// Title, artist, album, year, track, disc, genre, comment; an absent or empty value is "-".
inline constexpr std::size_t kId3FieldCount = 8;
using Id3Fields = std::array<std::u16string, kId3FieldCount>;

// The tag size of a version 2 header (10 bytes: "ID3", major version above 1); nullopt
// when the header is not one.
std::optional<std::uint32_t> Id3v2TagSize(Bytes header);

// The eight fields of a version 2 tag whose data (tag size bytes after the header) is
// given; nullopt when none of the eight frames is there.
std::optional<Id3Fields> ReadId3v2Fields(Bytes header, Bytes tag);

// Decodes a text frame's bytes by its encoding byte: 1 UTF-16 after a byte-order mark,
// 2 UTF-16 big-endian, 3 UTF-8, anything else the ANSI code page; up to the first zero.
std::u16string DecodeId3Text(std::uint8_t encoding, Bytes text);

struct Id3v1Tag {
    std::u16string title, artist, album, year, comment, genre;
    std::optional<std::uint8_t> track;
};

// A 128-byte block starting with "TAG" (exact case); nullopt otherwise.
std::optional<Id3v1Tag> ReadId3v1(Bytes block);

} // namespace vantrel
