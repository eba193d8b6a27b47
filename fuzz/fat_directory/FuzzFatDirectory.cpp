// Directory data with long names: the listing walk, long-name attachment from every
// slot, display names and times.

#include "fs/fat/FatDirectoryListing.h"
#include "fs/fat/FatLongNameEntry.h"
#include "fs/fat/FatShortName.h"
#include "fs/fat/FatTime.h"

#include <cstddef>
#include <cstdint>

// What a call returns does not matter here (hence the casts to void): only that it ends
// cleanly on any input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const Bytes input(data, size);
    for (const FatDirEntry& entry : ParseDirectoryEntries(input)) {
        std::u16string name;
        static_cast<void>(FatDisplayName(entry, &name));
        static_cast<void>(BuildShortName(entry, &name));
        EntryTimes(entry);
        IsFileEntry(entry);
    }
    const std::size_t count = size / kFatDirEntryBytes;
    for (std::size_t index = 0; index < count; ++index) {
        FatDirEntry entry;
        std::size_t shortIndex = 0;
        if (AttachLongName(entry, input, index, count + 1, &shortIndex) && shortIndex >= count)
            __builtin_trap();
        SkipLongNameEntries(input, index, count);
        const Bytes slot = input.subspan(index * kFatDirEntryBytes);
        IsLongNameEntry(slot);
        LongNameSlotChars(slot);
    }
    return 0;
}
