#pragma once

// Visiting every folder and file below a FAT volume's root, deleted ones included, with
// guards for the loops a damaged volume can hold: a folder whose entry points back to an
// ancestor (or to any folder already visited) is reported but not entered again, and
// the depth and the number of entries are capped.

#include "fs/fat/FatDirEntry.h"
#include "fs/fat/FatVolume.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

struct FatTreeItem {
    FatDirEntry entry;
    std::u16string path;          // display names joined by '/', from the root
    std::size_t folderLength = 0; // of the folder's path at the start of path (0: the root)
    std::uint32_t depth = 0;      // 0 for the root's entries
    // A folder above the entry is deleted: the entry went with it, whatever its own slot
    // says.
    bool inDeletedFolder = false;
    // A folder that was not entered: already visited, too deep, or unreadable.
    bool notEntered = false;
};

struct FatWalkLimits {
    std::uint32_t maxDepth = 64;
    std::uint64_t maxEntries = 4'000'000;
};

// Calls visit for every entry except ".", ".." and volume labels, parents before their
// children; entries whose name cannot be shown are passed over. visit returns false to
// stop. Returns false when the root could not be read or a limit stopped the walk.
[[nodiscard]] bool WalkFatTree(FatVolume& volume,
                               const std::function<bool(const FatTreeItem&)>& visit,
                               const FatWalkLimits& limits = {});

} // namespace vantrel
