#pragma once

// Text in a code page named by its Windows number (RTF documents name theirs: \ansicpg932,
// \fcharset128), converted with iconv.

#include <cstdint>
#include <span>
#include <string>

namespace vantrel {

// Bytes that do not convert become U+FFFD; an unknown code page reads ASCII only.
std::u16string DecodeWindowsCodePage(int codePage, std::span<const std::uint8_t> bytes);

// True when byte starts a two-byte character in the code page (932, 936, 949, 950).
bool IsLeadByteOf(int codePage, std::uint8_t byte);

} // namespace vantrel
