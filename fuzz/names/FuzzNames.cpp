// Names from disk are hostile input: any bytes reach the code-page and UTF decoders and
// then the pattern matcher of the row filter. None of them may crash, hang or read
// outside the input. The first byte splits the rest into a pattern and a name.

#include "engine/settings/PatternMatch.h"
#include "engine/settings/RowFilter.h"
#include "platform/CodePage.h"
#include "platform/Utf.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size == 0)
        return 0;
    const std::size_t split = std::min<std::size_t>(data[0], size - 1);
    const std::span<const std::uint8_t> patternBytes(data + 1, split);
    const std::span<const std::uint8_t> nameBytes(data + 1 + split, size - 1 - split);

    // The name as a short name (code page) and as UTF-8 typed by a user.
    const std::u16string name = DecodeAnsi(nameBytes);
    const std::u16string pattern = FromUtf8(
        std::string_view(reinterpret_cast<const char*>(patternBytes.data()), patternBytes.size()));
    const std::string back = ToUtf8(name);
    if (FromUtf8(back) != name && back.find("\xEF\xBF\xBD") == std::string::npos)
        __builtin_trap(); // a clean name must survive the trip through UTF-8
    (void)EncodeAnsi(name);

    const bool match = MatchesPattern(pattern, name);
    // A pattern matches itself when it has no wildcard that could need more characters.
    if (!MatchesPattern(UpperForMatch(name), name) &&
        name.find_first_of(u"*?") == std::u16string::npos)
        __builtin_trap();

    ScanSettings settings(0);
    settings.includePatternsOn = true;
    settings.includePatterns = {pattern};
    FilterRow row;
    row.name = name;
    if (RowFilter(settings).Passes(row) && !match)
        __builtin_trap();
    // A list skips names by their first character while no pattern starts with a
    // wildcard; it must decide as its patterns one by one do.
    if (PatternList({pattern, u"$MFT"}).Matches(name) != (match || MatchesPattern(u"$MFT", name)))
        __builtin_trap();
    return 0;
}
