#include "engine/tree/FileCondition.h"

#include "engine/tree/FileEntry.h"

#include <vector>

namespace vantrel {

const char* FileConditionText(int code) {
    switch (code) {
    case kConditionEmpty:
        return "空のファイル";
    case kConditionNtfs:
        return "NTFSファイル";
    case kConditionVeryGood:
        return "とても良い";
    case kConditionGood:
        return "良い";
    case kConditionFair:
        return "やや悪い";
    case kConditionPoor:
        return "悪い";
    case kConditionVeryPoor:
        return "とても悪い";
    default:
        return "不明";
    }
}

int RateCondition(FileEntry& entry) {
    if (entry.size == 0)
        return kConditionEmpty;
    if (DataPastWindowEnd(entry))
        return kConditionVeryPoor;
    if (!entry.doubtful)
        return entry.deleted ? kConditionGood : kConditionVeryGood;
    if (!entry.deleted)
        return kConditionFair;
    return TailIsClean(entry) ? kConditionPoor : kConditionVeryPoor;
}

bool DataPastWindowEnd(const FileEntry& entry) {
    if (!entry.window)
        return false;
    const std::uint64_t length = entry.window->Length();
    for (const Extent& run : entry.extents.Runs())
        if (run.startLba != kSparseExtentLba &&
            (run.startLba >= length || run.sectorCount > length - run.startLba))
            return true;
    return false;
}

bool TailIsClean(FileEntry& entry) {
    if (entry.sectorSize == 0 || entry.size % entry.sectorSize == 0)
        return true;
    if (!entry.window)
        return false;
    const std::uint64_t lastSector = (entry.size - 1) / entry.sectorSize;
    const std::uint64_t lba = entry.extents.LbaOf(lastSector);
    if (lba == kSparseExtentLba)
        return false;
    std::vector<std::uint8_t> sector(entry.sectorSize);
    if (!entry.window->ReadSectors(lba, 1, sector.data(), entry.sectorSize))
        return false;
    for (std::size_t i = entry.size % entry.sectorSize; i < sector.size(); ++i)
        if (sector[i] != 0)
            return false;
    return true;
}

} // namespace vantrel
