#pragma once

// Texts the browsing commands print: JSON string literals, and file times in local time
// (ISO 8601 with the zone offset).

#include "engine/tree/FileTime.h"

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

} // namespace vantrel::cli
