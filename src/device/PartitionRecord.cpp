#include "device/PartitionRecord.h"

namespace vantrel {

namespace {

// Three CHS bytes: head, sector with cylinder bits 8-9 on top, cylinder bits 0-7.
ChsAddress ParseChs(const ByteReader& in, std::size_t offset) {
    ChsAddress chs;
    const std::uint8_t head = in.U8(offset);
    const std::uint8_t sector = in.U8(offset + 1);
    const std::uint8_t cylinder = in.U8(offset + 2);
    chs.cylinder = (static_cast<std::uint32_t>(sector & 0xC0) << 2) | cylinder;
    chs.head = head;
    chs.sector = static_cast<std::uint16_t>(sector & 0x3F);
    return chs;
}

void PutChs(std::span<std::uint8_t> out, std::size_t offset, const ChsAddress& chs) {
    PutLe(out, offset, chs.head & 0xFF, 1);
    PutLe(out, offset + 1, (chs.sector & 0x3F) | ((chs.cylinder >> 2) & 0xC0), 1);
    PutLe(out, offset + 2, chs.cylinder & 0xFF, 1);
}

} // namespace

bool IsPartitionTable(Bytes sector, std::uint32_t sectorSize) {
    if (sectorSize < 512 || sector.size() < 512)
        return false;
    const ByteReader in(sector);
    return in.U8(510) == 0x55 && in.U8(511) == 0xAA;
}

bool ParsePartitionEntry(Bytes slot, PartitionEntry* entry) {
    const ByteReader in(slot);
    if (!entry || !in.Has(0, kPartitionSlotSize))
        return false;
    entry->bootIndicator = in.U8(0);   // 0
    entry->startChs = ParseChs(in, 1); // 1..3
    entry->type = in.U8(4);            // 4
    entry->endChs = ParseChs(in, 5);   // 5..7
    entry->startLba = in.U32(8);       // 8..11
    entry->sectorCount = in.U32(12);   // 12..15
    return true;
}

bool ParsePartitionTable(Bytes sector, PartitionTable* table) {
    const ByteReader in(sector);
    if (!table || !in.Has(0, 512))
        return false;
    for (std::size_t i = 0; i < table->bootCode.size(); ++i)
        table->bootCode[i] = in.U8(i); // 0..443
    table->reserved = in.U16(444);     // 444
    for (std::size_t k = 0; k < 4; ++k) {
        if (!ParsePartitionEntry(
                in.Slice(kPartitionSlotOffset + k * kPartitionSlotSize, kPartitionSlotSize),
                &table->entries[k]))
            return false;
    }
    table->signature = in.U16(510); // 510
    return true;
}

void PutPartitionEntry(std::span<std::uint8_t> sector, std::size_t slot,
                       const PartitionEntry& entry) {
    if (slot > 3)
        return;
    const std::size_t base = kPartitionSlotOffset + slot * kPartitionSlotSize;
    PutLe(sector, base, entry.bootIndicator & 0xFF, 1);
    PutChs(sector, base + 1, entry.startChs);
    PutLe(sector, base + 4, entry.type & 0xFF, 1);
    PutChs(sector, base + 5, entry.endChs);
    PutLe(sector, base + 8, entry.startLba, 4);
    PutLe(sector, base + 12, entry.sectorCount, 4);
}

const char* PartitionKindText(std::uint32_t type) {
    switch (type) {
    case 0x00:
        return "空のパーティション";
    case 0x01:
        return "パーティション(FAT12)";
    case 0x04:
    case 0x06:
    case 0x0E:
        return "パーティション(FAT16)";
    case 0x05:
    case 0x0F:
        return "拡張パーティション";
    case 0x07:
        return "パーティション(NTFS)";
    case 0x0B:
    case 0x0C:
        return "パーティション(FAT32)";
    case 0x14:
    case 0x16:
    case 0x17:
    case 0x1B:
    case 0x1C:
    case 0x1E:
        return "隠しパーティション";
    case 0x42:
        return "ダイナミックディスク";
    case 0xA0:
        return "ハイバネーション領域";
    default:
        return "不明なパーティション";
    }
}

} // namespace vantrel
