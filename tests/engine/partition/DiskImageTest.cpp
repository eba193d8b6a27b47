// The partition walk and the volumes on disk images built by tests/fixtures/part-*.sh:
// tree shape and names, every file's size, time, condition and bytes, golden dumps.

#include "Fixtures.h"
#include "MemoryDisk.h"
#include "TreeDump.h"
#include "device/HandleDisk.h"
#include "engine/partition/PartitionWalk.h"
#include "engine/volume/FatFolderNode.h"
#include "platform/LocalTime.h"
#include "platform/Utf.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// The fixtures are made in UTC; FAT times are local, so the tests read them in UTC too.
void UseUtc() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
}

struct OpenedImage {
    CHandleDisk disk;
    DriveNode root;
};

std::unique_ptr<OpenedImage> OpenPath(const std::filesystem::path& path) {
    auto image = std::make_unique<OpenedImage>();
    if (!image->disk.Open(path.string()) || !image->root.OpenDevice(&image->disk)) {
        ADD_FAILURE() << "cannot open " << path;
        return nullptr;
    }
    return image;
}

std::unique_ptr<OpenedImage> OpenImage(const std::string& script) {
    UseUtc();
    for (const char* tool : {"sfdisk", "sgdisk", "mkfs.fat", "mcopy", "mkntfs", "ntfscp"})
        if (!HaveTool(tool) && !HaveTool(std::string("/usr/sbin/") + tool))
            return nullptr;
    const auto path = BuildFixture(script, script.substr(0, script.size() - 3) + ".img");
    if (path.empty()) {
        ADD_FAILURE() << "fixture " << script << " failed to build";
        return nullptr;
    }
    return OpenPath(path);
}

// A scratch copy of an image, damaged by zeroing one sector and cutting it to a length.
std::filesystem::path DamagedCopy(const OpenedImage& image, const std::string& name,
                                  std::uint64_t zeroLba, std::uint64_t sectors) {
    const auto copy = ScratchDir(name) / "copy.img";
    std::filesystem::copy_file(image.disk.Path(), copy);
    std::fstream file(copy, std::ios::in | std::ios::out | std::ios::binary);
    const std::string zeros(512, '\0');
    file.seekp(static_cast<std::streamoff>(zeroLba * 512));
    file.write(zeros.data(), 512);
    file.close();
    std::filesystem::resize_file(copy, sectors * 512);
    return copy;
}

std::vector<std::u16string> Names(const ResultNode& node) {
    std::vector<std::u16string> names;
    for (const auto& child : node.Children())
        names.push_back(child->Name());
    return names;
}

// What the fixture scripts write: the source name and a newline, repeated to the size.
std::vector<std::uint8_t> ExpectedBytes(const std::string& sourceName, std::size_t size) {
    std::vector<std::uint8_t> bytes;
    const std::string line = sourceName + "\n";
    while (bytes.size() < size)
        bytes.push_back(static_cast<std::uint8_t>(line[bytes.size() % line.size()]));
    return bytes;
}

std::int64_t Stamp(int y, int mo, int d, int h, int mi, int s) {
    CalendarTime t;
    t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s;
    std::int64_t seconds = 0;
    UtcToEpoch(t, &seconds);
    return seconds;
}

ResultNode* FindChild(ResultNode& node, const std::u16string& name) {
    AnalyseCompletely(node);
    for (const auto& child : node.Children())
        if (child->Name() == name)
            return child.get();
    return nullptr;
}

// Follows child names; fails the test when one is missing.
ResultNode& Walk(ResultNode& root, std::initializer_list<std::u16string> names) {
    ResultNode* node = &root;
    for (const auto& name : names) {
        ResultNode* next = FindChild(*node, name);
        if (!next) {
            ADD_FAILURE() << "no child " << ToUtf8(name) << " under " << ToUtf8(node->Name());
            return *node;
        }
        node = next;
    }
    return *node;
}

FileEntry* FindFile(ResultNode& folder, const std::u16string& name) {
    AnalyseCompletely(folder);
    for (const auto& file : folder.Files())
        if (file->name == name)
            return file.get();
    return nullptr;
}

struct ExpectedFile {
    std::u16string name;
    std::string sourceName;
    std::uint64_t size;
    std::int64_t modified;
    bool deleted;
    int condition;
};

void CheckFiles(ResultNode& folder, const std::vector<ExpectedFile>& files) {
    for (const ExpectedFile& want : files) {
        SCOPED_TRACE(ToUtf8(want.name));
        FileEntry* file = FindFile(folder, want.name);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->size, want.size);
        EXPECT_EQ(file->deleted, want.deleted);
        EXPECT_EQ(file->condition, want.condition);
        ASSERT_TRUE(file->modifyTime.has_value());
        EXPECT_EQ(*file->modifyTime, want.modified);
        if (want.size == 0)
            continue;
        std::vector<std::uint8_t> data(want.size);
        file->readPosition = 0;
        ASSERT_TRUE(file->ReadNext(data.data(), data.size()));
        EXPECT_TRUE(data == ExpectedBytes(want.sourceName, want.size));
    }
}

void CheckGolden(OpenedImage& image, const std::string& name) {
    const std::string dump = DumpTree(image.root, "IMAGE");
    const std::string difference = CompareWithGolden(dump, name);
    EXPECT_TRUE(difference.empty()) << difference;
}

} // namespace

TEST(DiskImage, MbrWithPrimaryAndLogicalVolumes) {
    auto image = OpenImage("part-multi.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    ResultNode& root = image->root;
    AnalyseCompletely(root);
    std::vector<std::u16string> top;
    for (const auto& child : root.Children())
        top.push_back(child->Name());
    EXPECT_EQ(top, (std::vector<std::u16string>{u"スキャン結果", u"パーティション(FAT16)",
                                                u"パーティション(NTFS)", u"拡張パーティション"}));

    ResultNode& fat16 = Walk(root, {u"パーティション(FAT16)", u"既存のフォルダ[PRIMARY16]"});
    CheckFiles(fat16, {{u"README.TXT", "readme.txt", 1300, Stamp(2021, 3, 4, 5, 6, 8), false, 2},
                       {u"Long File Name.text", "Long File Name.text", 5000,
                        Stamp(2020, 12, 31, 23, 59, 58), false, 2},
                       {u"EMPTY.DAT", "empty.dat", 0, Stamp(2019, 1, 2, 3, 4, 6), false, 0},
                       // Deleted: the chain is freed, the clusters are taken as consecutive and
                       // the slack after the data is zero.
                       {u"_RASED.TXT", "erased.txt", 900, Stamp(2016, 4, 5, 6, 7, 8), true, 5}});
    CheckFiles(Walk(fat16, {u"DOCS", u"INNER"}),
               {{u"DEEP.BIN", "deep.bin", 2048, Stamp(2018, 7, 8, 9, 10, 14), false, 2}});
    ResultNode& old = Walk(fat16, {u"_LDDIR"});
    EXPECT_TRUE(old.IsDeleted());
    CheckFiles(old, {{u"_LDFILE.TXT", "oldfile.txt", 1500, Stamp(2017, 5, 6, 7, 8, 10), true, 5}});
    // LOOP/SELF points back at LOOP: not followed.
    ResultNode& loop = Walk(fat16, {u"LOOP"});
    AnalyseCompletely(loop);
    EXPECT_EQ(loop.ChildCount(), 0u);

    ResultNode& ntfs = Walk(root, {u"パーティション(NTFS)", u"既存のフォルダ[PRIMARYNT]"});
    CheckFiles(ntfs,
               {{u"ntfs file.txt", "ntfs file.txt", 3000, Stamp(2022, 2, 3, 4, 5, 6), false, 1},
                {u"tiny.txt", "tiny.txt", 40, Stamp(2022, 2, 3, 4, 5, 8), false, 1},
                {u"big.bin", "big.bin", 70000, Stamp(2022, 2, 3, 4, 5, 10), false, 1}});

    ResultNode& extended = Walk(root, {u"拡張パーティション"});
    AnalyseCompletely(extended);
    ASSERT_EQ(extended.ChildCount(), 4u);
    ResultNode& l16 =
        Walk(*extended.Child(1), {u"パーティション(FAT16)", u"既存のフォルダ[LOGICAL16]"});
    CheckFiles(l16, {{u"FIRST.TXT", "first.txt", 100, Stamp(2015, 1, 1, 0, 0, 0), false, 2}});
    ResultNode& l32 =
        Walk(*extended.Child(2), {u"パーティション(FAT32)", u"既存のフォルダ[LOGICAL32]"});
    CheckFiles(l32, {{u"THIRTY2.TXT", "thirty-two.txt", 512, Stamp(2014, 2, 3, 4, 5, 8), false, 2},
                     {u"_ONE32.TXT", "gone32.txt", 777, Stamp(2014, 2, 3, 4, 5, 10), true, 5}});
    CheckFiles(Walk(l32, {u"PHOTOS"}),
               {{u"PICTURE.JPG", "picture.jpg", 12345, Stamp(2014, 2, 3, 4, 5, 6), false, 2}});
    ResultNode& lnt =
        Walk(*extended.Child(3), {u"パーティション(NTFS)", u"既存のフォルダ[LOGICALNT]"});
    CheckFiles(lnt, {{u"last.txt", "last.txt", 4097, Stamp(2013, 1, 1, 12, 0, 0), false, 1}});

    CheckGolden(*image, "part-multi");
}

TEST(DiskImage, TypeCodesOnlyNameTheNodeAndEntriesPastTheEndAreClipped) {
    auto image = OpenImage("part-odd.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    AnalyseCompletely(image->root);
    ASSERT_EQ(image->root.ChildCount(), 4u) << "the entry past the disk's end is clipped";
    EXPECT_EQ(image->root.Child(3)->RangeLength(), 6144u);
    const auto notes = image->root.TakeNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(ToUtf8(notes[0]).find("不足 2048 セクタ"), std::string::npos);
    ResultNode& mislabeled =
        Walk(image->root, {u"パーティション(NTFS)", u"既存のフォルダ[MISLABELED]"});
    EXPECT_TRUE(dynamic_cast<FatFolderNode*>(&mislabeled));
    CheckFiles(mislabeled,
               {{u"INSIDE.TXT", "inside.txt", 2500, Stamp(2012, 6, 7, 8, 9, 10), false, 2}});
    ResultNode& dynamic = Walk(image->root, {u"ダイナミックディスク", u"既存のフォルダ[DYNAMIC]"});
    CheckFiles(dynamic, {{u"DYN.TXT", "dyn.txt", 1000, Stamp(2012, 6, 7, 8, 9, 12), false, 2}});
    CheckGolden(*image, "part-odd");
}

TEST(DiskImage, SuperfloppyHasAVolumeAndNoPartitions) {
    auto image = OpenImage("part-superfloppy.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    AnalyseCompletely(image->root);
    ASSERT_EQ(image->root.ChildCount(), 2u);
    ResultNode* const area = image->root.Child(0);
    ResultNode* const found = image->root.Child(1);
    ASSERT_NE(area, nullptr);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(area->Name(), u"スキャン結果");
    ResultNode& volume = *found;
    EXPECT_EQ(volume.Name(), u"既存のフォルダ[FLOPPY]");
    CheckFiles(volume,
               {{u"FLOPPY.TXT", "floppy.txt", 3333, Stamp(2011, 11, 11, 11, 11, 10), false, 2},
                {u"_EMOVED.TXT", "removed.txt", 1024, Stamp(2011, 11, 11, 11, 11, 14), true, 5}});
    CheckFiles(Walk(volume, {u"SUB"}),
               {{u"NESTED.TXT", "nested.txt", 10, Stamp(2011, 11, 11, 11, 11, 12), false, 2}});
    CheckGolden(*image, "part-superfloppy");
}

TEST(DiskImage, WipedSectorZeroIsRebuiltFromBootSectors) {
    auto image = OpenImage("part-wiped.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    AnalyseCompletely(image->root);
    ASSERT_EQ(image->root.ChildCount(), 3u) << "no phantom volume from the NTFS backup boot sector";
    ResultNode* const fat = image->root.Child(1);
    ResultNode* const ntfs = image->root.Child(2);
    ASSERT_NE(fat, nullptr);
    ASSERT_NE(ntfs, nullptr);
    EXPECT_EQ(fat->RangeStart(), 63u);
    EXPECT_EQ(fat->Name(), u"パーティション(FAT16)") << "named by the FAT found";
    EXPECT_EQ(ntfs->Name(), u"パーティション(NTFS)");
    CheckFiles(
        Walk(*fat, {u"既存のフォルダ[WIPED16]"}),
        {{u"SURVIVOR.TXT", "survivor.txt", 4321, Stamp(2010, 10, 10, 10, 10, 10), false, 2}});
    CheckFiles(Walk(*ntfs, {u"既存のフォルダ[WIPEDNT]"}),
               {{u"second.txt", "second.txt", 1234, Stamp(2010, 10, 10, 10, 10, 12), false, 1}});
    CheckGolden(*image, "part-wiped");
}

TEST(DiskImage, LoopingExtendedChainEnds) {
    auto image = OpenImage("part-loop.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    ResultNode& extended = Walk(image->root, {u"拡張パーティション"});
    AnalyseCompletely(extended);
    ASSERT_EQ(extended.ChildCount(), 3u) << "two logical drives, then the chain repeats";
    CheckFiles(Walk(*extended.Child(1), {u"パーティション(FAT12)", u"既存のフォルダ[LOOPA]"}),
               {{u"A.TXT", "a.txt", 600, Stamp(2009, 9, 9, 9, 9, 10), false, 2}});
    CheckFiles(Walk(*extended.Child(2), {u"パーティション(FAT12)", u"既存のフォルダ[LOOPB]"}),
               {{u"B.TXT", "b.txt", 601, Stamp(2009, 9, 9, 9, 9, 12), false, 2}});
    CheckGolden(*image, "part-loop");
}

TEST(DiskImage, GptEntriesAreNamedByContentAndTheBackupHeaderStandsIn) {
    auto image = OpenImage("part-gpt.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    const std::vector<std::u16string> names{u"スキャン結果", u"パーティション(FAT32)",
                                            u"パーティション(NTFS)",
                                            u"パーティション[ふつうのデータ]"};
    AnalyseCompletely(image->root);
    EXPECT_EQ(Names(image->root), names);
    CheckFiles(Walk(image->root, {u"パーティション(FAT32)", u"既存のフォルダ[GPTFAT]"}),
               {{u"GPTFAT.TXT", "gptfat.txt", 2222, Stamp(2023, 5, 6, 7, 8, 10), false, 2}});
    CheckFiles(Walk(image->root, {u"パーティション(NTFS)", u"既存のフォルダ[GPTNTFS]"}),
               {{u"gptntfs.txt", "gptntfs.txt", 3333, Stamp(2023, 5, 6, 7, 8, 12), false, 1}});

    auto damaged = OpenPath(DamagedCopy(*image, "gpt-primary", 1, 90000));
    ASSERT_TRUE(damaged);
    AnalyseCompletely(damaged->root);
    EXPECT_EQ(Names(damaged->root), names);
    const auto notes = damaged->root.TakeNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(ToUtf8(notes[0]).find("バックアップ(LBA:89999)"), std::string::npos);
}

TEST(DiskImage, WipedTableFindsVolumesOnMebibyteBoundaries) {
    auto image = OpenImage("part-aligned.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    AnalyseCompletely(image->root);
    EXPECT_EQ(Names(image->root),
              (std::vector<std::u16string>{u"スキャン結果", u"パーティション(FAT16)",
                                           u"パーティション(NTFS)"}));
    CheckFiles(Walk(image->root, {u"パーティション(FAT16)", u"既存のフォルダ[ALIGNED16]", u"KEPT"}),
               {{u"ALIGNED.TXT", "aligned.txt", 3210, Stamp(2021, 1, 2, 3, 4, 6), false, 2}});
    EXPECT_EQ(image->root.Child(2)->RangeStart(), 12288u);
}

TEST(DiskImage, DamagedBootSectorsAreReadFromTheirBackups) {
    auto image = OpenImage("part-backup.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    ResultNode& fat = Walk(image->root, {u"パーティション(FAT32)"});
    CheckFiles(Walk(fat, {u"既存のフォルダ[BACKUP32]"}),
               {{u"BACKUP32.TXT", "backup32.txt", 4444, Stamp(2020, 2, 3, 4, 5, 6), false, 2}});
    EXPECT_EQ(fat.TakeNotes().size(), 1u);
    ResultNode& ntfs = Walk(image->root, {u"パーティション(NTFS)"});
    CheckFiles(Walk(ntfs, {u"既存のフォルダ[BACKUPNT]"}),
               {{u"backupnt.txt", "backupnt.txt", 5555, Stamp(2020, 2, 3, 4, 5, 8), false, 1}});
    const auto notes = ntfs.TakeNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(ToUtf8(notes[0]).find("バックアップ(LBA:81919)"), std::string::npos);
}

TEST(DiskImage, ImageCutShortKeepsThePartitionAndMarksFilesPastTheEnd) {
    auto image = OpenImage("part-multi.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    ResultNode& full = Walk(image->root, {u"パーティション(FAT16)", u"既存のフォルダ[PRIMARY16]"});
    const FileEntry* lost = FindFile(full, u"Long File Name.text");
    ASSERT_TRUE(lost);
    const std::uint64_t cut = lost->extents.FirstLba() + 2; // the file's third sector is gone

    auto damaged = OpenPath(DamagedCopy(*image, "cut-short", 0x1000, cut));
    ASSERT_TRUE(damaged);
    AnalyseCompletely(damaged->root);
    EXPECT_EQ(Names(damaged->root),
              (std::vector<std::u16string>{u"スキャン結果", u"パーティション(FAT16)"}));
    EXPECT_EQ(damaged->root.Child(1)->RangeLength(), cut - 2048);
    EXPECT_EQ(damaged->root.TakeNotes().size(), 1u);
    ResultNode& volume =
        Walk(damaged->root, {u"パーティション(FAT16)", u"既存のフォルダ[PRIMARY16]"});
    CheckFiles(volume, {{u"README.TXT", "readme.txt", 1300, Stamp(2021, 3, 4, 5, 6, 8), false, 2}});
    FileEntry* file = FindFile(volume, u"Long File Name.text");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->condition, 6);
    EXPECT_EQ(file->size, 1024u) << "the FAT reader keeps the sectors that exist";
}

TEST(DiskImage, ListingAVolumeMeasuresTheDeviceOnce) {
    auto image = OpenImage("part-multi.sh");
    if (!image)
        GTEST_SKIP() << "image tools missing";
    std::ifstream in(image->disk.Path(), std::ios::binary);
    MemoryDisk disk(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
    DriveNode root;
    ASSERT_TRUE(root.OpenDevice(&disk));
    ResultNode& volume = Walk(root, {u"パーティション(FAT16)", u"既存のフォルダ[PRIMARY16]"});
    AnalyseCompletely(volume);
    for (const auto& child : volume.Children())
        AnalyseCompletely(*child);
    EXPECT_GE(volume.FileCount(), 4u);
    EXPECT_EQ(disk.CapacityCalls(), 1u);
}
