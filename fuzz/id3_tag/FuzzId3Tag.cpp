// MP3 tags are hostile input: frame sizes that pass the tag, truncated frames, tags larger
// than the file. The summary must end with its text whatever the bytes.

#include "viewers/core/Mp3Summary.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    MemoryEntryReader reader(std::vector<std::uint8_t>(data, data + size));
    if (!LooksLikeMp3(reader))
        return 0;
    const std::u16string summary = Mp3TagSummary(reader);
    if (!summary.ends_with(u"\r\n"))
        __builtin_trap();
    return 0;
}
