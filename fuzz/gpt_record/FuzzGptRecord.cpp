// GUID partition table parsing: the input is a header sector followed by its entry array.
// Nothing is read outside the input, and a header that parses describes an array no
// larger than the limit.

#include "device/GptRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, size);
    const std::size_t headerBytes = size < 512 ? size : 512;
    GptHeader header;
    if (!ParseGptHeader(input.first(headerBytes), &header))
        return 0;
    if (GptArrayBytes(header) > kGptMaxArrayBytes || header.entrySize < kGptEntryMinSize)
        std::abort();
    const Bytes array = input.subspan(headerBytes);
    GptArrayMatches(header, array);
    for (std::uint32_t i = 0; i < header.entryCount; ++i) {
        GptEntry entry;
        if (!ParseGptEntry(header, array, i, &entry))
            break;
        if (entry.name.size() > 36)
            std::abort();
        IsUsedGptEntry(entry);
    }
    return 0;
}
