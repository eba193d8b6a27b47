// Pages are hostile input: unterminated tags and comments, quotes, scripts in mixed case.
// The sanitiser rewrites in place, so its output always has the input's length.

#include "viewers/core/HtmlSanitizer.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    (void)PrepareHtmlPreview(Bytes(data, size));

    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    std::u16string sanitized = text;
    if (!SanitizeHtml(sanitized))
        return 0;
    if (sanitized.size() != text.size())
        __builtin_trap();
    return 0;
}
