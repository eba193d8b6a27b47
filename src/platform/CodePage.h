#pragma once

// The disk's "ANSI code page": short names and text in files are bytes in this code
// page. CP932 (Shift-JIS) unless a setting chooses another iconv name.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

void SetAnsiCodePage(const std::string& iconvName);
std::string AnsiCodePage();

// Bytes in the ANSI code page to UTF-16. A byte sequence that does not convert becomes
// U+FFFD and the conversion goes on; it never fails as a whole.
std::u16string DecodeAnsi(std::span<const std::uint8_t> bytes);
// UTF-16 to the ANSI code page; characters without a mapping become '?'.
std::string EncodeAnsi(std::u16string_view text);

// True when byte is the lead byte of a two-byte character in the ANSI code page
// (Shift-JIS: 0x81-0x9F and 0xE0-0xFC; other double-byte pages as iconv knows them;
// never in a single-byte page).
bool IsAnsiLeadByte(std::uint8_t byte);

} // namespace vantrel
