#include "engine/scan/KnownEntries.h"

#include "fs/fat/FatClusterChain.h"
#include "fs/fat/FatGeometry.h"
#include "fs/fat/FatShortName.h"
#include "fs/fat/FatTime.h"
#include "fs/fat/FatTreeWalk.h"

namespace vantrel {

namespace {

FileTime KnownFatTime(std::int64_t time) {
    return time == kUnknownFatTime ? FileTime{} : FileTime{time};
}

bool Later(const FileTime& a, const FileTime& b) {
    return a && (!b || *a > *b);
}

std::u16string Joined(const std::u16string& path, const std::u16string& name) {
    if (path.empty())
        return name;
    return name.empty() ? path : path + u'/' + name;
}

} // namespace

void KnownEntryMap::Offer(std::uint64_t lba, KnownEntry entry) {
    if (!Wanted(lba))
        return;
    const auto [at, added] = entries_.try_emplace(lba, std::move(entry));
    if (added)
        return;
    KnownEntry& held = at->second;
    if ((entry.live && !held.live) ||
        (entry.live == held.live && Later(entry.modifyTime, held.modifyTime)))
        held = std::move(entry);
}

const KnownEntry* KnownEntryMap::Find(std::uint64_t lba) const {
    const auto at = entries_.find(lba);
    return at == entries_.end() ? nullptr : &at->second;
}

bool AddFatEntries(FatVolume& volume, std::uint64_t lbaOffset, const std::u16string& rootPath,
                   KnownEntryMap& map) {
    if (!volume.Window())
        return false;
    const FatBootRecord& record = volume.Record();
    FatTable table(*volume.Window(), record);
    if (!table.Usable())
        return false;
    const std::uint32_t limit = ClusterLimit(record);
    // Files in a deleted folder are gone with it, whatever their own slots say.
    std::unordered_set<std::u16string> deletedFolders;
    return WalkFatTree(volume, [&](const FatTreeItem& item) {
        std::u16string name;
        if (!FatDisplayName(item.entry, &name) || name.size() > item.path.size())
            return true;
        std::u16string folder = item.path.substr(0, item.path.size() - name.size());
        if (!folder.empty())
            folder.pop_back(); // the '/' before the name
        const bool gone = IsDeleted(item.entry) || deletedFolders.count(folder) != 0;
        if (IsDirectory(item.entry)) {
            if (gone)
                deletedFolders.insert(item.path);
            return true;
        }
        const std::uint32_t cluster = item.entry.firstCluster;
        if (cluster < 2 || cluster >= limit || item.entry.fileSize == 0)
            return true;
        const std::uint64_t lba =
            table.ToWindowLba(FirstSectorOfCluster(record, cluster)) + lbaOffset;
        if (!map.Wanted(lba))
            return true;
        KnownEntry entry;
        entry.name = std::move(name);
        entry.folder = Joined(rootPath, folder);
        const FatEntryTimes times = EntryTimes(item.entry);
        entry.createTime = KnownFatTime(times.createTime);
        entry.modifyTime = KnownFatTime(times.modifyTime);
        entry.accessTime = KnownFatTime(times.accessTime);
        entry.size = item.entry.fileSize;
        entry.live = !gone;
        map.Offer(lba, std::move(entry));
        return true;
    });
}

} // namespace vantrel
