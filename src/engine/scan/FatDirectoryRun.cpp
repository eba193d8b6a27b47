#include "engine/scan/FatDirectoryRun.h"

#include "fs/fat/FatDirectoryData.h"
#include "fs/fat/FatLongNameEntry.h"

#include <algorithm>

namespace vantrel {

FatDirectoryRun WalkDirectoryRun(Bytes data, const EntryOutsideVolume& outside) {
    FatDirectoryRun run;
    if (data.size() < kFatDirEntryBytes)
        return run;
    // A prefix shorter than one slot still counts as one entry, so that the scan always
    // moves on past what it looked at.
    const std::size_t prefix = std::max(PlausibleEntryPrefix(data), kFatDirEntryBytes);
    const std::size_t count = std::min(prefix, data.size()) / kFatDirEntryBytes;
    const Bytes slots = data.first(count * kFatDirEntryBytes);
    std::size_t i = 0;
    while (i < count) {
        const std::size_t slotStart = i * kFatDirEntryBytes;
        const Bytes slot = slots.subspan(slotStart, kFatDirEntryBytes);
        FatDirEntry entry;
        std::size_t next = i + 1;
        std::size_t shortSlot = i;
        bool parsed = false;
        if (slot[11] == kFatAttrLongName) {
            std::size_t shortIndex = 0;
            if (AttachLongName(entry, slots, i, count, &shortIndex) && shortIndex < count) {
                parsed = true;
                next = shortIndex + 1;
                shortSlot = shortIndex;
            }
        } else {
            parsed = ParseDirEntry(entry, slot);
        }
        if (parsed) {
            if (outside && outside(entry)) {
                run.bytesWalked = slotStart;
                return run;
            }
            if (ListedKind(entry) != FatListedKind::kNone) {
                run.entries.push_back(std::move(entry));
                run.offsets.push_back(shortSlot * kFatDirEntryBytes);
            }
        }
        i = next;
    }
    run.bytesWalked = count * kFatDirEntryBytes;
    return run;
}

bool IsCredibleEntry(const FatDirEntry& entry, std::uint32_t clusterLimit) {
    const unsigned day = entry.writeDate & 0x1F;
    const unsigned month = (entry.writeDate >> 5) & 0x0F;
    const unsigned halfSeconds = entry.writeTime & 0x1F;
    const unsigned minutes = (entry.writeTime >> 5) & 0x3F;
    const unsigned hours = entry.writeTime >> 11;
    if (day == 0 || month == 0 || month > 12 || halfSeconds > 29 || minutes > 59 || hours > 23)
        return false;
    const bool inside = entry.firstCluster >= 2 && entry.firstCluster < clusterLimit;
    if (IsDirectory(entry))
        return inside;
    return inside || (entry.firstCluster == 0 && entry.fileSize == 0);
}

} // namespace vantrel
