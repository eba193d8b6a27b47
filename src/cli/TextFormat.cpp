#include "cli/TextFormat.h"

#include "engine/salvage/Manifest.h"
#include "platform/LocalTime.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantrel::cli {

std::string JsonString(std::string_view utf8) {
    return JsonQuote(utf8);
}

namespace {

// Whether any of the eight bytes in word needs an escape: below 0x20, '"', '\\' or DEL.
// (x - 0x01..) & ~x & 0x80.. is nonzero exactly when a byte of x is zero; with 0x20..
// in place of 0x01.., when a byte is below 0x20.
bool WordNeedsEscape(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHigh = 0x8080808080808080;
    const auto hasZero = [](std::uint64_t x) { return (x - kOnes) & ~x & kHigh; };
    return (((word - kOnes * 0x20) & ~word & kHigh) | hasZero(word ^ (kOnes * '"')) |
            hasZero(word ^ (kOnes * '\\')) | hasZero(word ^ (kOnes * 0x7F))) != 0;
}

} // namespace

void AppendJsonEscaped(std::string& out, std::string_view utf8) {
    // Plain runs are copied whole, found eight bytes at a time (the tail padded with a
    // plain byte); only a word with something to escape is gone through byte by byte.
    // The escapes are JsonQuote's.
    const std::size_t size = utf8.size();
    std::size_t plain = 0;
    std::size_t i = 0;
    while (i < size) {
        std::uint64_t word = 0;
        if (size - i >= sizeof word) {
            std::memcpy(&word, utf8.data() + i, sizeof word);
        } else {
            char tail[sizeof word] = {'a', 'a', 'a', 'a', 'a', 'a', 'a', 'a'};
            std::memcpy(tail, utf8.data() + i, size - i);
            std::memcpy(&word, tail, sizeof word);
        }
        if (!WordNeedsEscape(word)) {
            i += sizeof word;
            continue;
        }
        for (const std::size_t end = std::min(size, i + sizeof word); i < end; ++i) {
            const auto byte = static_cast<unsigned char>(utf8[i]);
            if (byte >= 0x20 && byte != '"' && byte != '\\' && byte != 0x7F)
                continue;
            out.append(utf8.data() + plain, i - plain);
            const std::string escaped = JsonQuote(utf8.substr(i, 1));
            out.append(escaped, 1, escaped.size() - 2);
            plain = i + 1;
        }
    }
    out.append(utf8.data() + plain, size - plain);
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
    std::string text;
    AppendJsonTime(text, time);
    return text;
}

void AppendJsonTime(std::string& out, const FileTime& time) {
    CalendarTime local;
    long offset = 0;
    if (!time || !EpochToLocal(*time, &local, &offset)) {
        out.append("null");
        return;
    }
    const long minutes = std::labs(offset) / 60;
    // Digits by hand where the year and the offset fit their columns (the other fields
    // come from the C library in range).
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
        out.append(text, 27);
        return;
    }
    char text[48];
    std::snprintf(text, sizeof text, "\"%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld\"", local.year,
                  local.month, local.day, local.hour, local.minute, local.second,
                  offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    out.append(text);
}

void JsonTimeCache::Append(std::string& out, const FileTime& time) {
    if (!time) {
        out.append("null");
        return;
    }
    for (const Entry& entry : entries_)
        if (entry.seconds == *time && !entry.text.empty()) {
            out.append(entry.text);
            return;
        }
    Entry& entry = entries_[next_];
    next_ = (next_ + 1) % entries_.size();
    entry.seconds = *time;
    entry.text.clear();
    AppendJsonTime(entry.text, time);
    out.append(entry.text);
}

} // namespace vantrel::cli
