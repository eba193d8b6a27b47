#include "engine/tree/UnreadData.h"

#include "device/MappedDisk.h"
#include "engine/tree/FileCondition.h"
#include "engine/tree/FileEntry.h"

#include <algorithm>

namespace vantrel {

std::uint64_t UnreadDataBytes(const FileEntry& entry) {
    const CDiskWindow* window = entry.window;
    if (!window || entry.sectorSize == 0 || entry.size == 0 || entry.residentData ||
        !dynamic_cast<const CMappedDisk*>(window->Device()))
        return 0;
    const std::uint64_t sectors = (entry.size - 1) / entry.sectorSize + 1;
    const std::uint64_t tail = entry.size - (sectors - 1) * entry.sectorSize; // bytes in the last
    std::uint64_t unread = 0;
    std::uint64_t done = 0;
    for (const Extent& run : entry.extents.Runs()) {
        if (done >= sectors)
            break;
        const std::uint64_t count = std::min(run.sectorCount, sectors - done);
        if (run.startLba != kSparseExtentLba) {
            const std::uint64_t lba = window->Start() + run.startLba;
            const bool holdsLast = done + count == sectors;
            const std::uint64_t full = holdsLast ? count - 1 : count;
            unread += UnreadSectorsOnDevice(window->Device(), lba, full) * entry.sectorSize;
            if (holdsLast && UnreadSectorsOnDevice(window->Device(), lba + full, 1) != 0)
                unread += tail;
        }
        done += count;
    }
    return unread;
}

void NoteUnreadData(FileEntry& entry) {
    entry.unreadBytes = UnreadDataBytes(entry);
    if (entry.unreadBytes != 0 && entry.condition != kConditionVeryPoor)
        entry.condition = kConditionPoor;
}

} // namespace vantrel
