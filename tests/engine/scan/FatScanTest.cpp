#include "Fixtures.h"
#include "ScanTestSupport.h"
#include "device/PartitionRecord.h"
#include "engine/scan/FatDirectoryRun.h"
#include "engine/scan/FatScanMethod.h"
#include "engine/scan/MethodSelection.h"
#include "engine/tree/FileEntry.h"
#include "fs/fat/FatGeometry.h"
#include "platform/Utf.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

std::vector<std::uint8_t> Fixture(const std::string& script) {
    if (!HaveTool("mkfs.fat") || !HaveTool("mcopy"))
        return {};
    const auto path = BuildFixture(script, script + ".img");
    return path.empty() ? std::vector<std::uint8_t>{} : ReadImage(path);
}

class FatScanTest : public ::testing::Test {
protected:
    void SetUp() override { InstallScanMethods(); }
};

} // namespace

// The old volume's first directory was overwritten by the new volume's first file; the
// folders below it come back, each file listed once, under the folder that holds it.
TEST_F(FatScanTest, QuickFormattedVolumeGivesBackTheOldFolders) {
    auto image = Fixture("scan-fat-reformatted.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat or mtools missing";
    auto scanned = DiskOver(std::move(image));
    ASSERT_TRUE(scanned);
    ScanResultNode& node = scanned->node;
    EXPECT_EQ(DetectMethod(scanned->window, 0, node.RangeLength()), kMethodFat);
    ASSERT_TRUE(node.SelectMethod(kMethodAutomatic));
    EXPECT_EQ(ToUtf8(node.MethodName()), "FAT方式");
    ASSERT_TRUE(RunSearch(node));
    const auto* method = dynamic_cast<FatScanMethod*>(node.Method());
    ASSERT_TRUE(method && method->BootRecord());
    EXPECT_EQ(method->BootRecord()->hiddenSectors, 0u);
    ASSERT_TRUE(RunDetect(node));
    EXPECT_TRUE(FindFolder(node, u"DEEP"));
    EXPECT_TRUE(FindFile(node, u"C.TXT")); // before reconstruction, also at the top

    ASSERT_TRUE(RunReconstruct(node));
    EXPECT_EQ(FolderNames(node), (std::vector<std::string>{"TRIP"}));
    EXPECT_EQ(FileNames(node), (std::vector<std::string>{"NEW.TXT", "A.JPG"}));
    FileEntry* photo = FindFile(node, u"A.JPG");
    ASSERT_TRUE(photo);
    EXPECT_EQ(ReadWhole(*photo), TaggedLines("photo", 20000));

    const ResultNode* trip = FindFolder(node, u"TRIP");
    ASSERT_TRUE(trip && trip->IsAnalysed());
    EXPECT_EQ(FileNames(*trip), (std::vector<std::string>{"B.TXT"}));
    const ResultNode* deep = FindFolder(*trip, u"DEEP");
    ASSERT_TRUE(deep);
    FileEntry* c = FindFile(*deep, u"C.TXT");
    ASSERT_TRUE(c);
    EXPECT_EQ(ReadWhole(*c), TaggedLines("deep", 1200));
}

// Folders ONE and TWO start at clusters 2 and 10, 64 sectors apart: 8 sectors per
// cluster, and a volume start that puts cluster 2 at sector 104.
TEST_F(FatScanTest, ZeroedBootSectorIsRebuiltFromTwoDotEntries) {
    auto image = Fixture("scan-fat-noboot.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat or mtools missing";
    auto scanned = DiskOver(std::move(image));
    ASSERT_TRUE(scanned);
    ScanResultNode& node = scanned->node;
    // The automatic choice finds the folders too, rather than falling back to carving.
    EXPECT_EQ(DetectMethod(scanned->window, 0, node.RangeLength()), kMethodFat);
    ASSERT_TRUE(node.SelectMethod(kMethodFat));
    ASSERT_TRUE(RunSearch(node));
    const auto* method = dynamic_cast<FatScanMethod*>(node.Method());
    ASSERT_TRUE(method && method->BootRecord());
    const FatBootRecord& record = *method->BootRecord();
    EXPECT_EQ(record.sectorsPerCluster, 8);
    EXPECT_EQ(FirstSectorOfCluster(record, 2), 104u);
    EXPECT_EQ(FirstSectorOfCluster(record, 10), 168u);
    ASSERT_TRUE(method->FirstDotEntry());
    EXPECT_EQ(method->FirstDotEntry()->lba, 104u);

    ASSERT_TRUE(RunDetect(node));
    ASSERT_TRUE(RunReconstruct(node));
    EXPECT_EQ(FolderNames(node), (std::vector<std::string>{"ONE", "TWO"}));
    EXPECT_EQ(FileNames(node), (std::vector<std::string>{"FILLER.BIN"}));
    const ResultNode* two = FindFolder(node, u"TWO");
    ASSERT_TRUE(two);
    FileEntry* inTwo = FindFile(*two, u"INTWO.TXT");
    ASSERT_TRUE(inTwo);
    EXPECT_EQ(ReadWhole(*inTwo), TaggedLines("intwo", 9000));
}

TEST_F(FatScanTest, SearchWithoutAFileSystemFailsInsteadOfReachingTheEnd) {
    auto scanned = DiskOver(std::vector<std::uint8_t>(300 * 512, 0));
    ASSERT_TRUE(scanned);
    ASSERT_TRUE(scanned->node.SelectMethod(kMethodFat));
    StepResult p = 0;
    int steps = 0;
    while ((p = scanned->node.SearchStep()) != kStepFailed) {
        ASSERT_LT(p, scanned->node.RangeLength()); // never "complete" without a record
        ASSERT_LT(++steps, 100);
    }
    EXPECT_EQ(scanned->node.DetectStep(), kStepFailed);
}

TEST_F(FatScanTest, AutomaticChoiceLooksThroughAPartitionTable) {
    auto image = Fixture("scan-fat-reformatted.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat or mtools missing";
    std::vector<std::uint8_t> disk(64 * 512, 0);
    PartitionEntry entry;
    entry.type = 0x06;
    entry.startLba = 64;
    entry.sectorCount = static_cast<std::uint32_t>(image.size() / 512);
    PutPartitionEntry(std::span(disk).first(512), 0, entry);
    disk[510] = 0x55;
    disk[511] = 0xAA;
    disk.insert(disk.end(), image.begin(), image.end());
    auto scanned = DiskOver(disk);
    ASSERT_TRUE(scanned);
    EXPECT_EQ(DetectMethod(scanned->window, 0, scanned->node.RangeLength()), kMethodFat);
    // The partition's own range starts with its boot sector.
    EXPECT_EQ(DetectMethod(scanned->window, 64, 1000), kMethodFat);
    // A wiped table sector: the boot sector is searched for as the table rebuild does, and
    // the log says where it was found; with that gone too, the folders still tell.
    std::fill_n(disk.begin(), 512, std::uint8_t{0});
    auto wiped = DiskOver(disk);
    ASSERT_TRUE(wiped);
    std::u16string reason;
    EXPECT_EQ(DetectMethod(wiped->window, 0, wiped->node.RangeLength(), &reason), kMethodFat);
    EXPECT_NE(ToUtf8(reason).find("LBA:64 に FAT のブートセクタ"), std::string::npos);
    EXPECT_EQ(DetectMethod(wiped->window, 0, wiped->node.RangeLength() + 1), kMethodSignature);
    std::fill_n(disk.begin() + 64 * 512, 512, std::uint8_t{0});
    auto noBoot = DiskOver(disk);
    ASSERT_TRUE(noBoot);
    EXPECT_EQ(DetectMethod(noBoot->window, 0, noBoot->node.RangeLength(), &reason), kMethodFat);
    EXPECT_NE(ToUtf8(reason).find("のフォルダが見つかったため"), std::string::npos);
    auto blank = DiskOver(std::vector<std::uint8_t>(4096 * 512, 0));
    ASSERT_TRUE(blank);
    EXPECT_EQ(DetectMethod(blank->window, 0, blank->node.RangeLength(), &reason), kMethodSignature);
    EXPECT_EQ(ToUtf8(reason), "ファイルシステムが見つからないため、データベース方式を選びました");
}

TEST_F(FatScanTest, Fat32VolumeWithoutItsBootSectorIsFoundThroughTheCopy) {
    if (!HaveTool("sfdisk") || !HaveTool("mkntfs"))
        GTEST_SKIP() << "image tools missing";
    std::vector<std::uint8_t> image = Fixture("part-backup.sh");
    ASSERT_FALSE(image.empty());
    // The FAT32 partition alone: sectors 2048 to 72047, its sector 0 zeroed.
    auto scanned = DiskOver({image.begin() + 2048 * 512, image.begin() + 72048 * 512});
    ASSERT_TRUE(scanned);
    ASSERT_TRUE(scanned->node.SelectMethod(kMethodFat));
    ASSERT_TRUE(RunSearch(scanned->node));
    ASSERT_TRUE(RunDetect(scanned->node));
    FileEntry* file = FindFile(scanned->node, u"BACKUP32.TXT");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size, 4444u);
    EXPECT_EQ(ReadWhole(*file).front(), 'b');
}

// After a scan that rebuilt the boot record, deleted and empty files are listed once,
// under their folders, and different deleted files stay apart.
TEST_F(FatScanTest, EveryEntryIsListedOnceAfterTheRebuild) {
    auto image = Fixture("scan-fat-deleted.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat or mtools missing";
    auto scanned = DiskOver(std::move(image));
    ASSERT_TRUE(scanned);
    ScanResultNode& node = scanned->node;
    ASSERT_TRUE(node.SelectMethod(kMethodFat));
    ASSERT_TRUE(RunSearch(node));
    ASSERT_TRUE(RunDetect(node));
    ASSERT_TRUE(RunReconstruct(node));
    EXPECT_EQ(FolderNames(node), (std::vector<std::string>{"ONE", "TWO"}));
    EXPECT_EQ(FileNames(node), (std::vector<std::string>{"FILLER.BIN", "_ONE4.TXT"}));
    const ResultNode* one = FindFolder(node, u"ONE");
    const ResultNode* two = FindFolder(node, u"TWO");
    ASSERT_TRUE(one && two);
    EXPECT_EQ(FileNames(*one), (std::vector<std::string>{"EMPTY.DAT", "_ONE1.TXT"}));
    EXPECT_EQ(FileNames(*two), (std::vector<std::string>{"KEEP.TXT", "_ONE2.TXT", "_ONE3.DAT"}));
}

// File contents that look like a slot are not taken for entries: no calendar date, or a
// first cluster outside the volume.
TEST(FatFoundEntries, NeedACalendarDateAndAClusterInsideTheVolume) {
    FatDirEntry entry;
    entry.writeDate = (20 << 9) | (7 << 5) | 14; // 2000-07-14
    entry.writeTime = (12 << 11) | (30 << 5);
    entry.firstCluster = 5;
    entry.fileSize = 100;
    EXPECT_TRUE(IsCredibleEntry(entry, 1000));
    EXPECT_FALSE(IsCredibleEntry(entry, 5));
    entry.firstCluster = 0;
    EXPECT_FALSE(IsCredibleEntry(entry, 1000));
    entry.fileSize = 0; // an empty file has no cluster
    EXPECT_TRUE(IsCredibleEntry(entry, 1000));
    entry.writeDate = 0;
    EXPECT_FALSE(IsCredibleEntry(entry, 1000));
    entry.writeDate = (20 << 9) | (13 << 5) | 14; // month 13
    EXPECT_FALSE(IsCredibleEntry(entry, 1000));
}
