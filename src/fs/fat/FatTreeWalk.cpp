#include "fs/fat/FatTreeWalk.h"

#include "fs/fat/FatShortName.h"

#include <unordered_set>
#include <vector>

namespace vantrel {

bool WalkFatTree(FatVolume& volume, const std::function<bool(const FatTreeItem&)>& visit,
                 const FatWalkLimits& limits) {
    struct Folder {
        std::vector<FatDirEntry> entries;
        std::u16string path;
        std::uint32_t depth;
        bool deleted = false; // the folder or one above it
    };
    std::vector<Folder> pending(1);
    if (!volume.ListRoot(&pending.back().entries))
        return false;
    pending.back().depth = 0;
    // First clusters of the folders entered; the root of a FAT32 volume is one of them.
    std::unordered_set<std::uint32_t> entered;
    if (volume.Record().fatType == kFat32)
        entered.insert(volume.Record().rootCluster);
    std::uint64_t seen = 0;
    bool complete = true;

    while (!pending.empty()) {
        Folder folder = std::move(pending.back());
        pending.pop_back();
        // Children are pushed in reverse so that they are walked in directory order.
        std::vector<Folder> children;
        for (const FatDirEntry& entry : folder.entries) {
            if (IsDotEntry(entry) || IsDotDotEntry(entry) || IsVolumeLabel(entry))
                continue;
            if (++seen > limits.maxEntries)
                return false;
            FatTreeItem item;
            std::u16string name;
            if (!FatDisplayName(entry, &name))
                continue;
            item.entry = entry;
            item.path = folder.path.empty() ? name : folder.path + u'/' + name;
            item.folderLength = folder.path.size();
            item.depth = folder.depth;
            item.inDeletedFolder = folder.deleted;
            Folder child;
            if (IsDirectory(entry)) {
                const bool fresh =
                    entry.firstCluster >= 2 && entered.insert(entry.firstCluster).second;
                if (!fresh || folder.depth + 1 > limits.maxDepth ||
                    !volume.ListDirectory(entry, &child.entries)) {
                    item.notEntered = true;
                    if (fresh && folder.depth + 1 > limits.maxDepth)
                        complete = false;
                } else {
                    child.path = item.path;
                    child.depth = folder.depth + 1;
                    child.deleted = folder.deleted || IsDeleted(entry);
                    children.push_back(std::move(child));
                }
            }
            if (!visit(item))
                return complete;
        }
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(std::move(*it));
    }
    return complete;
}

} // namespace vantrel
