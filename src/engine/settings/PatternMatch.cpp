#include "engine/settings/PatternMatch.h"

namespace vantrel {

namespace {

// The upper-cased code point at text[i], moving i past it: a surrogate pair is one code
// point, so that '?' takes it as the one character it is.
char32_t FoldedCodePointAt(std::u16string_view text, std::size_t& i) {
    const char16_t c = text[i++];
    if (c >= 0xD800 && c < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000)
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
               (static_cast<char32_t>(text[i++]) - 0xDC00);
    return UpperForMatch(c);
}

std::u32string FoldedCodePoints(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        out.push_back(FoldedCodePointAt(text, i));
    return out;
}

// Wildcard match with backtracking to the last '*': when the rest fails, that star takes
// one more character and the rest is tried again. Each star is revisited at most once per
// name position, so the cost is bounded by pattern length × name length.
bool Match(const std::u32string& pattern, const std::u32string& name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::u32string::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (star != std::u32string::npos) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

char16_t UpperForMatch(char16_t c) {
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    // Latin-1: à..þ except ÷; ÿ becomes Ÿ.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    // Latin Extended-A: pairs of upper (even) and lower (odd), except the runs where the
    // upper case is odd.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1u) ? c : static_cast<char16_t>(c - 1);
    // Greek: α..ω (final sigma to Σ).
    if (c == 0x3C2)
        return 0x3A3;
    if ((c >= 0x3B1 && c <= 0x3C1) || (c >= 0x3C3 && c <= 0x3C9))
        return static_cast<char16_t>(c - 0x20);
    // Cyrillic: а..я, ѐ..џ.
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    // Full-width Latin: ａ..ｚ.
    if (c >= 0xFF41 && c <= 0xFF5A)
        return static_cast<char16_t>(c - 0x20);
    return c;
}

std::u16string UpperForMatch(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out)
        c = UpperForMatch(c);
    return out;
}

bool MatchesPattern(std::u16string_view pattern, std::u16string_view name) {
    return Match(FoldedCodePoints(pattern), FoldedCodePoints(name));
}

PatternList::PatternList(const std::vector<std::u16string>& patterns) {
    patterns_.reserve(patterns.size());
    for (const auto& pattern : patterns) {
        patterns_.push_back(FoldedCodePoints(pattern));
        const std::u32string& folded = patterns_.back();
        if (folded.empty()) // matches the empty name only, which is never pre-checked
            continue;
        if (folded[0] == U'*' || folded[0] == U'?')
            literalStarts_ = false;
        if (firsts_.find(folded[0]) == std::u32string::npos)
            firsts_.push_back(folded[0]);
    }
}

bool PatternList::Matches(std::u16string_view name) const {
    if (patterns_.empty())
        return false;
    // Most names start with a character no pattern starts with, and need no folding.
    if (literalStarts_ && !name.empty()) {
        std::size_t at = 0;
        if (firsts_.find(FoldedCodePointAt(name, at)) == std::u32string::npos)
            return false;
    }
    const std::u32string upper = FoldedCodePoints(name);
    for (const auto& pattern : patterns_)
        if (Match(pattern, upper))
            return true;
    return false;
}

} // namespace vantrel
