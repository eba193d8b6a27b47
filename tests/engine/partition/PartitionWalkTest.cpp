#include "engine/partition/PartitionWalk.h"

#include "MemoryDisk.h"
#include "engine/tree/ScanResultNode.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::FaultyDisk;
using vantrel::testing::MemoryDisk;

namespace {

PartitionEntry Entry(std::uint32_t type, std::uint32_t start, std::uint32_t count) {
    PartitionEntry entry;
    entry.type = type;
    entry.startLba = start;
    entry.sectorCount = count;
    return entry;
}

void PutTable(MemoryDisk& disk, std::uint64_t lba, std::vector<PartitionEntry> entries) {
    std::span<std::uint8_t> sector(disk.Sector(lba), 512);
    for (std::size_t k = 0; k < entries.size(); ++k)
        PutPartitionEntry(sector, k, entries[k]);
    sector[510] = 0x55;
    sector[511] = 0xAA;
}

// Just enough of an NTFS boot sector for the boot-sector test.
void PutNtfsBoot(MemoryDisk& disk, std::uint64_t lba, std::uint64_t totalSectors) {
    std::span<std::uint8_t> sector(disk.Sector(lba), 512);
    const char* oem = "NTFS    ";
    std::copy(oem, oem + 8, sector.begin() + 3);
    PutLe(sector, 11, 512, 2);
    PutLe(sector, 13, 8, 1);
    PutLe(sector, 40, totalSectors, 8);
    sector[510] = 0x55;
    sector[511] = 0xAA;
}

std::vector<std::u16string> Names(const ResultNode& node) {
    std::vector<std::u16string> names;
    for (const auto& child : node.Children())
        names.push_back(child->Name());
    return names;
}

} // namespace

TEST(AcceptPartition, ClipsEntriesPastTheEndAndRefusesThoseOutsideWithoutWrapping) {
    MemoryDisk disk(1000, 512);
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    EXPECT_EQ(AcceptPartition(window, Entry(6, 10, 990))->MissingSectors(), 0u);
    auto clipped = AcceptPartition(window, Entry(6, 10, 1000));
    ASSERT_TRUE(clipped);
    EXPECT_EQ(clipped->RangeLength(), 990u);
    EXPECT_EQ(clipped->MissingSectors(), 10u);
    EXPECT_FALSE(AcceptPartition(window, Entry(6, 1000, 5)));
    EXPECT_FALSE(AcceptPartition(window, Entry(6, 10, 0)));
    // start + count wraps to 0x100 in 32 bits; the entry lies far past the disk.
    EXPECT_FALSE(AcceptPartition(window, Entry(6, 0xFFFFFF00u, 0x200)));
    auto node = AcceptPartition(window, Entry(0x42, 1, 5));
    ASSERT_TRUE(node);
    EXPECT_EQ(node->Name(), u"ダイナミックディスク");
    EXPECT_EQ(node->RangeStart(), 1u);
    EXPECT_EQ(node->RangeLength(), 5u);
}

TEST(ExpandPartition, ExtendedChainEndsOnALoopAndKeepsChainOrder) {
    MemoryDisk disk(4000, 512);
    PutTable(disk, 0, {Entry(0x0F, 100, 3800)});
    // Three records: 100 -> 100+1000 -> 100+2000 -> back to 100+1000.
    PutTable(disk, 100, {Entry(6, 10, 50), Entry(5, 1000, 500)});
    PutTable(disk, 1100, {Entry(6, 10, 60), Entry(5, 2000, 500)});
    PutTable(disk, 2100, {Entry(6, 10, 70), Entry(5, 1000, 500)});
    DriveNode drive;
    ASSERT_TRUE(drive.OpenDevice(&disk));
    ASSERT_TRUE(AnalyseCompletely(drive));
    ASSERT_EQ(drive.ChildCount(), 2u);
    ResultNode* const second = drive.Child(1);
    ASSERT_NE(second, nullptr);
    ResultNode& extended = *second;
    EXPECT_EQ(extended.Name(), u"拡張パーティション");
    ASSERT_TRUE(AnalyseCompletely(extended));
    EXPECT_EQ(Names(extended), (std::vector<std::u16string>{u"スキャン結果", u"論理ドライブ",
                                                            u"論理ドライブ", u"論理ドライブ"}));
    // Each logical drive shows exactly its one partition, entry 0 of its record.
    std::vector<std::uint64_t> starts;
    for (std::size_t i = 1; i < extended.ChildCount(); ++i) {
        ResultNode& logical = *extended.Child(i);
        ASSERT_TRUE(AnalyseCompletely(logical));
        ASSERT_EQ(Names(logical),
                  (std::vector<std::u16string>{u"スキャン結果", u"パーティション(FAT16)"}));
        starts.push_back(logical.GetWindow()->Start());
        EXPECT_EQ(logical.Child(1)->RangeStart(), 10u);
    }
    EXPECT_EQ(starts, (std::vector<std::uint64_t>{100, 1100, 2100}));
}

TEST(ExpandPartition, ChainStopsAtUnreadableRecordAndRefusedEntriesAreSkipped) {
    MemoryDisk memory(4000, 512);
    FaultyDisk disk(memory);
    PutTable(memory, 0, {Entry(0x05, 100, 3800), Entry(6, 3900, 200), Entry(0x07, 200, 10)});
    PutTable(memory, 100, {Entry(6, 10, 50), Entry(5, 1000, 500)});
    PutTable(memory, 1100, {Entry(6, 10, 60)});
    disk.MakeUnreadable(1100);
    DriveNode drive;
    ASSERT_TRUE(drive.OpenDevice(&disk));
    AnalyseCompletely(drive);
    // The entry running past the disk's end is clipped; the others keep their order.
    EXPECT_EQ(Names(drive),
              (std::vector<std::u16string>{u"スキャン結果", u"拡張パーティション",
                                           u"パーティション(FAT16)", u"パーティション(NTFS)"}));
    ResultNode& extended = *drive.Child(1);
    AnalyseCompletely(extended);
    EXPECT_EQ(extended.ChildCount(), 2u) << "one logical drive before the unreadable record";
}

TEST(ExpandPartition, EveryEntryOfAnExtendedRecordCountsWhereverTheLinkIs) {
    MemoryDisk disk(4000, 512);
    PutTable(disk, 0, {Entry(0x0F, 100, 3800)});
    // Drive in entry 1, link in entry 2; then drive, link, drive; then the usual layout.
    PutTable(disk, 100, {Entry(0, 0, 0), Entry(6, 10, 50), Entry(0x85, 1000, 500)});
    PutTable(disk, 1100, {Entry(7, 10, 60), Entry(5, 2000, 500), Entry(0x0B, 100, 70)});
    PutTable(disk, 2100, {Entry(6, 10, 70), Entry(0x0F, 1000, 500)});
    DriveNode drive;
    ASSERT_TRUE(drive.OpenDevice(&disk));
    AnalyseCompletely(drive);
    ResultNode& extended = *drive.Child(1);
    AnalyseCompletely(extended);
    std::vector<std::u16string> partitions;
    std::vector<std::uint64_t> starts;
    for (std::size_t i = 1; i < extended.ChildCount(); ++i) {
        ResultNode& logical = *extended.Child(i);
        AnalyseCompletely(logical);
        ASSERT_EQ(logical.ChildCount(), 2u);
        partitions.push_back(logical.Child(1)->Name());
        starts.push_back(logical.GetWindow()->Start() + logical.Child(1)->RangeStart());
    }
    EXPECT_EQ(partitions,
              (std::vector<std::u16string>{u"パーティション(FAT16)", u"パーティション(NTFS)",
                                           u"パーティション(FAT32)", u"パーティション(FAT16)"}));
    EXPECT_EQ(starts, (std::vector<std::uint64_t>{110, 1110, 1200, 2110}));
}

TEST(RebuildPartitionTable, FindsBootSectorsWithinTheFirst256SectorsOfEachSearch) {
    MemoryDisk disk(20000, 512);
    PutNtfsBoot(disk, 63, 999);
    PutNtfsBoot(disk, 63 + 999, 999); // the backup boot sector right after the volume
    PutNtfsBoot(disk, 63 + 1000 + 100, 500);
    PutNtfsBoot(disk, 63 + 1000 + 100 + 501 + 300, 500); // 300 sectors on: out of reach
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    PartitionTable table;
    ASSERT_TRUE(RebuildPartitionTable(window, &table));
    EXPECT_EQ(table.entries[0].type, 0x07u);
    EXPECT_EQ(table.entries[0].startLba, 63u);
    EXPECT_EQ(table.entries[0].sectorCount, 999u);
    EXPECT_EQ(table.entries[1].startLba, 1163u) << "the backup boot sector is no volume";
    EXPECT_EQ(table.entries[1].sectorCount, 500u);
    EXPECT_EQ(table.entries[2].sectorCount, 0u);
    EXPECT_EQ(table.entries[2].startLba, 0u);

    MemoryDisk blank(100, 512);
    CDiskWindow blankWindow;
    ASSERT_TRUE(blankWindow.Open(&blank, 0, 0));
    ASSERT_TRUE(RebuildPartitionTable(blankWindow, &table)) << "succeeds with nothing found";
    EXPECT_EQ(table.entries[0].sectorCount, 0u);
}

TEST(ExpandWindow, UnknownDeviceAndEmptyDiskGiveNoPartitions) {
    DriveNode missing;
    EXPECT_FALSE(missing.OpenDevice(nullptr));
    EXPECT_EQ(missing.Name(), u"不明なデバイス");
    EXPECT_TRUE(AnalyseCompletely(missing));
    EXPECT_EQ(missing.ChildCount(), 0u);
    EXPECT_TRUE(missing.IsAnalysed());

    MemoryDisk disk(100, 512);
    DriveNode drive;
    ASSERT_TRUE(drive.OpenDevice(&disk));
    AnalyseCompletely(drive);
    EXPECT_EQ(Names(drive), (std::vector<std::u16string>{u"スキャン結果"}));
    EXPECT_EQ(drive.Child(0)->RangeLength(), 100u);
}
