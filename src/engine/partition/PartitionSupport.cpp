#include "engine/partition/PartitionSupport.h"

#include "engine/volume/FatFolderNode.h"
#include "engine/volume/NtfsFolderNode.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/ntfs/NtfsBootSector.h"
#include "platform/Utf.h"

namespace vantrel {

namespace {

// Where FAT32 formatters put the copy of the boot sector (the record's own field says
// so too, but it is in the damaged sector).
constexpr std::uint64_t kFat32BackupSector = 6;

bool AddNtfs(ResultNode& parent, CDiskWindow* window, std::uint64_t lba,
             const std::vector<std::uint8_t>& sector, std::uint32_t sectorSize,
             std::uint64_t bootCopyLba) {
    if (!IsNtfsBootSector(Bytes(sector), sectorSize))
        return false;
    auto root = std::make_unique<NtfsFolderNode>();
    if (!root->SetUpVolume(window, lba, bootCopyLba))
        return false;
    parent.AddChild(std::move(root));
    return true;
}

bool AddFat(ResultNode& parent, CDiskWindow* window, std::uint64_t lba,
            const std::vector<std::uint8_t>& sector, std::uint32_t sectorSize,
            std::uint64_t bootCopyLba) {
    if (!IsFatBootSector(Bytes(sector), sectorSize))
        return false;
    auto root = std::make_unique<FatFolderNode>();
    if (!root->SetUpVolume(window, lba, bootCopyLba))
        return false;
    parent.AddChild(std::move(root));
    return true;
}

// The copy in the last sector belongs to a volume that fills the area: another volume
// ending there (the last partition of a disk) has its own, much smaller count.
bool EndsAt(const NtfsBootRecord& record, std::uint64_t length) {
    constexpr std::uint64_t kSlack = 2048;
    return record.totalSectors < length && length - record.totalSectors <= kSlack;
}

void NoteBackup(ResultNode& parent, std::uint64_t backupLba) {
    parent.AddNote(u"ブートセクタが壊れているため、バックアップ(LBA:" + LbaText(backupLba) +
                   u")を使用します");
}

} // namespace

bool UsableCapacity(CDiskWindow& window, Capacity* capacity) {
    return window.GetCapacity(&capacity->lastLba, &capacity->sectorSize) &&
           capacity->lastLba != 0 && capacity->sectorSize != 0;
}

bool ReadOneSector(CDiskWindow& window, std::uint64_t lba, std::vector<std::uint8_t>& sector) {
    return window.ReadSectors(lba, 1, sector.data(), static_cast<std::uint32_t>(sector.size()));
}

bool AddVolume(ResultNode& parent, CDiskWindow* window, std::uint64_t lba, std::uint64_t length,
               const std::vector<std::uint8_t>& sector, std::uint32_t sectorSize) {
    if (AddNtfs(parent, window, lba, sector, sectorSize, lba) ||
        AddFat(parent, window, lba, sector, sectorSize, lba))
        return true;
    std::vector<std::uint8_t> backup(sector.size());
    FatBootRecord fat;
    if (length > kFat32BackupSector && ReadOneSector(*window, lba + kFat32BackupSector, backup) &&
        IsFatBootSector(Bytes(backup), sectorSize) && ParseFatBootRecord(fat, Bytes(backup)) &&
        fat.fatType == kFat32 &&
        AddFat(parent, window, lba, backup, sectorSize, lba + kFat32BackupSector)) {
        NoteBackup(parent, lba + kFat32BackupSector);
        return true;
    }
    // NTFS writes its copy in the last sector of the partition, past the volume's own
    // count, so only a known partition length finds it.
    NtfsBootRecord ntfs;
    if (length > 1 && ReadOneSector(*window, lba + length - 1, backup) &&
        ParseNtfsBootRecord(Bytes(backup), &ntfs) && EndsAt(ntfs, length) &&
        AddNtfs(parent, window, lba, backup, sectorSize, lba + length - 1)) {
        NoteBackup(parent, lba + length - 1);
        return true;
    }
    return false;
}

std::u16string VolumeKindName(const std::vector<std::uint8_t>& sector, std::uint32_t sectorSize) {
    if (IsNtfsBootSector(Bytes(sector), sectorSize))
        return FromUtf8("パーティション(NTFS)");
    FatBootRecord fat;
    if (!IsFatBootSector(Bytes(sector), sectorSize) || !ParseFatBootRecord(fat, Bytes(sector)))
        return {};
    switch (fat.fatType) {
    case kFat12:
        return FromUtf8("パーティション(FAT12)");
    case kFat16:
        return FromUtf8("パーティション(FAT16)");
    case kFat32:
        return FromUtf8("パーティション(FAT32)");
    default:
        return {};
    }
}

std::u16string LbaText(std::uint64_t value) {
    return FromUtf8(std::to_string(value));
}

} // namespace vantrel
