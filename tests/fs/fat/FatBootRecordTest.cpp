#include "fs/fat/FatBootRecord.h"

#include "FatTestData.h"
#include "fs/fat/FatGeometry.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::fattest;

namespace {

// A FAT16-style layout (one reserved sector, two FATs, 512 root entries, one sector per
// cluster) holding exactly `clusters` data clusters.
BootParams WithClusters(std::uint32_t clusters) {
    BootParams p;
    p.rootEntryCount = 512;
    p.fatSize = 256;
    p.totalSectors = 1 + 2 * p.fatSize + 32 + clusters;
    return p;
}

FatBootRecord Parse(const std::vector<std::uint8_t>& sector) {
    FatBootRecord record;
    EXPECT_TRUE(ParseFatBootRecord(record, sector));
    return record;
}

} // namespace

TEST(FatBootRecord, TypeFollowsClusterCountBoundaries) {
    EXPECT_EQ(Parse(MakeBootSector(WithClusters(4084))).fatType, kFat12);
    EXPECT_EQ(Parse(MakeBootSector(WithClusters(4085))).fatType, kFat16);
    EXPECT_EQ(Parse(MakeBootSector(WithClusters(65524))).fatType, kFat16);
    EXPECT_EQ(Parse(MakeBootSector(WithClusters(65525))).fatType, kFat32);
    EXPECT_EQ(ClusterLimit(Parse(MakeBootSector(WithClusters(4085)))), 4087u);
    EXPECT_EQ(FatTypeOf(0), kFatNone);
}

TEST(FatBootRecord, BootSectorTestRejectsEachMissingPart) {
    const BootParams floppy; // 1.44 MB
    EXPECT_TRUE(IsFatBootSector(MakeBootSector(floppy), 512));

    auto changed = [&](auto edit) {
        auto s = MakeBootSector(floppy);
        edit(s);
        return IsFatBootSector(s, 512);
    };
    EXPECT_TRUE(changed([](auto& s) { s[0] = 0xE9; }));
    EXPECT_FALSE(changed([](auto& s) { s[2] = 0x91; }));
    EXPECT_FALSE(changed([](auto& s) { s[0] = 0x00; }));
    EXPECT_FALSE(changed([](auto& s) { s[511] = 0x00; }));
    EXPECT_FALSE(changed([](auto& s) { s[11] = s[12] = 0; })); // bytesPerSector 0
    EXPECT_FALSE(changed([](auto& s) { s[13] = 0; }));         // sectorsPerCluster 0
    EXPECT_FALSE(changed([](auto& s) { s[54] = 'N'; }));       // type text not "FAT"
    EXPECT_FALSE(IsFatBootSector(Bytes(MakeBootSector(floppy)).first(511), 512));
    EXPECT_FALSE(IsFatBootSector(MakeBootSector(floppy), 256));

    BootParams shortForm = floppy;
    shortForm.extended = false; // no 0x29, so no type text
    EXPECT_FALSE(IsFatBootSector(MakeBootSector(shortForm), 512));
}

TEST(FatBootRecord, Fat32LayoutWithTooFewClustersIsNotAccepted) {
    BootParams p = WithClusters(60000);
    p.fat32Layout = true;
    p.rootEntryCount = 0;
    p.reservedSectors = 32;
    p.totalSectors = 32 + 2 * p.fatSize + 60000;
    const auto sector = MakeBootSector(p);
    EXPECT_EQ(Parse(sector).fatType, kFat16);
    EXPECT_FALSE(IsFatBootSector(sector, 512));

    p.totalSectors = 32 + 2 * p.fatSize + 70000;
    EXPECT_TRUE(IsFatBootSector(MakeBootSector(p), 512));
}

TEST(FatBootRecord, ParsesEachOfTheThreeForms) {
    BootParams p = WithClusters(70000);
    p.fat32Layout = true;
    p.rootEntryCount = 0;
    p.reservedSectors = 32;
    p.totalSectors = 32 + 2 * p.fatSize + 70000;
    p.rootCluster = 7;
    p.hiddenSectors = 0x12345678;
    const FatBootRecord fat32 = Parse(MakeBootSector(p));
    EXPECT_EQ(fat32.fatType, kFat32);
    EXPECT_EQ(fat32.fatSize32, p.fatSize);
    EXPECT_EQ(fat32.rootCluster, 7u);
    EXPECT_EQ(fat32.fsInfoSector, 1u);
    EXPECT_EQ(fat32.backupBootSector, 6u);
    EXPECT_EQ(fat32.hiddenSectors, 0x12345678u);
    EXPECT_EQ(fat32.bootSignature, 0x29);
    EXPECT_EQ(fat32.driveNumber, 0x80);
    EXPECT_EQ(std::string(fat32.fileSystemType.begin(), fat32.fileSystemType.end()), "FAT32   ");
    EXPECT_EQ(fat32.signature, 0xAA55);

    BootParams f16 = WithClusters(5000);
    f16.sectorsPerCluster = 16;
    f16.totalSectors = 70000; // 32-bit total in the FAT12/16 form
    f16.hiddenSectors = 63;
    const FatBootRecord fat16 = Parse(MakeBootSector(f16));
    EXPECT_EQ(fat16.fatType, kFat16);
    EXPECT_EQ(fat16.totalSectors32, 70000u);
    EXPECT_EQ(fat16.hiddenSectors, 63u);
    EXPECT_EQ(std::string(fat16.volumeLabel.begin(), fat16.volumeLabel.end()), "NO NAME    ");

    BootParams old = BootParams{};
    old.extended = false;
    auto sector = MakeBootSector(old);
    sector[28] = 0x10;
    sector[29] = 0x00;
    sector[30] = 0xFF; // boot code in the short form, not the upper half of hiddenSectors
    sector[31] = 0xFF;
    const FatBootRecord dos = Parse(sector);
    EXPECT_EQ(dos.hiddenSectors, 0x10u);
    EXPECT_EQ(dos.totalSectors32, 0u);
    EXPECT_EQ(dos.bootCode[0], 0xFF);
    EXPECT_EQ(dos.bootSignature, 0);
}

TEST(FatBootRecord, MetadataLargerThanTheVolumeIsNoFatVolume) {
    BootParams p;
    p.fatSize = 4000; // two FATs of 4000 sectors on a 2880-sector volume
    const auto sector = MakeBootSector(p);
    const FatBootRecord record = Parse(sector);
    EXPECT_EQ(ClusterLimit(record), 0u);
    EXPECT_EQ(record.fatType, kFatNone);
    EXPECT_FALSE(IsFatBootSector(sector, 512));
}

TEST(FatGeometry, FloppyLayoutAndHiddenSectorsShiftEverySector) {
    FatBootRecord r = Parse(MakeBootSector(BootParams{}));
    EXPECT_EQ(RootDirSectors(r), 14u);
    EXPECT_EQ(FirstDataSector(r), 33u);
    EXPECT_EQ(RootDirFirstSector(r), 19u);
    EXPECT_EQ(ClusterLimit(r), 2849u);
    EXPECT_EQ(FirstSectorOfCluster(r, 0), 0u);
    EXPECT_EQ(FirstSectorOfCluster(r, 1), 0u);
    EXPECT_EQ(FirstSectorOfCluster(r, 2), 33u);
    EXPECT_EQ(FatSectorOfCluster(r, 341), 1u + 511u / 512u);
    EXPECT_EQ(FatSectorOfCluster(r, 342), 2u);

    r.hiddenSectors = 5'000'000'000ull; // beyond 32 bits: the volume lies far into a disk
    EXPECT_EQ(FirstDataSector(r), 5'000'000'033ull);
    EXPECT_EQ(RootDirFirstSector(r), 5'000'000'019ull);
    EXPECT_EQ(FirstSectorOfCluster(r, 3), 5'000'000'034ull);
    EXPECT_EQ(ClusterLimit(r), 2849u);
}

TEST(FatGeometry, Fat12EntryStraddlingTwoSectorsDecodesFromTheTwoSectorBuffer) {
    const FatBootRecord r = Parse(MakeBootSector(BootParams{}));
    ASSERT_EQ(FatEntryOffset(r, 341), 511u); // odd cluster, bytes 511 and 512
    std::vector<std::uint8_t> buffer(1024, 0);
    buffer[510] = 0x34;
    buffer[511] = 0xC5; // low nibble: cluster 340, high nibble: cluster 341
    buffer[512] = 0xAB;
    std::uint32_t value = 0;
    ASSERT_TRUE(ReadFatEntry(r, 341, buffer, &value));
    EXPECT_EQ(value, 0xABCu);
    ASSERT_TRUE(ReadFatEntry(r, 340, buffer, &value));
    EXPECT_EQ(value, 0x534u);
    // With only the first sector, the straddling entry is not read at all.
    EXPECT_FALSE(ReadFatEntry(r, 341, Bytes(buffer).first(512), &value));
}

TEST(FatGeometry, Fat16And32EntriesAndMasks) {
    FatBootRecord r = Parse(MakeBootSector(WithClusters(5000)));
    ASSERT_EQ(r.fatType, kFat16);
    std::vector<std::uint8_t> buffer(1024, 0);
    buffer[2 * 300 % 512] = 0xF8;
    buffer[2 * 300 % 512 + 1] = 0xFF;
    std::uint32_t value = 0;
    ASSERT_TRUE(ReadFatEntry(r, 300, buffer, &value));
    EXPECT_EQ(value, 0xFFF8u);
    EXPECT_EQ(EndOfChainValue(r), 0xFFF8u);
    EXPECT_EQ(BadClusterValue(r), 0xFFF7u);

    r.fatType = kFat32;
    PutLe(buffer, 4 * 300 % 512, 0xF0000123u, 4); // the top four bits are reserved
    ASSERT_TRUE(ReadFatEntry(r, 300, buffer, &value));
    EXPECT_EQ(value, 0x123u);
    EXPECT_EQ(EndOfChainValue(r), 0x0FFFFFF8u);
    r.fatType = kFat12;
    EXPECT_EQ(EndOfChainValue(r), 0xFF8u);
    EXPECT_EQ(MaskClusterValue(r, 0xFFFF), 0xFFFu);
}
