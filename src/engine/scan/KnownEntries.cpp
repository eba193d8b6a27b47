#include "engine/scan/KnownEntries.h"

#include "fs/fat/FatClusterChain.h"
#include "fs/fat/FatGeometry.h"
#include "fs/fat/FatTime.h"
#include "fs/fat/FatTreeWalk.h"

#include <algorithm>

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
    // Each local-time conversion asks the time zone; a card's photos share their days
    // and, mostly, their creation and write times.
    std::unordered_map<std::uint32_t, FileTime> converted;
    const auto time = [&](std::uint16_t date, std::uint16_t clock) {
        const auto [at, added] = converted.try_emplace((std::uint32_t{date} << 16) | clock);
        if (added)
            at->second = KnownFatTime(FatDateTimeToEpoch(date, clock));
        return at->second;
    };
    return WalkFatTree(volume, [&](const FatTreeItem& item) {
        const std::uint32_t cluster = item.entry.firstCluster;
        if (IsDirectory(item.entry) || cluster < 2 || cluster >= limit || item.entry.fileSize == 0)
            return true;
        const std::uint64_t lba =
            table.ToWindowLba(FirstSectorOfCluster(record, cluster)) + lbaOffset;
        if (!map.Wanted(lba) || item.folderLength > item.path.size())
            return true;
        const std::size_t nameStart = item.folderLength == 0 ? 0 : item.folderLength + 1;
        KnownEntry entry;
        entry.name = item.path.substr(std::min(nameStart, item.path.size()));
        entry.folder = Joined(rootPath, item.path.substr(0, item.folderLength));
        entry.createTime = time(item.entry.createDate, item.entry.createTime);
        entry.modifyTime = time(item.entry.writeDate, item.entry.writeTime);
        entry.accessTime = time(item.entry.accessDate, 0);
        entry.size = item.entry.fileSize;
        entry.live = !IsDeleted(item.entry) && !item.inDeletedFolder;
        map.Offer(lba, std::move(entry));
        return true;
    });
}

} // namespace vantrel
