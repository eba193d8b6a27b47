#include "viewers/core/DumpFormat.h"

#include "platform/CodePage.h"

#include <array>
#include <cstdio>

namespace vantrel {

namespace {

bool IsShiftJisTrail(std::uint8_t byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// Characters no face draws (controls, surrogate halves, private use, non-characters)
// show ".": in the window they would be boxes, in a terminal a raw line feed or escape
// would break the line or drive the terminal.
bool IsDrawable(char16_t unit) {
    return unit >= 0x20 && !(unit >= 0x7F && unit <= 0x9F) && !(unit >= 0xD800 && unit <= 0xF8FF) &&
           unit < 0xFFF0;
}

// One decoded character, or "." when it is not exactly one drawable UTF-16 unit.
std::u16string Printable(const std::u16string& text) {
    if (text.size() != 1 || !IsDrawable(text[0]) || text[0] == 0xFFFD)
        return u".";
    return text;
}

bool IsFullWidth(char16_t unit) {
    return (unit >= 0x1100 && unit <= 0x115F) || (unit >= 0x2E80 && unit <= 0xA4CF) ||
           (unit >= 0xAC00 && unit <= 0xD7A3) || (unit >= 0xF900 && unit <= 0xFAFF) ||
           (unit >= 0xFE30 && unit <= 0xFE4F) || (unit >= 0xFF00 && unit <= 0xFF60) ||
           (unit >= 0xFFE0 && unit <= 0xFFE6);
}

} // namespace

std::string DumpHeaderText() {
    return "                    +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F";
}

std::string DumpHexText(std::uint64_t offset, Bytes line) {
    std::array<char, 24> number{};
    std::snprintf(number.data(), number.size(), "%016llXh",
                  static_cast<unsigned long long>(offset));
    std::string text = number.data();
    text += "   ";
    for (std::size_t i = 0; i < kDumpLineBytes; ++i) {
        if (i < line.size()) {
            std::snprintf(number.data(), number.size(), "%02X ", line[i]);
            text += number.data();
        } else {
            text += "   ";
        }
    }
    text += " ";
    text += ": ";
    return text;
}

std::vector<DumpGlyph> DumpTextColumn(DumpTextMode mode, Bytes line,
                                      std::optional<std::uint8_t> next, bool atFileStart,
                                      bool& carry) {
    std::vector<DumpGlyph> glyphs;
    const std::size_t n = std::min<std::size_t>(line.size(), kDumpLineBytes);
    if (mode == DumpTextMode::ascii) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t byte = line[i];
            const char16_t shown = byte >= 0x20 && byte <= 0x7F ? byte : u'.';
            glyphs.push_back({static_cast<int>(i), std::u16string(1, shown)});
        }
        carry = false;
        return glyphs;
    }
    if (mode == DumpTextMode::unicode) {
        for (std::size_t k = 0; 2 * k + 2 <= n; ++k) {
            const auto unit = static_cast<char16_t>(line[2 * k] | (line[2 * k + 1] << 8));
            glyphs.push_back(
                {static_cast<int>(2 * k), unit < 0x20 ? u"." : std::u16string(1, unit)});
        }
        carry = false;
        return glyphs;
    }
    std::size_t i = 0;
    if (carry && !atFileStart && n > 0) {
        // The first byte is the second half of the character shown on the line above.
        glyphs.push_back({0, u" "});
        i = 1;
    }
    carry = false;
    while (i < n) {
        const std::uint8_t byte = line[i];
        // The byte after this one, or -1 past the end of the file.
        int following = -1;
        if (i + 1 < n)
            following = line[i + 1];
        else if (i + 1 == kDumpLineBytes && next.has_value())
            following = next.value();
        if (IsAnsiLeadByte(byte) && following >= 0 &&
            IsShiftJisTrail(static_cast<std::uint8_t>(following))) {
            const std::array<std::uint8_t, 2> pair = {byte, static_cast<std::uint8_t>(following)};
            glyphs.push_back({static_cast<int>(i), Printable(DecodeAnsi(pair))});
            i += 2;
        } else if (IsAnsiLeadByte(byte) || byte == 0) {
            glyphs.push_back({static_cast<int>(i), u"."});
            i += 1;
        } else {
            const std::array<std::uint8_t, 1> single = {byte};
            glyphs.push_back({static_cast<int>(i), Printable(DecodeAnsi(single))});
            i += 1;
        }
    }
    carry = i > kDumpLineBytes;
    return glyphs;
}

std::u16string DumpTextColumnString(const std::vector<DumpGlyph>& glyphs) {
    std::u16string text;
    int cell = 0;
    for (const DumpGlyph& glyph : glyphs) {
        for (; cell < glyph.cell; ++cell)
            text.push_back(u' ');
        text += glyph.text;
        for (const char16_t unit : glyph.text)
            cell += IsFullWidth(unit) ? 2 : 1;
    }
    return text;
}

} // namespace vantrel
