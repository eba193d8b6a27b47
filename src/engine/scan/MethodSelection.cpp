#include "engine/scan/MethodSelection.h"

#include "device/PartitionRecord.h"
#include "engine/partition/PartitionWalk.h"
#include "engine/scan/FatScanMethod.h"
#include "engine/scan/NtfsScanMethod.h"
#include "engine/scan/SignatureScanMethod.h"
#include "engine/tree/ScanResultNode.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatDirEntry.h"
#include "fs/fat/FatDirectoryData.h"
#include "fs/ntfs/NtfsBootSector.h"
#include "platform/Utf.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vantrel {

namespace {

constexpr std::uint32_t kBootSectorBytes = 512;

bool ReadFirstSector(CDiskWindow& window, std::uint64_t lba, std::uint32_t sectorSize,
                     std::vector<std::uint8_t>& sector) {
    // Boot-sector tests need 512 bytes even on a device with smaller sectors.
    const std::uint32_t count = sectorSize >= kBootSectorBytes ? 1 : kBootSectorBytes / sectorSize;
    sector.assign(std::size_t{count} * sectorSize, 0);
    return window.ReadSectors(lba, count, sector.data(), count * sectorSize);
}

MethodCode MethodOfBootSector(Bytes sector, std::uint32_t sectorSize) {
    if (IsNtfsBootSector(sector, sectorSize))
        return kMethodNtfs;
    if (IsFatBootSector(sector, sectorSize))
        return kMethodFat;
    return kMethodSignature;
}

constexpr std::uint32_t kNtfsType = 0x07;
// How far FAT folder clusters are looked for, and in reads of what size.
constexpr std::uint64_t kFolderSearchBytes = 64ull << 20;
constexpr std::uint32_t kFolderSearchRead = 1u << 20;

std::u16string ChoiceText(const char* where, MethodCode code, const char* what) {
    const bool ntfs = code == kMethodNtfs;
    return FromUtf8(std::string(where) + (ntfs ? " NTFS " : " FAT ") + what + "、" +
                    (ntfs ? "NTFS方式" : "FAT方式") + "を選びました");
}

// A sub-folder's first cluster: a directory cluster whose first entry is "." and whose
// second is "..". Searched in the range's first 64 MiB.
bool FindFatFolder(CDiskWindow& window, std::uint64_t start, std::uint64_t end,
                   std::uint32_t sectorSize, std::uint64_t* found) {
    const std::uint64_t perRead = std::max<std::uint64_t>(1, kFolderSearchRead / sectorSize);
    const std::uint64_t limit = std::min(end, start + kFolderSearchBytes / sectorSize);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(perRead * sectorSize));
    for (std::uint64_t at = start; at < limit; at += perRead) {
        const auto count = static_cast<std::uint32_t>(std::min(perRead, limit - at));
        if (!window.ReadSectors(at, count, buffer.data(), count * sectorSize))
            continue; // unreadable parts are the scan's business
        for (std::uint32_t i = 0; i < count; ++i) {
            const Bytes sector(buffer.data() + std::size_t{i} * sectorSize, sectorSize);
            if (sector.size() < 2 * kFatDirEntryBytes || !IsDirectoryCluster(sector) ||
                !IsDotEntry(sector.first(kFatDirEntryBytes)) || sector[32] != '.' ||
                sector[33] != '.')
                continue;
            *found = at + i;
            return true;
        }
    }
    return false;
}

} // namespace

MethodCode DetectMethod(CDiskWindow& window, std::uint64_t start, std::uint64_t length,
                        std::u16string* reason) {
    std::u16string ignored;
    std::u16string& why = reason ? *reason : ignored;
    why = FromUtf8("ファイルシステムが見つからないため、データベース方式を選びました");
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!window.GetCapacity(&lastLba, &sectorSize) || lastLba == 0 || sectorSize == 0)
        return kMethodSignature;
    const std::uint64_t total = lastLba + 1;
    if (start >= total || (length != ~std::uint64_t{0} && length > total - start))
        return kMethodSignature;
    const std::uint64_t end = length == ~std::uint64_t{0} ? total : start + length;
    std::vector<std::uint8_t> sector;
    if (!ReadFirstSector(window, start, sectorSize, sector))
        return kMethodSignature;
    const MethodCode direct = MethodOfBootSector(sector, sectorSize);
    if (direct != kMethodSignature) {
        why = ChoiceText("範囲の先頭に", direct, "のブートセクタがあるため");
        return direct;
    }
    PartitionTable table;
    if (IsPartitionTable(sector, sectorSize) && ParsePartitionTable(sector, &table)) {
        // Entries of a table count from the sector that holds it.
        const std::uint64_t first = start + table.entries[0].startLba;
        if (first < end && ReadFirstSector(window, first, sectorSize, sector)) {
            const MethodCode inside = MethodOfBootSector(sector, sectorSize);
            if (inside != kMethodSignature) {
                why = ChoiceText("最初のパーティションに", inside, "のブートセクタがあるため");
                return inside;
            }
        }
    }
    // The table is gone or points nowhere: look where partitioning tools put volumes.
    FoundVolume found;
    if (SearchVolumeStart(window, start, &found) && found.lba < end) {
        const MethodCode code = found.type == kNtfsType ? kMethodNtfs : kMethodFat;
        why = ChoiceText(("LBA:" + std::to_string(found.lba) + " に").c_str(), code,
                         "のブートセクタが見つかったため");
        return code;
    }
    std::uint64_t folderLba = 0;
    if (FindFatFolder(window, start, end, sectorSize, &folderLba)) {
        why = ChoiceText(("LBA:" + std::to_string(folderLba) + " に").c_str(), kMethodFat,
                         "のフォルダが見つかったため");
        return kMethodFat;
    }
    return kMethodSignature;
}

std::unique_ptr<ScanMethod> CreateScanMethod(MethodCode code, ScanResultNode& node) {
    if (code == kMethodAutomatic) {
        CDiskWindow* window = node.GetWindow();
        if (!window)
            return nullptr;
        std::u16string reason;
        code = DetectMethod(*window, node.RangeStart(), node.RangeLength(), &reason);
        node.AddNote(std::move(reason));
    }
    std::unique_ptr<SectorScanMethod> method;
    switch (code) {
    case kMethodSignature:
        method = std::make_unique<SignatureScanMethod>();
        break;
    case kMethodFat:
        method = std::make_unique<FatScanMethod>();
        break;
    case kMethodNtfs:
        method = std::make_unique<NtfsScanMethod>();
        break;
    default:
        return nullptr;
    }
    if (!method->Attach(node))
        return nullptr;
    return method;
}

void InstallScanMethods() {
    SetScanMethodFactory(CreateScanMethod);
}

} // namespace vantrel
