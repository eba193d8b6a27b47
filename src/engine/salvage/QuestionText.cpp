#include "engine/salvage/QuestionText.h"

#include "platform/LocalTime.h"
#include "platform/Utf.h"

#include <cstdio>

namespace vantrel {

std::u16string SizeText(std::uint64_t bytes) {
    static const char* const kUnits[] = {"BYTE", "KB", "MB", "GB", "TB", "PB", "EB"};
    std::size_t steps = 0;
    // 2^64 - 1 needs six divisions, so the unit table is never overrun.
    while (bytes > 1024 && steps + 1 < std::size(kUnits)) {
        bytes /= 1024;
        ++steps;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%llu %s", static_cast<unsigned long long>(bytes),
                  kUnits[steps]);
    return AsciiToU16(text);
}

std::u16string ModifyTimeText(const FileTime& time) {
    CalendarTime local;
    if (!time || !EpochToLocal(*time, &local))
        return {};
    char text[128];
    std::snprintf(text, sizeof text, "更新日時: %d年%d月%d日、%d:%02d:%02d", local.year,
                  local.month, local.day, local.hour, local.minute, local.second);
    return FromUtf8(text);
}

} // namespace vantrel
