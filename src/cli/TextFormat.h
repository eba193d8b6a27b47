#pragma once

// Texts the browsing commands print: JSON string literals, and file times in local time
// (ISO 8601 with the zone offset).

#include "engine/tree/FileTime.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::cli {

// A quoted JSON string; quotes, backslashes and control characters are escaped.
std::string JsonString(std::string_view utf8);
// The same without the quotes, appended to out: pieces appended one after another make
// the escaped text of their concatenation.
void AppendJsonEscaped(std::string& out, std::string_view utf8);
// "2021-03-04T05:06:08+09:00"; "null" (unquoted, ready for JSON) when unknown.
std::string JsonTime(const FileTime& time);
void AppendJsonTime(std::string& out, const FileTime& time);

// JsonTime's texts of the last few times appended: the rows of a listing share a handful
// of times (every carved file has the scan's), and each conversion to local time is a
// walk through the zone's rules. The zone must not change while a cache is in use.
class JsonTimeCache {
public:
    void Append(std::string& out, const FileTime& time);

private:
    struct Entry {
        std::int64_t seconds = 0;
        std::string text; // empty while the entry holds nothing
    };
    std::array<Entry, 4> entries_;
    std::size_t next_ = 0;
};

} // namespace vantrel::cli
