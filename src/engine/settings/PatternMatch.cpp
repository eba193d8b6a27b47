#include "engine/settings/PatternMatch.h"

namespace vantrel {

namespace {

// UTF-16 to upper-cased code points, so that '?' takes a surrogate pair as the one character it is.
std::u32string FoldedCodePoints(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                          (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            out.push_back(UpperForMatch(c));
        }
    }
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
    for (const auto& pattern : patterns)
        patterns_.push_back(FoldedCodePoints(pattern));
}

bool PatternList::Matches(std::u16string_view name) const {
    if (patterns_.empty())
        return false;
    const std::u32string upper = FoldedCodePoints(name);
    for (const auto& pattern : patterns_)
        if (Match(pattern, upper))
            return true;
    return false;
}

} // namespace vantrel
