#pragma once

// The last probe of the preview: the file as plain text or RTF. The text widget is fed
// in chunks; a zero byte (or zero 16-bit unit for UTF-16 text) stops it unless it is the
// terminating zero in the last two bytes of the last chunk.

#include "platform/ByteReader.h"

#include <cstddef>
#include <string>

namespace vantrel {

enum class TextFormat { failed, plain, rtf };

struct TextStreamCheck {
    TextFormat format = TextFormat::failed;
    bool unicode = false; // UTF-16 little-endian after the byte-order mark FF FE
};

inline constexpr std::size_t kTextStreamChunk = 4096;

TextStreamCheck CheckTextStream(Bytes data, std::size_t chunk = kTextStreamChunk);

// Plain text as the widget shows it: UTF-16 without its byte-order mark, or the ANSI code
// page; up to a terminating zero.
std::u16string DecodePlainText(Bytes data, bool unicode);

// The ANSI code page's text of a whole file, converted a piece at a time at character
// boundaries, so that a large file needs no conversion buffer of several times its size.
std::u16string DecodeAnsiInPieces(Bytes data);

} // namespace vantrel
