#include "engine/partition/PartitionSupport.h"
#include "engine/partition/PartitionWalk.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatGeometry.h"
#include "fs/ntfs/NtfsBootSector.h"

#include <vector>

namespace vantrel {

namespace {

constexpr std::uint32_t kSearchSectors = 32; // sectors per read of the near search
constexpr std::uint32_t kSearchReads = 8;    // 256 sectors
constexpr std::uint64_t kAlignBytes = 1ull << 20;
constexpr std::uint64_t kAlignedReach = 64ull << 20;
constexpr std::uint32_t kTypeFat12 = 0x01;
constexpr std::uint32_t kTypeFat16 = 0x06;
constexpr std::uint32_t kTypeNtfs = 0x07;
constexpr std::uint32_t kTypeFat32Lba = 0x0C;
constexpr std::uint64_t kFat32BackupSector = 6;

std::uint32_t TypeOfFat(const FatBootRecord& record) {
    switch (record.fatType) {
    case kFat12:
        return kTypeFat12;
    case kFat16:
        return kTypeFat16;
    default:
        return kTypeFat32Lba;
    }
}

// A FAT32 boot record at lba that is the copy at sector 6: its own first FAT sector
// does not begin with the media byte, as a volume's first FAT always does.
bool IsFat32Backup(CDiskWindow& window, std::uint64_t lba, const FatBootRecord& record,
                   std::uint32_t sectorSize) {
    if (record.fatType != kFat32 || record.backupBootSector != kFat32BackupSector ||
        lba < kFat32BackupSector || record.bytesPerSector < sectorSize)
        return false;
    const std::uint64_t fatLba =
        lba + std::uint64_t{record.reservedSectors} * (record.bytesPerSector / sectorSize);
    std::vector<std::uint8_t> fat(sectorSize);
    return ReadOneSector(window, fatLba, fat) && fat[0] != record.media;
}

bool TestSector(CDiskWindow& window, Bytes sector, std::uint64_t lba, std::uint32_t sectorSize,
                FoundVolume* found) {
    NtfsBootRecord ntfs;
    FatBootRecord fat;
    if (IsNtfsBootSector(sector, sectorSize) && ParseNtfsBootRecord(sector, &ntfs)) {
        *found = {lba, kTypeNtfs, ntfs.totalSectors};
        return true;
    }
    if (IsFatBootSector(sector, sectorSize) && ParseFatBootRecord(fat, sector)) {
        // The 16-bit count when set: a small volume keeps its size there, and a count of
        // 0 would drop a volume that was found.
        *found = {lba, TypeOfFat(fat), TotalSectors(fat)};
        if (IsFat32Backup(window, lba, fat, sectorSize))
            found->lba = lba - kFat32BackupSector;
        return true;
    }
    return false;
}

} // namespace

bool SearchVolumeStart(CDiskWindow& window, std::uint64_t from, FoundVolume* found) {
    Capacity capacity;
    if (!found || !UsableCapacity(window, &capacity))
        return false;
    const std::uint32_t ss = capacity.sectorSize;
    std::vector<std::uint8_t> buffer(std::size_t{kSearchSectors} * ss);
    std::uint64_t p = from;
    for (std::uint32_t read = 0; read < kSearchReads; ++read, p += kSearchSectors) {
        if (!window.ReadSectors(p, kSearchSectors, buffer.data(),
                                static_cast<std::uint32_t>(buffer.size())))
            break;
        for (std::uint32_t i = 0; i < kSearchSectors; ++i)
            if (TestSector(window, Bytes(buffer.data() + std::size_t{i} * ss, ss), p + i, ss,
                           found))
                return true;
    }
    // Partitioning tools since about 2007 start volumes on 1 MiB boundaries.
    const std::uint64_t step = kAlignBytes / ss ? kAlignBytes / ss : 1;
    const std::uint64_t reach = from + kAlignedReach / ss;
    const std::uint64_t nearEnd = from + std::uint64_t{kSearchSectors} * kSearchReads;
    const std::uint64_t firstAligned = (from / step + 1) * step;
    // Single sectors far apart: asked for together, a cold disk reads them all at once
    // instead of one after another.
    for (std::uint64_t q = firstAligned; q <= reach && q <= capacity.lastLba; q += step)
        if (q >= nearEnd)
            window.WillRead(q, 1);
    std::vector<std::uint8_t> sector(ss);
    for (std::uint64_t q = firstAligned; q <= reach && q <= capacity.lastLba; q += step) {
        if (q < nearEnd)
            continue; // the near search has looked there
        if (ReadOneSector(window, q, sector) && TestSector(window, Bytes(sector), q, ss, found))
            return true;
    }
    return false;
}

bool RebuildPartitionTable(CDiskWindow& window, PartitionTable* table) {
    Capacity capacity;
    if (!table || !UsableCapacity(window, &capacity))
        return false;
    *table = PartitionTable{};
    std::uint64_t p = 0;
    for (PartitionEntry& slot : table->entries) {
        FoundVolume found;
        if (!SearchVolumeStart(window, p, &found) || found.lba > 0xFFFFFFFFu)
            break; // a table entry cannot point past 2^32
        slot.type = found.type;
        slot.startLba = static_cast<std::uint32_t>(found.lba);
        slot.sectorCount = static_cast<std::uint32_t>(found.sectorCount);
        if (slot.sectorCount == 0 || slot.startLba == 0)
            break;
        // An NTFS volume's count leaves out its backup boot sector, which follows it and
        // would otherwise be taken for a further volume.
        p = std::uint64_t{slot.startLba} + slot.sectorCount + (found.type == kTypeNtfs ? 1 : 0);
    }
    return true;
}

} // namespace vantrel
