#include "fs/fat/FatCharacters.h"

namespace vantrel {

namespace {

// Single-byte characters a short name may hold besides letters, digits and bytes >= 0x80.
constexpr bool IsNameSymbol(std::uint8_t c) {
    return c == 0x21 || (c >= 0x23 && c <= 0x29) || c == 0x2D || c == 0x40 ||
           (c >= 0x5E && c <= 0x60) || c == 0x7B || c == 0x7D || c == 0x7E;
}

constexpr bool IsNameSingle(std::uint8_t c, bool doubleByte) {
    if (c >= 0x80)
        // In Shift-JIS only the half-width katakana are single-byte characters up here.
        return !doubleByte || FatCharacters::IsHalfWidthKatakana(c);
    if (c < 0x20)
        return false;
    return c == ' ' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           IsNameSymbol(c);
}

constexpr bool IsLeadIn(std::uint8_t c, bool doubleByte) {
    return doubleByte && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}

constexpr FatCharClasses MakeClasses(bool doubleByte) {
    FatCharClasses classes{};
    for (unsigned i = 0; i < 256; ++i) {
        const auto c = static_cast<std::uint8_t>(i);
        std::uint8_t bits = 0;
        if ((c >= 0x20 && c <= 0x7E) || FatCharacters::IsHalfWidthKatakana(c) || c == '\t' ||
            c == '\n' || c == '\r')
            bits |= kFatCharText;
        if (IsNameSingle(c, doubleByte))
            bits |= kFatCharName;
        if (IsLeadIn(c, doubleByte))
            bits |= kFatCharLead;
        if (FatCharacters::IsTrail(c))
            bits |= kFatCharTrail;
        // A field's byte is a blank, a one-byte character or half of a two-byte one.
        if (c != 0 && (c == ' ' || (bits & (kFatCharName | kFatCharLead | kFatCharTrail)) != 0))
            bits |= kFatCharInName;
        classes[i] = bits;
    }
    return classes;
}

constexpr FatCharClasses kSingleByteClasses = MakeClasses(false);
constexpr FatCharClasses kDoubleByteClasses = MakeClasses(true);

} // namespace

const FatCharClasses& FatCharacters::Classes() const {
    return doubleByte_ ? kDoubleByteClasses : kSingleByteClasses;
}

} // namespace vantrel
