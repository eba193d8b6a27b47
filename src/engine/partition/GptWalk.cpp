#include "engine/partition/GptWalk.h"

#include "device/GptRecord.h"
#include "engine/partition/PartitionSupport.h"
#include "engine/partition/PartitionWalk.h"
#include "platform/Utf.h"

#include <vector>

namespace vantrel {

namespace {

struct GptTable {
    GptHeader header;
    std::vector<std::uint8_t> array;
};

// The header at lba and its entry array, both CRCs checked.
bool LoadTable(CDiskWindow& window, const Capacity& capacity, std::uint64_t lba, GptTable* table) {
    std::vector<std::uint8_t> sector(capacity.sectorSize);
    if (lba == 0 || lba > capacity.lastLba || !ReadOneSector(window, lba, sector) ||
        !ParseGptHeader(Bytes(sector), &table->header) || table->header.myLba != lba)
        return false;
    const std::uint64_t bytes = GptArrayBytes(table->header);
    const std::uint64_t sectors = (bytes + capacity.sectorSize - 1) / capacity.sectorSize;
    const std::uint64_t first = table->header.entryArrayLba;
    if (sectors == 0 || first == 0 || first > capacity.lastLba ||
        sectors > capacity.lastLba - first + 1)
        return false;
    table->array.assign(static_cast<std::size_t>(sectors * capacity.sectorSize), 0);
    return window.ReadSectors(first, static_cast<std::uint32_t>(sectors), table->array.data(),
                              static_cast<std::uint32_t>(table->array.size())) &&
           GptArrayMatches(table->header, Bytes(table->array));
}

std::u16string NameOf(CDiskWindow& window, const Capacity& capacity, const GptEntry& entry) {
    std::vector<std::uint8_t> sector(capacity.sectorSize);
    if (ReadOneSector(window, entry.firstLba, sector)) {
        std::u16string kind = VolumeKindName(sector, capacity.sectorSize);
        if (!kind.empty())
            return kind;
    }
    std::u16string name = FromUtf8("パーティション");
    if (!entry.name.empty())
        name += u"[" + entry.name + u"]";
    return name;
}

} // namespace

bool AddGptPartitions(DriveNode& node, CDiskWindow& window) {
    Capacity capacity;
    if (!UsableCapacity(window, &capacity))
        return false;
    GptTable table;
    if (!LoadTable(window, capacity, 1, &table)) {
        // The backup sits at the disk's last LBA; an image cut short has lost it too.
        if (!LoadTable(window, capacity, capacity.lastLba, &table))
            return false;
        node.AddNote(FromUtf8("GPT ヘッダが壊れているため、バックアップ(LBA:") +
                     LbaText(capacity.lastLba) + FromUtf8(")を使用します"));
    }
    for (std::uint32_t i = 0; i < table.header.entryCount; ++i) {
        GptEntry entry;
        if (!ParseGptEntry(table.header, Bytes(table.array), i, &entry))
            break;
        if (!IsUsedGptEntry(entry) || entry.firstLba == 0 || entry.lastLba < entry.firstLba ||
            entry.firstLba > capacity.lastLba)
            continue;
        auto partition = std::make_unique<PartitionNode>(&window, entry.firstLba,
                                                         entry.lastLba - entry.firstLba + 1,
                                                         NameOf(window, capacity, entry));
        if (entry.lastLba > capacity.lastLba)
            partition->Clip(capacity.lastLba - entry.firstLba + 1);
        NoteClipped(node, *partition);
        node.AddChild(std::move(partition));
    }
    return true;
}

} // namespace vantrel
