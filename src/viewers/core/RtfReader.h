#pragma once

// Enough of RTF to show real documents: groups, control words and symbols, \uN with \ucN,
// \'hh in the document's or the font's code page, the font and colour tables, bold,
// italic, underline, size, colour, paragraphs with their alignment, line breaks and
// tabs. Destinations that are not text (\*, pictures, field instructions, headers,
// style sheets...) are skipped. Malformed input ends the document where it stops.

#include "platform/ByteReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct RtfCharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = 24;
    std::optional<std::uint32_t> color;      // 0xRRGGBB; none: the default text colour
    std::optional<std::uint32_t> background; // highlight
    std::u16string fontName;
    bool operator==(const RtfCharFormat&) const = default;
};

enum class RtfAlignment { left, center, right, justify };

struct RtfRun {
    RtfCharFormat format;
    std::u16string text; // a line break inside a paragraph is U+2028
};

struct RtfParagraph {
    RtfAlignment alignment = RtfAlignment::left;
    std::vector<RtfRun> runs;
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
};

RtfDocument ReadRtf(Bytes data);

// The document's text: paragraphs and line breaks end in "\n".
std::u16string RtfPlainText(const RtfDocument& document);

} // namespace vantrel
