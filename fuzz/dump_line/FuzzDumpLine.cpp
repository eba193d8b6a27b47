// Any bytes in any text mode: every line keeps its length and its glyphs stay inside the
// text column, whatever the double-byte characters do at line ends.

#include "viewers/core/DumpFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size == 0)
        return 0;
    const auto mode = static_cast<DumpTextMode>(1 + data[0] % 3);
    const std::size_t expected = DumpHexText(0, {}).size();
    bool carry = false;
    for (std::size_t offset = 1; offset < size; offset += kDumpLineBytes) {
        const std::size_t n = std::min<std::size_t>(kDumpLineBytes, size - offset);
        const Bytes line(data + offset, n);
        const std::size_t after = offset + kDumpLineBytes;
        const std::optional<std::uint8_t> next =
            after < size ? std::optional<std::uint8_t>(data[after]) : std::nullopt;
        if (DumpHexText(offset - 1, line).size() != expected)
            __builtin_trap();
        for (const DumpGlyph& glyph : DumpTextColumn(mode, line, next, offset == 1, carry))
            if (glyph.cell < 0 || glyph.cell >= kDumpLineBytes || glyph.text.empty())
                __builtin_trap();
    }
    return 0;
}
