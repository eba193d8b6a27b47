#include "cli/TextFormat.h"

#include "engine/salvage/Manifest.h"
#include "platform/LocalTime.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel::cli {

std::string JsonString(std::string_view utf8) {
    return JsonQuote(utf8);
}

std::string JsonTime(const FileTime& time) {
    CalendarTime local;
    if (!time || !EpochToLocal(*time, &local))
        return "null";
    const long offset = LocalUtcOffset(*time);
    const long minutes = std::labs(offset) / 60;
    char text[48];
    std::snprintf(text, sizeof text, "\"%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld\"", local.year,
                  local.month, local.day, local.hour, local.minute, local.second,
                  offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

} // namespace vantrel::cli
