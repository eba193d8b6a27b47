#pragma once

// Character classes of short names in the disk's code page. The code page is asked once
// per name or buffer, not per byte: raw-sector scans run these tests on every slot, so
// they also come as one table lookup per byte.

#include "platform/CodePage.h"

#include <array>
#include <cstdint>

namespace vantrel {

// Bits of FatCharacters::Classes.
inline constexpr std::uint8_t kFatCharText = 1;    // one-byte text character (or TAB, LF, CR)
inline constexpr std::uint8_t kFatCharName = 2;    // one-byte character a short name may hold
inline constexpr std::uint8_t kFatCharLead = 4;    // lead byte of a two-byte character
inline constexpr std::uint8_t kFatCharTrail = 8;   // may follow a lead byte
inline constexpr std::uint8_t kFatCharInName = 16; // may stand anywhere in a valid name field
using FatCharClasses = std::array<std::uint8_t, 256>;

class FatCharacters {
public:
    FatCharacters() : doubleByte_(IsAnsiLeadByte(0x81)) {}
    explicit FatCharacters(bool doubleByte) : doubleByte_(doubleByte) {}

    // A Shift-JIS code page is in use (the only double-byte one short names use).
    bool DoubleByte() const { return doubleByte_; }
    bool IsLead(std::uint8_t c) const {
        return doubleByte_ && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
    }
    static constexpr bool IsTrail(std::uint8_t c) {
        return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
    }
    static constexpr bool IsHalfWidthKatakana(std::uint8_t c) { return c >= 0xA1 && c <= 0xDF; }
    // A single-byte character that prints: ASCII, and in Shift-JIS the half-width
    // katakana; in a single-byte code page every byte from 0xA0 up.
    bool IsPrintableSingle(std::uint8_t c) const {
        if (c >= 0x20 && c <= 0x7E)
            return true;
        return doubleByte_ ? IsHalfWidthKatakana(c) : c >= 0xA0;
    }
    // The kFatChar* bits of every byte in this code page.
    const FatCharClasses& Classes() const;

private:
    bool doubleByte_;
};

} // namespace vantrel
