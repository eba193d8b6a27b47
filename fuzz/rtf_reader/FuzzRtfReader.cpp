// RTF documents are hostile input: groups nested without end, control words with huge
// parameters, \bin lengths past the end, \'hh cut short. The reader must end cleanly and
// never produce more text than the input could describe.

#include "viewers/core/RtfReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const RtfDocument document = ReadRtf(Bytes(data, size));
    const std::u16string text = RtfPlainText(document);
    // Each input byte yields at most two units (a paragraph end and a character).
    if (text.size() > 2 * size + 2)
        __builtin_trap();
    return 0;
}
