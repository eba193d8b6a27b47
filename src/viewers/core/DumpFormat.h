#pragma once

// The hexadecimal dump's text: the header row, the address and hex part of a line, and
// its text column read as Shift-JIS, ASCII or UTF-16.

#include "platform/ByteReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

enum class DumpTextMode { shiftJis = 1, ascii = 2, unicode = 3 };

inline constexpr int kDumpLineBytes = 16;
// The text column starts at this half-width cell (584 pixels at 8 pixels a cell).
inline constexpr int kDumpTextCell = 73;

// "                    +0 +1 ... +F"
std::string DumpHeaderText();

// "%016Xh", three spaces, "%02X " per byte (three spaces for each missing one of 16),
// " " and ": ".
std::string DumpHexText(std::uint64_t offset, Bytes line);

struct DumpGlyph {
    int cell = 0; // half-width cells from the start of the text column
    std::u16string text;
};

// The characters of one line (at most 16 bytes). next is the byte after the line when
// the file has one (a double-byte character may start at byte 15). carry says whether
// the line before ended inside a double-byte character; it is updated for the next line.
std::vector<DumpGlyph> DumpTextColumn(DumpTextMode mode, Bytes line,
                                      std::optional<std::uint8_t> next, bool atFileStart,
                                      bool& carry);

// The text column for a terminal: each glyph at its cell, full-width characters taking
// two cells, spaces where the window leaves a gap.
std::u16string DumpTextColumnString(const std::vector<DumpGlyph>& glyphs);

} // namespace vantrel
