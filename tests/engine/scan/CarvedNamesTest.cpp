#include "Fixtures.h"
#include "ScanTestSupport.h"
#include "engine/scan/CarvedNaming.h"
#include "engine/scan/MethodSelection.h"
#include "engine/volume/NtfsFolderNode.h"
#include "platform/Utf.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

std::filesystem::path CarvedNamesImage() {
#ifdef VANTREL_NTFS_TOOL
    ::setenv("VANTREL_NTFS_TOOL", VANTREL_NTFS_TOOL, 1);
    for (const char* tool : {"sfdisk", "mkfs.fat", "mcopy", "mkntfs"})
        if (!HaveTool(tool) && !HaveTool(std::string("/usr/sbin/") + tool))
            return {};
    return BuildFixture("carved-names.sh", "carved-names.img");
#else
    return {};
#endif
}

std::int64_t Utc(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return static_cast<std::int64_t>(::timegm(&tm));
}

bool EndsWith(const std::u16string& text, const std::u16string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

// Photos deleted from a FAT32 and an NTFS volume, carved by a database scan of the whole
// disk: those whose entry or record survives get its name, folder and times (the same
// name twice is numbered), a TIF the entry's smaller size; those whose entry was
// overwritten keep their start-sector names. The start-sector name stays on every file.
TEST(CarvedNames, PhotosTakeTheNamesTheirSurvivingEntriesGive) {
    const auto path = CarvedNamesImage();
    if (path.empty())
        GTEST_SKIP() << "fixture tools missing";
    ::setenv("TZ", "UTC", 1); // FAT times are local; the fixture wrote them in UTC
    ::tzset();
    InstallScanMethods();
    auto scanned = DiskOver(ReadImage(path));
    ASSERT_TRUE(scanned);
    ScanResultNode& node = scanned->node;
    ASSERT_TRUE(node.SelectMethod(kMethodSignature));
    ASSERT_TRUE(RunSearch(node));
    ASSERT_TRUE(RunDetect(node));
    ASSERT_TRUE(RunReconstruct(node));

    EXPECT_EQ(FileNames(node),
              (std::vector<std::string>{"Holiday Beach.jpg", "_MG_0001.JPG", "Scan.tif",
                                        "0000000000000C78.JPG", "Old Trip.jpg", "Kept.jpg",
                                        "Holiday Beach (2).jpg", "Family.jpg", "Sunset.jpg",
                                        "0000000000012388.JPG"}));
    for (const auto& file : node.Files()) {
        const std::string carved = ToUtf8(file->carvedName);
        EXPECT_EQ(carved.size(), 20u) << carved;
        EXPECT_EQ(carved.substr(0, 16), [&] {
            char hex[17];
            std::snprintf(hex, sizeof hex, "%016llX",
                          static_cast<unsigned long long>(file->extents.FirstLba()));
            return std::string(hex);
        }());
    }

    FileEntry* beach = FindFile(node, u"Holiday Beach.jpg");
    ASSERT_TRUE(beach);
    EXPECT_EQ(beach->modifyTime, Utc(2021, 7, 1, 10, 0, 2));
    EXPECT_EQ(beach->size, 9000u);
    EXPECT_TRUE(EndsWith(beach->originalFolder,
                         u"/パーティション(FAT32)/既存のフォルダ[PHOTOS]/DCIM/100PHOTO"))
        << ToUtf8(beach->originalFolder);
    EXPECT_EQ(FindFile(node, u"Old Trip.jpg")->modifyTime, Utc(2020, 1, 2, 3, 4, 6));
    EXPECT_EQ(FindFile(node, u"Kept.jpg")->modifyTime, Utc(2022, 5, 6, 7, 8, 10));
    FileEntry* scan = FindFile(node, u"Scan.tif");
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->size, 3000u); // carved to the next photo's start, 3 072 bytes
    EXPECT_EQ(ReadWhole(*scan).size(), 3000u);
    FileEntry* lost = FindFile(node, u"0000000000000C78.JPG");
    ASSERT_TRUE(lost);
    EXPECT_EQ(lost->carvedName, lost->name);
    EXPECT_TRUE(lost->originalFolder.empty());

    // NTFS times are the fixture's build time: the same as the volume's own listing shows.
    NtfsFolderNode root;
    ASSERT_TRUE(root.SetUpVolume(&scanned->window, 71680));
    ASSERT_TRUE(AnalyseCompletely(root));
    FileEntry* family = FindFile(node, u"Family.jpg");
    ASSERT_TRUE(family && FindFile(root, u"Family.jpg"));
    EXPECT_TRUE(FindFile(root, u"Family.jpg")->modifyTime.has_value());
    EXPECT_EQ(family->modifyTime, FindFile(root, u"Family.jpg")->modifyTime);
    EXPECT_EQ(family->createTime, FindFile(root, u"Family.jpg")->createTime);
    EXPECT_TRUE(EndsWith(FindFile(node, u"Sunset.jpg")->originalFolder,
                         u"/パーティション(NTFS)/既存のフォルダ[PHOTOSNT]/DCIM"));
}

// A volume that no partition walk finds (its boot sector zeroed, FAT16 keeps no copy) is
// found by the FAT method's search for folders: carved texts take their names, in folders
// named from the range.
TEST(CarvedNames, AVolumeOnlyTheFatSearchFindsStillNamesFiles) {
    if (!HaveTool("mkfs.fat") || !HaveTool("mcopy"))
        GTEST_SKIP() << "mkfs.fat or mtools missing";
    const auto path = BuildFixture("scan-fat-noboot.sh", "scan-fat-noboot.sh.img");
    ASSERT_FALSE(path.empty());
    InstallScanMethods();
    auto scanned = DiskOver(ReadImage(path));
    ASSERT_TRUE(scanned);
    ScanResultNode& node = scanned->node;
    ASSERT_TRUE(node.SelectMethod(kMethodSignature));
    ASSERT_TRUE(RunDetect(node));
    ASSERT_TRUE(RunReconstruct(node));
    FileEntry* inTwo = FindFile(node, u"INTWO.TXT");
    ASSERT_TRUE(inTwo) << ::testing::PrintToString(FileNames(node));
    EXPECT_EQ(inTwo->originalFolder, u"スキャン結果/TWO");
    EXPECT_EQ(ReadWhole(*inTwo), TaggedLines("intwo", 9000));
    EXPECT_TRUE(FindFile(node, u"INONE.TXT"));
}

// Of two entries for one start the live one wins, then the later written; the entry's
// smaller size cuts a carve that ran on, never a file whose header gives its length.
TEST(CarvedNames, WhichEntryNamesAFileAndWhenItsSizeCounts) {
    KnownEntryMap map({8, 16});
    map.Offer(8, {u"old.jpg", {}, {}, 100, {}, 700, false});
    map.Offer(8, {u"newer.jpg", {}, {}, 200, {}, 700, false});
    map.Offer(16, {u"live.jpg", {}, {}, 100, {}, 700, true});
    map.Offer(16, {u"later.jpg", {}, {}, 900, {}, 700, false});
    map.Offer(24, {u"unwanted.jpg", {}, {}, 100, {}, 700, true});
    ASSERT_TRUE(map.Find(8) && map.Find(16));
    EXPECT_EQ(map.Find(8)->name, u"newer.jpg");
    EXPECT_EQ(map.Find(16)->name, u"live.jpg");
    EXPECT_FALSE(map.Find(24));

    std::vector<std::uint8_t> bytes(32 * 512, 0x41);
    const std::uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F'};
    const std::uint8_t bmp[] = {'B', 'M', 0x00, 0x10, 0, 0, 0, 0}; // 4 096 bytes
    std::copy(std::begin(jpeg), std::end(jpeg), bytes.begin() + 8 * 512);
    std::copy(std::begin(bmp), std::end(bmp), bytes.begin() + 16 * 512);
    auto disk = DiskOver(bytes);
    ASSERT_TRUE(disk);
    for (const std::uint64_t start : {8u, 16u}) {
        FileEntry file;
        ASSERT_TRUE(file.FillCarved(&disk->window, start, 4096, u"carved"));
        NameCarvedFile(file, *map.Find(start), u"named");
        EXPECT_EQ(file.carvedName, u"carved");
        EXPECT_EQ(file.size, start == 8 ? 700u : 4096u);
        EXPECT_EQ(file.extents.TotalSectors(), start == 8 ? 2u : 8u);
        EXPECT_EQ(file.modifyTime, map.Find(start)->modifyTime);
    }
}
