#include "engine/partition/PartitionWalk.h"

#include "device/GptRecord.h"
#include "engine/partition/GptWalk.h"
#include "engine/partition/PartitionSupport.h"
#include "engine/tree/ScanResultNode.h"
#include "platform/Utf.h"

#include <set>
#include <vector>

namespace vantrel {

namespace {

void AddScanArea(ResultNode& parent, CDiskWindow* window, std::uint64_t start,
                 std::uint64_t length) {
    auto area = std::make_unique<ScanResultNode>();
    if (area->SetUp(window, start, length))
        parent.AddChild(std::move(area));
}

bool IsExtendedType(std::uint32_t type) {
    return type == 0x05 || type == 0x0F || type == 0x85;
}

bool HasProtectiveEntry(const PartitionTable& table) {
    for (const PartitionEntry& entry : table.entries)
        if (entry.type == kProtectiveMbrType)
            return true;
    return false;
}

// Follows the extended boot records from the partition's first sector. Every entry of a
// record counts: one of an extended type is the link to the next record (relative to
// the outermost extended partition), every other non-empty one a logical drive
// (relative to its record).
void WalkExtendedChain(PartitionNode& node, CDiskWindow& window,
                       std::vector<std::uint8_t>& sector) {
    Capacity capacity;
    if (!UsableCapacity(window, &capacity))
        return;
    const std::uint64_t base = node.RangeStart();
    std::uint64_t offset = 0;
    std::set<std::uint64_t> visited{0};
    std::size_t drives = 0;
    while (drives < kMaxLogicalDrives) {
        PartitionTable record;
        if (!ParsePartitionTable(Bytes(sector), &record))
            return;
        std::uint64_t next = 0;
        for (std::size_t k = 0; k < record.entries.size() && drives < kMaxLogicalDrives; ++k) {
            const PartitionEntry& entry = record.entries[k];
            if (entry.type == 0 || entry.sectorCount == 0)
                continue;
            if (IsExtendedType(entry.type)) {
                if (next == 0)
                    next = entry.startLba;
                continue;
            }
            // The drive's window starts at the record, so the entry's start stays valid in
            // it; a drive past the device's end keeps what exists of it.
            const std::uint64_t at = base + offset;
            if (at > capacity.lastLba)
                return;
            const std::uint64_t length = std::min<std::uint64_t>(
                std::uint64_t{entry.startLba} + entry.sectorCount, capacity.lastLba + 1 - at);
            auto drive = std::make_unique<DriveNode>();
            if (!drive->OpenLogical(&window, at, length, k))
                return;
            node.AddChild(std::move(drive));
            ++drives;
        }
        // A link back to a record already walked would repeat the chain forever.
        offset = next;
        if (offset == 0 || !visited.insert(offset).second)
            return;
        if (!ReadOneSector(window, base + offset, sector) ||
            !IsPartitionTable(Bytes(sector), static_cast<std::uint32_t>(sector.size())))
            return;
    }
}

} // namespace

std::unique_ptr<PartitionNode> AcceptPartition(CDiskWindow& window, const PartitionEntry& entry) {
    Capacity capacity;
    if (!UsableCapacity(window, &capacity) || entry.sectorCount == 0 ||
        entry.startLba > capacity.lastLba)
        return nullptr;
    auto node = std::make_unique<PartitionNode>(&window, entry);
    // 64-bit sum: a 32-bit one wraps for a start near 2^32.
    if (std::uint64_t{entry.startLba} + entry.sectorCount > capacity.lastLba + 1)
        node->Clip(capacity.lastLba + 1 - entry.startLba);
    return node;
}

void NoteClipped(ResultNode& parent, const PartitionNode& partition) {
    if (partition.MissingSectors() == 0)
        return;
    parent.AddNote(partition.Name() + u"はデバイスの終わりで切れています(開始 LBA:" +
                   LbaText(partition.RangeStart()) + u"、不足 " +
                   LbaText(partition.MissingSectors()) + u" セクタ)。欠けたセクタは読み込めません");
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
    // Backup boot sectors are looked for only on a device without a table in sector 0 (a
    // superfloppy whose boot sector was damaged).
    PartitionTable table;
    const bool isTable = IsPartitionTable(Bytes(sector), capacity.sectorSize) &&
                         ParsePartitionTable(Bytes(sector), &table);
    const std::uint64_t length = window->WholeDevice() && !isTable ? capacity.lastLba + 1 : 0;
    if (AddVolume(node, window, 0, length, sector, capacity.sectorSize))
        return;
    if (isTable) {
        if (window->WholeDevice() && HasProtectiveEntry(table)) {
            if (AddGptPartitions(node, *window))
                return;
            // Both GUID tables are gone: search for the volumes as on a wiped disk.
            node.AddNote(FromUtf8("GPT を読み込めないため、パーティションを検索します"));
            if (!RebuildPartitionTable(*window, &table))
                return;
        }
    } else if (!RebuildPartitionTable(*window, &table)) {
        return;
    }
    const std::size_t first = window->WholeDevice() ? 0 : node.LogicalEntry();
    const std::size_t end = window->WholeDevice() ? 4 : first + 1;
    for (std::size_t k = first; k < end && k < table.entries.size(); ++k) {
        if (auto partition = AcceptPartition(*window, table.entries[k])) {
            NoteClipped(node, *partition);
            node.AddChild(std::move(partition));
        }
    }
}

void ExpandPartition(PartitionNode& node) {
    CDiskWindow* window = node.GetWindow();
    Capacity capacity;
    if (!window || !UsableCapacity(*window, &capacity))
        return;
    const std::uint64_t start = node.RangeStart();
    std::vector<std::uint8_t> sector(capacity.sectorSize);
    if (!ReadOneSector(*window, start, sector))
        return;
    AddScanArea(node, window, start, node.RangeLength());
    // The table's length, not the clipped one: NTFS keeps its backup in the last sector.
    if (AddVolume(node, window, start, node.RangeLength() + node.MissingSectors(), sector,
                  capacity.sectorSize))
        return;
    if (IsPartitionTable(Bytes(sector), capacity.sectorSize))
        WalkExtendedChain(node, *window, sector);
}

} // namespace vantrel
