#include "fs/fat/FatClusterChain.h"

#include "FatTestData.h"
#include "MemoryDisk.h"
#include "fs/fat/FatGeometry.h"
#include "fs/fat/FatTreeWalk.h"
#include "fs/fat/FatVolume.h"
#include "platform/Utf.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::fattest;
using vantrel::testing::FaultyDisk;
using vantrel::testing::MemoryDisk;

namespace {

// A 1.44 MB FAT12 floppy in memory: FAT at sector 1, data (cluster 2) at sector 33.
class Floppy : public ::testing::Test {
protected:
    void SetUp() override {
        const auto boot = MakeBootSector(BootParams{});
        std::copy(boot.begin(), boot.end(), disk.Bytes().begin());
        SetEntry(0, 0xFF0);
        SetEntry(1, 0xFFF);
        ASSERT_TRUE(window.Open(&disk, 0, 0));
        ASSERT_TRUE(volume.Open(window));
    }

    // Writes a FAT12 entry into the first FAT (entries may straddle sectors).
    void SetEntry(std::uint32_t cluster, std::uint32_t value) {
        std::uint8_t* fat = disk.Sector(1);
        const std::uint32_t offset = cluster + cluster / 2;
        if (cluster & 1) {
            fat[offset] = static_cast<std::uint8_t>((fat[offset] & 0x0F) | ((value & 0xF) << 4));
            fat[offset + 1] = static_cast<std::uint8_t>(value >> 4);
        } else {
            fat[offset] = static_cast<std::uint8_t>(value);
            fat[offset + 1] = static_cast<std::uint8_t>((fat[offset + 1] & 0xF0) | (value >> 8));
        }
    }

    void Chain(std::initializer_list<std::uint32_t> clusters) {
        const std::vector<std::uint32_t> list(clusters);
        for (std::size_t i = 0; i < list.size(); ++i)
            SetEntry(list[i], i + 1 < list.size() ? list[i + 1] : 0xFFF);
    }

    FatExtents Follow(std::uint32_t first, std::uint32_t size, std::uint8_t attributes = 0x20) {
        FatDirEntry entry;
        EXPECT_TRUE(ParseDirEntry(entry, ShortSlot("FILE    BIN", attributes, first, size)));
        FatExtents extents;
        EXPECT_TRUE(volume.Extents(entry, &extents));
        return extents;
    }

    static std::uint64_t Lba(std::uint32_t cluster) { return 33 + cluster - 2; }

    MemoryDisk disk{2880, 512};
    CDiskWindow window;
    FatVolume volume;
};

} // namespace

TEST_F(Floppy, ConsecutiveClustersFormOneRunAndJumpsStartNewOnes) {
    Chain({5, 6, 7, 20, 21, 9});
    const FatExtents extents = Follow(5, 6 * 512 - 100);
    ASSERT_EQ(extents.runs.size(), 3u);
    EXPECT_EQ(extents.runs[0].lba, Lba(5));
    EXPECT_EQ(extents.runs[0].sectors, 3u);
    EXPECT_EQ(extents.runs[1].lba, Lba(20));
    EXPECT_EQ(extents.runs[1].sectors, 2u);
    EXPECT_EQ(extents.runs[2].lba, Lba(9));
    EXPECT_FALSE(extents.doubtful);
    EXPECT_FALSE(extents.reconstructed);
}

TEST_F(Floppy, ChainAcrossTheStraddlingEntryIsFollowed) {
    Chain({340, 341, 342, 700}); // 341's entry spans FAT sectors 1 and 2
    const FatExtents extents = Follow(340, 4 * 512);
    ASSERT_EQ(extents.runs.size(), 2u);
    EXPECT_EQ(extents.runs[0].sectors, 3u);
    EXPECT_EQ(extents.runs[1].lba, Lba(700));
    EXPECT_FALSE(extents.doubtful);
}

TEST_F(Floppy, FreedChainGivesOneContiguousRunFromTheFirstCluster) {
    // A deleted 10 000-byte file whose FAT entries were freed.
    const FatExtents extents = Follow(100, 10000);
    ASSERT_EQ(extents.runs.size(), 1u);
    EXPECT_EQ(extents.runs[0].lba, Lba(100));
    EXPECT_EQ(extents.runs[0].sectors, 20u);
    EXPECT_TRUE(extents.reconstructed);
    EXPECT_TRUE(extents.doubtful);

    // A deleted folder has no size; it gets its first cluster.
    const FatExtents folder = Follow(100, 0, kFatAttrDirectory);
    ASSERT_EQ(folder.runs.size(), 1u);
    EXPECT_EQ(folder.runs[0].sectors, 1u);
    EXPECT_TRUE(folder.reconstructed);
}

TEST_F(Floppy, SizeMismatchesAreDoubtful) {
    Chain({10, 11, 12});
    EXPECT_FALSE(Follow(10, 3 * 512).doubtful);
    EXPECT_FALSE(Follow(10, 2 * 512 + 1).doubtful);
    EXPECT_TRUE(Follow(10, 2 * 512).doubtful);     // a whole cluster too many
    EXPECT_TRUE(Follow(10, 3 * 512 + 1).doubtful); // the chain is too short
    EXPECT_FALSE(Follow(10, 0, kFatAttrDirectory).doubtful);
    const FatExtents none = Follow(0, 0);
    EXPECT_TRUE(none.runs.empty());
    EXPECT_FALSE(none.doubtful);
}

TEST_F(Floppy, LoopsAndValuesOutsideTheVolumeEndTheWalk) {
    Chain({30, 31, 32});
    SetEntry(32, 30); // back to the start
    const FatExtents loop = Follow(30, 1'000'000);
    EXPECT_TRUE(loop.doubtful);
    EXPECT_LE(loop.TotalSectors(), 2848u);

    Chain({40, 41, 42, 43});
    SetEntry(43, 41); // a loop that does not include the first cluster
    const FatExtents directoryLoop = Follow(40, 0, kFatAttrDirectory);
    EXPECT_TRUE(directoryLoop.doubtful);
    EXPECT_LE(directoryLoop.TotalSectors(), 12u);

    Chain({50, 51});
    SetEntry(51, 0xFF0); // below the end-of-chain marks but past the last cluster (2848)
    const FatExtents outside = Follow(50, 1024);
    EXPECT_EQ(outside.TotalSectors(), 2u);
    EXPECT_TRUE(outside.doubtful);
    SetEntry(51, 1);
    EXPECT_TRUE(Follow(50, 1024).doubtful);

    EXPECT_EQ(Follow(2848, 512).runs.size(), 1u); // the last cluster
    EXPECT_TRUE(Follow(2849, 512).runs.empty());
    EXPECT_TRUE(Follow(2849, 512).doubtful);
    EXPECT_TRUE(Follow(1, 512).doubtful);
}

TEST_F(Floppy, UnreadableFatFailsAndFatSectorsAreReadOnce) {
    Chain({60, 61, 62, 63, 64, 200});
    FaultyDisk faulty(disk);
    CDiskWindow faultyWindow;
    ASSERT_TRUE(faultyWindow.Open(&faulty, 0, 0));
    FatVolume faultyVolume;
    ASSERT_TRUE(faultyVolume.Open(faultyWindow));
    FatDirEntry entry;
    ASSERT_TRUE(ParseDirEntry(entry, ShortSlot("FILE    BIN", 0x20, 60, 3000)));

    FatTable table(faultyWindow, faultyVolume.Record());
    FatExtents extents;
    ASSERT_TRUE(FollowClusterChain(table, entry, &extents));
    EXPECT_EQ(table.ReadCount(), 1u); // all six entries lie in FAT sectors 1 and 2

    // An unreadable sector elsewhere in the FAT read at once: the sectors the chain needs
    // are read on their own and give the same runs.
    faulty.MakeUnreadable(9);
    FatTable patchy(faultyWindow, faultyVolume.Record());
    FatExtents again;
    ASSERT_TRUE(FollowClusterChain(patchy, entry, &again));
    ASSERT_EQ(again.runs.size(), extents.runs.size());
    EXPECT_EQ(again.runs.back().lba, extents.runs.back().lba);

    faulty.MakeUnreadable(1);
    faulty.MakeUnreadable(2);
    FatTable broken(faultyWindow, faultyVolume.Record());
    EXPECT_FALSE(FollowClusterChain(broken, entry, &extents));
}

TEST_F(Floppy, ReadsFileDataThroughTheRuns) {
    Chain({70, 90, 71});
    for (std::uint32_t i = 0; i < 3; ++i)
        std::fill_n(disk.Sector(Lba(i == 0   ? 70
                                    : i == 1 ? 90
                                             : 71)),
                    512, static_cast<std::uint8_t>('a' + i));
    FatDirEntry entry;
    ASSERT_TRUE(ParseDirEntry(entry, ShortSlot("FILE    BIN", 0x20, 70, 1300)));
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(volume.ReadFile(entry, &data));
    ASSERT_EQ(data.size(), 1300u);
    EXPECT_EQ(data[0], 'a');
    EXPECT_EQ(data[511], 'a');
    EXPECT_EQ(data[512], 'b');
    EXPECT_EQ(data[1024], 'c');
    EXPECT_EQ(data[1299], 'c');

    FatExtents extents;
    ASSERT_TRUE(volume.Extents(entry, &extents));
    std::vector<std::uint8_t> middle(4);
    ASSERT_TRUE(volume.ReadExtents(extents, 510, middle));
    EXPECT_EQ(std::string(middle.begin(), middle.end()), "aabb");
    EXPECT_FALSE(volume.ReadExtents(extents, 3 * 512 - 1, middle)); // past the runs
}

TEST_F(Floppy, TreeWalkDoesNotEnterAFolderTwice) {
    // Root: folder A (cluster 5). A: ".", "..", file F, and folder LOOP pointing at A.
    std::vector<std::uint8_t> root = ShortSlot("A          ", kFatAttrDirectory, 5, 0);
    std::copy(root.begin(), root.end(), disk.Sector(19));
    std::vector<std::uint8_t> a;
    Append(a, ShortSlot(".          ", kFatAttrDirectory, 5, 0));
    Append(a, ShortSlot("..         ", kFatAttrDirectory, 0, 0));
    Append(a, ShortSlot("F       TXT", kFatAttrArchive, 0, 0));
    Append(a, ShortSlot("LOOP       ", kFatAttrDirectory, 5, 0));
    std::copy(a.begin(), a.end(), disk.Sector(Lba(5)));
    Chain({5});

    std::vector<std::pair<std::string, bool>> seen;
    EXPECT_TRUE(WalkFatTree(volume, [&](const FatTreeItem& item) {
        seen.emplace_back(ToUtf8(item.path), item.notEntered);
        return true;
    }));
    const std::vector<std::pair<std::string, bool>> expected{
        {"A", false}, {"A/F.TXT", false}, {"A/LOOP", true}};
    EXPECT_EQ(seen, expected);

    FatWalkLimits shallow;
    shallow.maxDepth = 0;
    seen.clear();
    EXPECT_FALSE(WalkFatTree(
        volume,
        [&](const FatTreeItem& item) {
            seen.emplace_back(ToUtf8(item.path), item.notEntered);
            return true;
        },
        shallow));
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(Floppy, UnreadableDirectorySectorCostsOnlyItsEntries) {
    // Root sectors 19 and 20 each hold one file; sector 21 starts with the end mark.
    const auto first = ShortSlot("FIRST   TXT", kFatAttrArchive, 0, 0);
    const auto second = ShortSlot("SECOND  TXT", kFatAttrArchive, 0, 0);
    std::copy(first.begin(), first.end(), disk.Sector(19));
    std::copy(second.begin(), second.end(), disk.Sector(20));
    std::fill_n(disk.Sector(19) + 32, 480, 0xE5); // deleted-looking fill, no end mark
    FaultyDisk faulty(disk);
    faulty.MakeUnreadable(19);
    CDiskWindow faultyWindow;
    ASSERT_TRUE(faultyWindow.Open(&faulty, 0, 0));
    FatVolume faultyVolume;
    ASSERT_TRUE(faultyVolume.Open(faultyWindow));

    std::vector<FatDirEntry> entries;
    ASSERT_TRUE(faultyVolume.ListRoot(&entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(std::string(entries[0].name.begin(), entries[0].name.end()), "SECOND  TXT");
    EXPECT_EQ(faultyVolume.BadSectors().Lbas(), std::vector<std::uint64_t>{19});
    std::vector<std::uint8_t> data;
    EXPECT_FALSE(faultyVolume.ReadRootDirectoryData(&data)); // the strict read fails

    faulty.MakeReadable(19);
    ASSERT_TRUE(faultyVolume.ListRoot(&entries));
    EXPECT_EQ(entries.size(), 2u);
}
