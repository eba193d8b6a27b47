#include "cli/TextFormat.h"

#include "engine/salvage/Manifest.h"
#include "platform/LocalTime.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel::cli {

std::string JsonString(std::string_view utf8) {
    return JsonQuote(utf8);
}

void AppendJsonEscaped(std::string& out, std::string_view utf8) {
    // Plain runs are copied whole; the escapes are JsonQuote's.
    std::size_t plain = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte >= 0x20 && byte != '"' && byte != '\\' && byte != 0x7F)
            continue;
        out.append(utf8, plain, i - plain);
        const std::string escaped = JsonQuote(utf8.substr(i, 1));
        out.append(escaped, 1, escaped.size() - 2);
        plain = i + 1;
    }
    out.append(utf8, plain, utf8.size() - plain);
}

namespace {

// Two decimal digits of 0..99.
char* PutTwo(char* at, long value) {
    at[0] = static_cast<char>('0' + value / 10);
    at[1] = static_cast<char>('0' + value % 10);
    return at + 2;
}

} // namespace

std::string JsonTime(const FileTime& time) {
    CalendarTime local;
    long offset = 0;
    if (!time || !EpochToLocal(*time, &local, &offset))
        return "null";
    const long minutes = std::labs(offset) / 60;
    // Every row of a listing has three times: digits by hand where the year and the
    // offset fit their columns (the other fields come from the C library in range).
    if (local.year >= 0 && local.year <= 9999 && minutes / 60 < 100) {
        char text[28] = "\"0000-00-00T00:00:00+00:00\"";
        PutTwo(PutTwo(text + 1, local.year / 100), local.year % 100);
        PutTwo(text + 6, local.month);
        PutTwo(text + 9, local.day);
        PutTwo(text + 12, local.hour);
        PutTwo(text + 15, local.minute);
        PutTwo(text + 18, local.second);
        text[20] = offset < 0 ? '-' : '+';
        PutTwo(text + 21, minutes / 60);
        PutTwo(text + 24, minutes % 60);
        return std::string(text, 27);
    }
    char text[48];
    std::snprintf(text, sizeof text, "\"%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld\"", local.year,
                  local.month, local.day, local.hour, local.minute, local.second,
                  offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

} // namespace vantrel::cli
