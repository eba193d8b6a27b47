// The directory-data tests that raw-sector scans run on every sector.

#include "fs/fat/FatDirEntry.h"
#include "fs/fat/FatDirectoryData.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const Bytes input(data, size);
    const std::size_t prefix = PlausibleEntryPrefix(input);
    if (prefix > size || prefix % kFatDirEntryBytes != 0)
        __builtin_trap();
    if (IsDirectoryCluster(input) && prefix == 0)
        __builtin_trap();
    LeadingTextLength(input);
    for (std::size_t offset = 0; offset < size; offset += kFatDirEntryBytes)
        IsPlausibleEntry(input.subspan(offset));
    return 0;
}
