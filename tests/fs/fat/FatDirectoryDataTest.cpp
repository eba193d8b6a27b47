#include "fs/fat/FatDirectoryData.h"

#include "FatTestData.h"
#include "fs/fat/FatDefaultBootRecord.h"
#include "fs/fat/FatDirEntry.h"
#include "fs/fat/FatGeometry.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::fattest;

namespace {

// ".", "..", three entries (one with a long name), then zeros to the end of the cluster.
std::vector<std::uint8_t> SubdirectoryCluster(std::size_t size = 512) {
    std::vector<std::uint8_t> c;
    Append(c, ShortSlot(".          ", kFatAttrDirectory, 9, 0));
    Append(c, ShortSlot("..         ", kFatAttrDirectory, 0, 0));
    Append(c, ShortSlot("PHOTO   JPG", 0x20, 10, 5000));
    Append(c, LongSlots(u"Holiday notes.txt", "HOLIDA~1TXT"));
    Append(c, ShortSlot("HOLIDA~1TXT", 0x20, 20, 10));
    Append(c, ShortSlot("\xe5"
                        "LD     DOC",
                        0x20, 30, 10));
    c.resize(size, 0);
    return c;
}

} // namespace

TEST(FatDirectoryData, DirectoryClusterTest) {
    auto cluster = SubdirectoryCluster();
    EXPECT_EQ(PlausibleEntryPrefix(cluster), 7u * 32u);
    EXPECT_TRUE(IsDirectoryCluster(cluster));

    auto trailing = cluster;
    trailing[300] = 1; // non-zero byte after the last entry
    EXPECT_FALSE(IsDirectoryCluster(trailing));

    EXPECT_FALSE(IsDirectoryCluster(std::vector<std::uint8_t>(512, 0)));
    EXPECT_FALSE(IsDirectoryCluster({}));

    std::vector<std::uint8_t> text(512, 0);
    const char* line = "ABCDEFGH   This is a plain text file with many words\r\n";
    std::memcpy(text.data(), line, std::strlen(line));
    EXPECT_FALSE(IsDirectoryCluster(text)); // more than 32 bytes of leading text
}

TEST(FatDirectoryData, PrefixStopsAtFillTextAndImplausibleSlots) {
    auto cluster = SubdirectoryCluster();
    std::fill_n(cluster.begin() + 3 * 32, 32, 0xF6); // formatter fill pattern
    EXPECT_EQ(PlausibleEntryPrefix(cluster), 3u * 32u);

    cluster = SubdirectoryCluster();
    std::memcpy(cluster.data() + 2 * 32, "README  TXTREADME  TXTREADME  TX", 32); // all text
    EXPECT_EQ(PlausibleEntryPrefix(cluster), 2u * 32u);

    cluster = SubdirectoryCluster();
    cluster[2 * 32 + 1] = '+';
    EXPECT_EQ(PlausibleEntryPrefix(cluster), 2u * 32u);

    // A piece shorter than a slot is not looked at.
    EXPECT_EQ(PlausibleEntryPrefix(Bytes(SubdirectoryCluster()).first(3 * 32 + 31)), 3u * 32u);
}

TEST(FatDefaultBootRecord, FloppiesUseTheirFixedParameters) {
    FatBootRecord r;
    ASSERT_EQ(BuildDefaultBootRecord(r, kFat12, 2880, 512, 0xF0, 18, 2, 0, 0), 0);
    EXPECT_EQ(r.sectorsPerCluster, 1);
    EXPECT_EQ(r.rootEntryCount, 224);
    EXPECT_EQ(r.fatSize16, 9);
    EXPECT_EQ(r.totalSectors16, 2880);
    EXPECT_EQ(r.reservedSectors, 1);
    EXPECT_EQ(r.numFats, 2);
    EXPECT_EQ(r.bootSignature, 0x29);
    EXPECT_EQ(r.signature, 0xAA55);
    EXPECT_EQ(std::string(r.fileSystemType.begin(), r.fileSystemType.end()), "FAT12   ");
    EXPECT_EQ(std::string(r.oemName.begin(), r.oemName.end()), "MSWIN4.1");
    // Its geometry is the familiar floppy layout.
    EXPECT_EQ(FirstDataSector(r), 33u);
    EXPECT_EQ(FatTypeOf(ClusterLimit(r)), kFat12);

    ASSERT_EQ(BuildDefaultBootRecord(r, kFat12, 1440, 512, 0xF9, 9, 2, 0, 0), 0);
    EXPECT_EQ(r.sectorsPerCluster, 2);
    EXPECT_EQ(r.rootEntryCount, 112);
    EXPECT_EQ(r.fatSize16, 3);

    ASSERT_EQ(BuildDefaultBootRecord(r, kFat12, 20000, 512, 0xF8, 63, 255, 0, 0x80), 0);
    EXPECT_EQ(r.sectorsPerCluster, 8); // the smallest size that keeps below 4085 clusters
    EXPECT_EQ(r.rootEntryCount, 512);
    EXPECT_EQ(r.fatSize16, 12);
    EXPECT_EQ(BuildDefaultBootRecord(r, kFat12, 4'000'000, 512, 0xF8, 63, 255, 0, 0x80), 1);
}

TEST(FatDefaultBootRecord, Fat16AndFat32TakeTheTableAndFormula) {
    FatBootRecord r;
    EXPECT_EQ(BuildDefaultBootRecord(r, kFat16, 8400, 512, 0xF8, 63, 255, 0, 0x80), 1);
    ASSERT_EQ(BuildDefaultBootRecord(r, kFat16, 100000, 512, 0xF8, 63, 255, 2048, 0x80), 0);
    EXPECT_EQ(r.sectorsPerCluster, 4);
    EXPECT_EQ(r.fatSize16, 98); // (100000 - 1 - 32 + 1025) / 1026
    EXPECT_EQ(r.totalSectors32, 100000u);
    EXPECT_EQ(r.totalSectors16, 0);
    EXPECT_EQ(r.hiddenSectors, 2048u);
    EXPECT_EQ(FatTypeOf(ClusterLimit(r)), kFat16);

    ASSERT_EQ(BuildDefaultBootRecord(r, kFat32, 1'000'000, 512, 0xF8, 63, 255, 0, 0x80), 0);
    EXPECT_EQ(r.sectorsPerCluster, 8);
    EXPECT_EQ(r.reservedSectors, 32);
    EXPECT_EQ(r.rootEntryCount, 0);
    EXPECT_EQ(r.fatSize16, 0);
    EXPECT_EQ(r.fatSize32, 976u); // (1000000 - 32 + 1024) / 1025
    EXPECT_EQ(r.rootCluster, 2u);
    EXPECT_EQ(r.backupBootSector, 6);
    EXPECT_EQ(FatTypeOf(ClusterLimit(r)), kFat32);
    EXPECT_EQ(BuildDefaultBootRecord(r, kFat32, 66600, 512, 0xF8, 63, 255, 0, 0x80), 1);

    // 4096-byte sectors: the table is read in 512-byte units.
    ASSERT_EQ(BuildDefaultBootRecord(r, kFat32, 100000, 4096, 0xF8, 63, 255, 0, 0x80), 0);
    EXPECT_EQ(r.sectorsPerCluster, 1);

    EXPECT_EQ(BuildDefaultBootRecord(r, kFatNone, 100000, 512, 0xF8, 63, 255, 0, 0x80), 1);
    EXPECT_EQ(BuildDefaultBootRecord(r, kFat16, 100000, 0, 0xF8, 63, 255, 0, 0x80), 1);
}
