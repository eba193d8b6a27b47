// E01 segment files are the user's evidence files, possibly damaged: walking the section
// chain of any bytes must end (no loop), stay inside the file and read nothing outside.

#include "device/ewf/EwfSegmentChain.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    int reads = 0;
    const EwfReadAt read = [&](std::uint64_t offset, void* buffer, std::size_t bytes) {
        if (offset > size || bytes > size - offset)
            __builtin_trap(); // the walk checks the size before it reads
        std::memcpy(buffer, data + offset, bytes);
        ++reads;
        return true;
    };
    EwfSegmentInfo info;
    if (ReadEwfSegment(read, size, &info) && reads > 1 + static_cast<int>(size / 76))
        __builtin_trap(); // every section moves forward by a descriptor at least
    return 0;
}
