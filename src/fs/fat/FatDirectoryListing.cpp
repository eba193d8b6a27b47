#include "fs/fat/FatDirectoryListing.h"

#include "fs/fat/FatLongNameEntry.h"

namespace vantrel {

std::vector<FatDirEntry> ParseDirectoryEntries(Bytes data, bool* endReached) {
    if (endReached)
        *endReached = false;
    std::vector<FatDirEntry> entries;
    const std::size_t count = data.size() / kFatDirEntryBytes;
    std::size_t index = 0;
    while (index < count) {
        const Bytes slot = data.subspan(index * kFatDirEntryBytes, kFatDirEntryBytes);
        if (slot[0] == 0) {
            if (endReached)
                *endReached = true;
            break;
        }
        FatDirEntry entry;
        if (slot[11] == kFatAttrLongName) {
            std::size_t shortIndex = 0;
            if (AttachLongName(entry, data, index, count, &shortIndex)) {
                if (entry.raw[0] == 0) {
                    if (endReached)
                        *endReached = true;
                    break;
                }
                // The run ends at its short entry, which is taken only when it is one.
                if (IsShortEntry(entry))
                    entries.push_back(std::move(entry));
                index = shortIndex + 1;
            } else if ((slot[0] & kFatLastLongNamePart) != 0 && slot[12] == 0) {
                break; // a run that no short entry follows: only long-name slots remain
            } else {
                ++index; // an orphan part of a name
            }
            continue;
        }
        if (IsShortEntry(slot) && ParseDirEntry(entry, slot))
            entries.push_back(std::move(entry));
        ++index;
    }
    return entries;
}

} // namespace vantrel
