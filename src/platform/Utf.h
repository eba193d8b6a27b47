#pragma once

// UTF-8 <-> UTF-16 conversion. Engine names are UTF-16 as on disk; the CLI prints UTF-8.
// Unpaired surrogates and malformed UTF-8 become U+FFFD instead of failing.

#include <string>
#include <string_view>

namespace vantrel {

std::string ToUtf8(std::u16string_view text);
// ToUtf8's text appended to out.
void AppendUtf8(std::string& out, std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// ASCII-only helpers for program texts that are plain ASCII.
std::u16string AsciiToU16(std::string_view text);

} // namespace vantrel
