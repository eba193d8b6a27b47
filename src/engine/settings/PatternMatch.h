#pragma once

// File-name patterns of the include and exclude lists. A pattern is compared with the
// whole name: '*' matches any run of characters (also none), '?' exactly one character,
// everything else itself, ignoring case. Matching backtracks, so "*.JPG" matches
// "a.jpg.jpg": a name that ends in .jpg is a JPEG however many dots come before.

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The upper-case form used for comparing names (ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic and full-width Latin letters; everything else is kept).
char16_t UpperForMatch(char16_t c);
std::u16string UpperForMatch(std::u16string_view text);

bool MatchesPattern(std::u16string_view pattern, std::u16string_view name);

// A list of patterns prepared once (upper-cased) for matching many names.
class PatternList {
public:
    PatternList() = default;
    explicit PatternList(const std::vector<std::u16string>& patterns);

    // True when any pattern matches the name; an empty list matches nothing.
    bool Matches(std::u16string_view name) const;
    bool Empty() const { return patterns_.empty(); }

private:
    std::vector<std::u32string> patterns_;
    // The patterns' first code points. While no pattern starts with a wildcard, a name
    // can match only a pattern that starts with the name's own first (folded) character.
    std::u32string firsts_;
    bool literalStarts_ = true;
};

} // namespace vantrel
