#include "cli/TextFormat.h"

#include "platform/LocalTime.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel::cli {

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
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
