#pragma once

// Character classes of short names in the disk's code page. The code page is asked once
// per name or buffer, not per byte: raw-sector scans run these tests on every slot.

#include "platform/CodePage.h"

#include <cstdint>

namespace vantrel {

class FatCharacters {
public:
    FatCharacters() : doubleByte_(IsAnsiLeadByte(0x81)) {}

    // A Shift-JIS code page is in use (the only double-byte one short names use).
    bool DoubleByte() const { return doubleByte_; }
    bool IsLead(std::uint8_t c) const {
        return doubleByte_ && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
    }
    static bool IsTrail(std::uint8_t c) {
        return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
    }
    static bool IsHalfWidthKatakana(std::uint8_t c) { return c >= 0xA1 && c <= 0xDF; }
    // A single-byte character that prints: ASCII, and in Shift-JIS the half-width
    // katakana; in a single-byte code page every byte from 0xA0 up.
    bool IsPrintableSingle(std::uint8_t c) const {
        if (c >= 0x20 && c <= 0x7E)
            return true;
        return doubleByte_ ? IsHalfWidthKatakana(c) : c >= 0xA0;
    }

private:
    bool doubleByte_;
};

} // namespace vantrel
