#include "engine/partition/PartitionWalk.h"

#include "engine/tree/ScanResultNode.h"
#include "engine/volume/FatFolderNode.h"
#include "engine/volume/NtfsFolderNode.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatGeometry.h"
#include "fs/ntfs/NtfsBootSector.h"

#include <set>
#include <vector>

namespace vantrel {

namespace {

constexpr std::uint32_t kSearchSectors = 32; // sectors per read of the rebuild search
constexpr std::uint32_t kSearchReads = 8;    // 256 sectors per slot
constexpr std::uint32_t kTypeNtfs = 0x07;
constexpr std::uint32_t kTypeFat32Lba = 0x0C;

struct Capacity {
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
};

bool UsableCapacity(CDiskWindow& window, Capacity* capacity) {
    return window.GetCapacity(&capacity->lastLba, &capacity->sectorSize) &&
           capacity->lastLba != 0 && capacity->sectorSize != 0;
}

bool ReadOneSector(CDiskWindow& window, std::uint64_t lba, std::vector<std::uint8_t>& sector) {
    return window.ReadSectors(lba, 1, sector.data(), static_cast<std::uint32_t>(sector.size()));
}

void AddScanArea(ResultNode& parent, CDiskWindow* window, std::uint64_t start,
                 std::uint64_t length) {
    auto area = std::make_unique<ScanResultNode>();
    if (area->SetUp(window, start, length))
        parent.AddChild(std::move(area));
}

// Adds the volume whose boot sector is sector (at lba); NTFS first, then FAT. False when
// neither is there or its set-up fails, so the caller goes on as for any other sector.
bool AddVolume(ResultNode& parent, CDiskWindow* window, std::uint64_t lba,
               const std::vector<std::uint8_t>& sector, std::uint32_t sectorSize) {
    if (IsNtfsBootSector(Bytes(sector), sectorSize)) {
        auto root = std::make_unique<NtfsFolderNode>();
        if (root->SetUpVolume(window, lba)) {
            parent.AddChild(std::move(root));
            return true;
        }
    }
    if (IsFatBootSector(Bytes(sector), sectorSize)) {
        auto root = std::make_unique<FatFolderNode>();
        if (root->SetUpVolume(window, lba)) {
            parent.AddChild(std::move(root));
            return true;
        }
    }
    return false;
}

// Follows the extended boot records from the partition's first sector, adding one
// logical drive per record.
void WalkExtendedChain(PartitionNode& node, CDiskWindow& window,
                       std::vector<std::uint8_t>& sector) {
    const std::uint64_t base = node.Entry().startLba;
    std::uint64_t offset = 0;
    std::set<std::uint64_t> visited{0};
    for (std::size_t drives = 0; drives < kMaxLogicalDrives; ++drives) {
        PartitionTable record;
        if (!ParsePartitionTable(Bytes(sector), &record))
            return;
        const PartitionEntry& logical = record.entries[0];
        if (logical.sectorCount == 0)
            return;
        // The drive's window starts at the record, so entry 0's start stays valid in it.
        auto drive = std::make_unique<DriveNode>();
        if (!drive->OpenLogical(&window, base + offset,
                                std::uint64_t{logical.startLba} + logical.sectorCount))
            return;
        node.AddChild(std::move(drive));
        const PartitionEntry& next = record.entries[1];
        offset = next.startLba;
        if (offset == 0 || next.sectorCount == 0)
            return;
        // A next pointer back to a record already walked would repeat the chain forever.
        if (!visited.insert(offset).second)
            return;
        if (!ReadOneSector(window, base + offset, sector) ||
            !IsPartitionTable(Bytes(sector), static_cast<std::uint32_t>(sector.size())))
            return;
    }
}

} // namespace

std::unique_ptr<PartitionNode> AcceptPartition(CDiskWindow& window, const PartitionEntry& entry) {
    Capacity capacity;
    if (!UsableCapacity(window, &capacity) || entry.sectorCount == 0)
        return nullptr;
    // 64-bit sum: a 32-bit one wraps for a start near 2^32 and lets a bogus entry in.
    if (std::uint64_t{entry.startLba} + entry.sectorCount > capacity.lastLba + 1)
        return nullptr;
    return std::make_unique<PartitionNode>(&window, entry);
}

void ExpandWindow(DriveNode& node) {
    CDiskWindow* window = node.GetWindow();
    Capacity capacity;
    if (!window || !UsableCapacity(*window, &capacity))
        return;
    AddScanArea(node, window, 0, ~std::uint64_t{0});
    std::vector<std::uint8_t> sector(capacity.sectorSize);
    if (!ReadOneSector(*window, 0, sector))
        return;
    if (AddVolume(node, window, 0, sector, capacity.sectorSize))
        return;
    PartitionTable table;
    if (IsPartitionTable(Bytes(sector), capacity.sectorSize)) {
        ParsePartitionTable(Bytes(sector), &table);
    } else if (!RebuildPartitionTable(*window, &table)) {
        return;
    }
    const std::size_t entries = window->WholeDevice() ? 4 : 1;
    for (std::size_t k = 0; k < entries; ++k)
        if (auto partition = AcceptPartition(*window, table.entries[k]))
            node.AddChild(std::move(partition));
}

void ExpandPartition(PartitionNode& node) {
    CDiskWindow* window = node.GetWindow();
    Capacity capacity;
    if (!window || !UsableCapacity(*window, &capacity))
        return;
    const std::uint64_t start = node.Entry().startLba;
    std::vector<std::uint8_t> sector(capacity.sectorSize);
    if (!ReadOneSector(*window, start, sector))
        return;
    AddScanArea(node, window, start, node.Entry().sectorCount);
    if (AddVolume(node, window, start, sector, capacity.sectorSize))
        return;
    if (IsPartitionTable(Bytes(sector), capacity.sectorSize))
        WalkExtendedChain(node, *window, sector);
}

bool RebuildPartitionTable(CDiskWindow& window, PartitionTable* table) {
    Capacity capacity;
    if (!table || !UsableCapacity(window, &capacity))
        return false;
    *table = PartitionTable{};
    const std::uint32_t ss = capacity.sectorSize;
    std::vector<std::uint8_t> buffer(std::size_t{kSearchSectors} * ss);
    std::uint64_t p = 0;
    for (PartitionEntry& slot : table->entries) {
        bool found = false;
        bool ntfs = false;
        for (std::uint32_t read = 0; read < kSearchReads && !found; ++read, p += kSearchSectors) {
            if (!window.ReadSectors(p, kSearchSectors, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size())))
                break;
            for (std::uint32_t i = 0; i < kSearchSectors && !found; ++i) {
                const Bytes sector(buffer.data() + std::size_t{i} * ss, ss);
                const std::uint64_t lba = p + i;
                if (lba > 0xFFFFFFFFu)
                    break; // a table entry cannot point there
                NtfsBootRecord ntfsRecord;
                FatBootRecord fatRecord;
                if (IsNtfsBootSector(sector, ss) && ParseNtfsBootRecord(sector, &ntfsRecord)) {
                    slot.type = kTypeNtfs;
                    slot.startLba = static_cast<std::uint32_t>(lba);
                    slot.sectorCount = static_cast<std::uint32_t>(ntfsRecord.totalSectors);
                    found = ntfs = true;
                } else if (IsFatBootSector(sector, ss) && ParseFatBootRecord(fatRecord, sector)) {
                    slot.type = kTypeFat32Lba;
                    slot.startLba = static_cast<std::uint32_t>(lba);
                    // The 16-bit count when set: a small volume keeps its size there, and a
                    // count of 0 would drop a volume that was found.
                    slot.sectorCount = TotalSectors(fatRecord);
                    found = true;
                }
            }
        }
        if (!found || slot.sectorCount == 0 || slot.startLba == 0)
            break;
        // An NTFS volume's count leaves out its backup boot sector, which follows it and
        // would otherwise be taken for a further volume.
        p = std::uint64_t{slot.startLba} + slot.sectorCount + (ntfs ? 1 : 0);
    }
    return true;
}

} // namespace vantrel
