#include "engine/volume/FatFileFill.h"

#include "engine/tree/FileCondition.h"
#include "fs/fat/FatShortName.h"
#include "fs/fat/FatTime.h"

namespace vantrel {

namespace {

FileTime KnownOrNot(std::int64_t fatTime) {
    return fatTime == kUnknownFatTime ? FileTime{} : FileTime{fatTime};
}

} // namespace

bool FillFatFileEntry(FileEntry& entry, CDiskWindow* window, const FatBootRecord& record,
                      const FatDirEntry& dirEntry) {
    if (!window)
        return false;
    FatTable table(*window, record);
    return FillFatFileEntry(entry, table, dirEntry);
}

bool FillFatFileEntry(FileEntry& entry, FatTable& table, const FatDirEntry& dirEntry,
                      FatTimeConverter* times) {
    if (!entry.AttachToWindow(&table.Window()) || !table.Usable())
        return false;
    FatExtents runs;
    if (!FollowClusterChain(table, dirEntry, &runs))
        return false;
    for (const FatRun& run : runs.runs)
        entry.extents.Append(run.lba, run.sectors);
    entry.doubtful = runs.doubtful;

    if (!FatDisplayName(dirEntry, &entry.name) || entry.name.empty())
        return false;
    const FatEntryTimes converted = times ? times->EntryTimes(dirEntry) : EntryTimes(dirEntry);
    entry.createTime = KnownOrNot(converted.createTime);
    entry.modifyTime = KnownOrNot(converted.modifyTime);
    entry.accessTime = KnownOrNot(converted.accessTime);
    entry.deleted = IsDeleted(dirEntry);

    const std::uint64_t extentBytes = entry.extents.TotalSectors() * entry.sectorSize;
    entry.size = IsDirectory(dirEntry) ? extentBytes : dirEntry.fileSize;
    entry.condition = RateCondition(entry);
    if (entry.size > extentBytes) {
        entry.recordedSize = entry.size;
        entry.size = extentBytes;
        entry.condition = kConditionVeryPoor;
    }
    return true;
}

} // namespace vantrel
