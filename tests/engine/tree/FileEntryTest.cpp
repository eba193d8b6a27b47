#include "engine/tree/FileEntry.h"

#include "MemoryDisk.h"
#include "engine/tree/ExtentList.h"
#include "engine/tree/FileCondition.h"

#include <gtest/gtest.h>
#include <numeric>

using namespace vantrel;
using vantrel::testing::FaultyDisk;
using vantrel::testing::MemoryDisk;

namespace {

// Every byte of the disk is a function of its offset, so any misplaced read shows.
std::vector<std::uint8_t> PatternBytes(std::uint64_t sectors, std::uint32_t sectorSize) {
    std::vector<std::uint8_t> bytes(sectors * sectorSize);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 509) & 0xFF);
    return bytes;
}

struct Disk {
    explicit Disk(std::uint64_t sectors, std::uint32_t sectorSize = 512)
        : memory(PatternBytes(sectors, sectorSize), sectorSize), faulty(memory),
          bytesPerSector(sectorSize) {
        EXPECT_TRUE(window.Open(&faulty, 0, 0));
        EXPECT_TRUE(window.GetCapacity(nullptr, nullptr));
    }
    std::uint8_t At(std::uint64_t lba, std::uint64_t offset) {
        return memory.Bytes()[lba * bytesPerSector + offset];
    }
    MemoryDisk memory;
    FaultyDisk faulty;
    CDiskWindow window;
    std::uint32_t bytesPerSector;
};

} // namespace

TEST(ExtentList, MapsFileSectorsAcrossRunsAndReportsTheEnd) {
    ExtentList list;
    EXPECT_EQ(list.FirstLba(), ~0ull);
    list.Append(100, 3);
    list.Append(10, 2);
    list.Append(kSparseExtentLba, 4);
    EXPECT_EQ(list.TotalSectors(), 9u);
    EXPECT_EQ(list.LbaOf(0), 100u);
    EXPECT_EQ(list.LbaOf(2), 102u);
    EXPECT_EQ(list.LbaOf(3), 10u);
    EXPECT_EQ(list.SectorsLeftInRun(1), 2u);
    EXPECT_EQ(list.SectorsLeftInRun(4), 1u);
    EXPECT_EQ(list.LbaOf(6), kSparseExtentLba);
    EXPECT_EQ(list.SectorsLeftInRun(6), 3u);
    EXPECT_EQ(list.LbaOf(9), ~0ull);
    EXPECT_EQ(list.SectorsLeftInRun(9), 0u);
}

TEST(FileEntry, ReadNextFollowsFragmentedRunsAtUnalignedPositions) {
    Disk disk(64);
    FileEntry entry;
    ASSERT_TRUE(entry.AttachToWindow(&disk.window));
    entry.extents.Append(20, 2);
    entry.extents.Append(5, 3);
    entry.size = 5 * 512 - 100;

    std::vector<std::uint8_t> got(700);
    entry.readPosition = 900; // 388 bytes into sector 21, then into sector 5
    ASSERT_TRUE(entry.ReadNext(got.data(), got.size()));
    EXPECT_EQ(entry.readPosition, 1600u);
    for (std::size_t i = 0; i < got.size(); ++i) {
        const std::uint64_t filePos = 900 + i;
        const std::uint64_t fileSector = filePos / 512;
        const std::uint64_t lba = fileSector < 2 ? 20 + fileSector : 5 + (fileSector - 2);
        ASSERT_EQ(got[i], disk.At(lba, filePos % 512)) << i;
    }

    // The last byte is readable, one more is not; a failed read keeps the position.
    entry.readPosition = entry.size - 1;
    EXPECT_TRUE(entry.ReadNext(got.data(), 1));
    entry.readPosition = entry.size - 1;
    EXPECT_FALSE(entry.ReadNext(got.data(), 2));
    EXPECT_EQ(entry.readPosition, entry.size - 1);
    EXPECT_FALSE(entry.ReadNext(got.data(), 0));
}

TEST(FileEntry, ReadNextFailsOnBadSectorsAndMissingRunsAndReadsSparseAsZeros) {
    Disk disk(64);
    FileEntry entry;
    ASSERT_TRUE(entry.AttachToWindow(&disk.window));
    entry.extents.Append(10, 1);
    entry.extents.Append(kSparseExtentLba, 2);
    entry.size = 4 * 512; // one sector more than the runs cover

    std::vector<std::uint8_t> got(3 * 512, 0xEE);
    ASSERT_TRUE(entry.ReadNext(got.data(), got.size()));
    EXPECT_EQ(got[0], disk.At(10, 0));
    EXPECT_TRUE(std::all_of(got.begin() + 512, got.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_FALSE(entry.ReadNext(got.data(), 512)) << "beyond the last run";

    entry.readPosition = 0;
    disk.faulty.MakeUnreadable(10);
    EXPECT_FALSE(entry.ReadNext(got.data(), 10));
    EXPECT_EQ(entry.readPosition, 0u);
}

TEST(FileEntry, LargeReadIsSplitIntoPiecesAndResidentDataIsCopied) {
    Disk disk(300);
    FileEntry entry;
    ASSERT_TRUE(entry.AttachToWindow(&disk.window));
    entry.extents.Append(1, 260);
    entry.size = 260 * 512;
    std::vector<std::uint8_t> got(entry.size);
    ASSERT_TRUE(entry.ReadNext(got.data(), got.size()));
    EXPECT_EQ(got.back(), disk.At(260, 511));

    FileEntry resident;
    ASSERT_TRUE(resident.AttachToWindow(&disk.window));
    resident.residentData = std::vector<std::uint8_t>{1, 2, 3, 4, 5};
    resident.size = 5;
    resident.readPosition = 2;
    std::uint8_t three[3] = {};
    ASSERT_TRUE(resident.ReadNext(three, 3));
    EXPECT_EQ(three[0], 3);
    EXPECT_EQ(three[2], 5);
}

TEST(FileEntry, AttachFailsWithoutCapacityAndClearsThePreviousFill) {
    Disk disk(8);
    FileEntry entry;
    ASSERT_TRUE(entry.FillCarved(&disk.window, 2, 700, u"a.jpg"));
    EXPECT_EQ(entry.extents.TotalSectors(), 2u);
    EXPECT_TRUE(entry.deleted);
    EXPECT_EQ(entry.condition, kConditionGood);
    EXPECT_TRUE(entry.modifyTime.has_value());
    EXPECT_EQ(entry.Key(), 2u);

    CDiskWindow unopened;
    EXPECT_FALSE(entry.AttachToWindow(&unopened));
    EXPECT_TRUE(entry.name.empty());
    EXPECT_TRUE(entry.extents.Empty());
    EXPECT_EQ(entry.condition, kConditionFair);

    ASSERT_TRUE(entry.FillCarved(&disk.window, 2, 0, u"empty"));
    EXPECT_EQ(entry.condition, kConditionEmpty);
}

TEST(RateCondition, FollowsDeletedDoubtfulAndTheSlackAfterTheData) {
    Disk disk(16);
    std::fill_n(disk.memory.Sector(4), 512, 0);
    disk.memory.Sector(4)[0] = 'x'; // data: 1 byte; slack zero
    FileEntry entry;
    ASSERT_TRUE(entry.AttachToWindow(&disk.window));
    entry.extents.Append(3, 2);
    entry.size = 513;

    EXPECT_EQ(RateCondition(entry), kConditionVeryGood);
    entry.deleted = true;
    EXPECT_EQ(RateCondition(entry), kConditionGood);
    entry.doubtful = true;
    EXPECT_EQ(RateCondition(entry), kConditionPoor);
    disk.memory.Sector(4)[511] = 1;
    EXPECT_EQ(RateCondition(entry), kConditionVeryPoor);
    entry.size = 1024; // ends on a sector boundary: no slack to look at
    EXPECT_EQ(RateCondition(entry), kConditionPoor);
    entry.size = 513;
    std::fill_n(disk.memory.Sector(4) + 1, 511, 0);
    disk.faulty.MakeUnreadable(4);
    EXPECT_EQ(RateCondition(entry), kConditionVeryPoor) << "an unreadable tail is not clean";
    entry.deleted = false;
    EXPECT_EQ(RateCondition(entry), kConditionFair);
    entry.size = 0;
    EXPECT_EQ(RateCondition(entry), kConditionEmpty);

    EXPECT_STREQ(FileConditionText(1), "NTFSファイル");
    EXPECT_STREQ(FileConditionText(7), "不明");
}
