#pragma once

// The size and date lines that the salvage questions show for each file involved.

#include "engine/tree/FileTime.h"

#include <cstdint>
#include <string>

namespace vantrel {

// "%I64u %s": the byte count divided by 1024 (truncating) while it is above 1024, with
// "BYTE", "KB", "MB", "GB", "TB", "PB" or "EB" for the number of divisions. So 1024 bytes
// stay "1024 BYTE" and 1025 bytes become "1 KB".
std::u16string SizeText(std::uint64_t bytes);

// "更新日時: %d年%d月%d日、%d:%02d:%02d" in local time; empty when the time is unknown or
// cannot be converted (the dialog then keeps its placeholder).
std::u16string ModifyTimeText(const FileTime& time);

// Shown until the size and date of a file are known.
inline constexpr char16_t kUnknownSizeAndDate[] = u"(不明な日付とサイズ)";

} // namespace vantrel
