#pragma once

// Shift-JIS text recognition, as the target systems write plain text: single bytes
// 0x20-0x7E, 0xA1-0xDF (half-width kana), TAB, LF, CR; double-byte characters of a lead
// byte 0x81-0x9F or 0xE0-0xFC and a trail byte 0x40-0x7E or 0x80-0xFC.

#include "platform/ByteReader.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel {

bool IsSingleTextByte(std::uint8_t byte);
bool IsTextLeadByte(std::uint8_t byte);
bool IsTextTrailByte(std::uint8_t byte);
// A byte that can begin a text run (a single text byte or a lead byte).
bool IsTextStartByte(std::uint8_t byte);

// Number of leading bytes of `bytes` that are text.
std::size_t TextRunLength(Bytes bytes);

// A text-file start: at least 512 bytes, a run of at least 5 text bytes, and when the
// run stops before the last byte, zeros from there to the next 512-byte boundary (or to
// the end of the bytes when that comes first).
bool IsTextRun(Bytes bytes);

// True when text that has been running ends inside this sector: its run stops before the
// last byte, or (when the sector starts with a byte that is not text, such as the trail
// byte of a character begun before) the run from its second byte does. A lead byte in
// the last place continues into the next sector.
bool TextEndsInSector(Bytes sector);

// Bytes of this sector that still belong to the text when it ends here: the run, or for
// a sector that starts with the trail byte of a character begun before, that byte and
// the run after it.
std::size_t TextBytesInEndSector(Bytes sector);

// What the text tests need of one sector, from one pass over it: the text runs from its
// first and from its second byte. With these the tests above run without walking the
// text again, however many windows the sector is part of.
struct SectorText {
    std::uint32_t run = 0;           // TextRunLength(sector)
    std::uint32_t runFromSecond = 0; // TextRunLength(sector from its second byte)
};
SectorText SummariseSectorText(Bytes sector);

// The tests above, for a sector (or the whole sectors of `window`) already summarised.
bool TextEndsInSector(Bytes sector, const SectorText& text);
std::size_t TextBytesInEndSector(Bytes sector, const SectorText& text);
// texts[k] summarises sector k of window (sectorSize bytes each); bytes past the sectors
// summarised, such as a part of a sector at the end, are looked at one by one.
bool IsTextRun(Bytes window, std::size_t sectorSize, std::span<const SectorText> texts);

} // namespace vantrel
