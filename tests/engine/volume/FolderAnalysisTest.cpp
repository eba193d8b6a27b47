// FAT folder analysis on images whose sectors are made unreadable or changed in memory:
// analysis always ends, keeps what it read, and rates what it finds.

#include "Fixtures.h"
#include "MemoryDisk.h"
#include "TreeLookup.h"
#include "engine/tree/FileCondition.h"
#include "engine/volume/FatFolderNode.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// Sectors [start, start + count) of a fixture image, as a disk of their own.
std::unique_ptr<MemoryDisk> LoadImage(const std::string& script, std::uint64_t start = 0,
                                      std::uint64_t count = 0) {
    for (const char* tool : {"sfdisk", "mkfs.fat", "mcopy", "mkntfs", "ntfscp"})
        if (!HaveTool(tool) && !HaveTool(std::string("/usr/sbin/") + tool))
            return nullptr;
    const auto path = BuildFixture(script, script.substr(0, script.size() - 3) + ".img");
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        ADD_FAILURE() << script << " did not build";
        return nullptr;
    }
    if (count == 0)
        count = static_cast<std::uint64_t>(in.tellg()) / 512 - start;
    std::vector<std::uint8_t> part(count * 512);
    in.seekg(static_cast<std::streamoff>(start * 512));
    in.read(reinterpret_cast<char*>(part.data()), static_cast<std::streamsize>(part.size()));
    return std::make_unique<MemoryDisk>(std::move(part), 512);
}

struct Volume {
    explicit Volume(CDiskDevice& device) {
        ok = window.Open(&device, 0, 0) && root.SetUpVolume(&window, 0);
    }
    CDiskWindow window;
    FatFolderNode root;
    bool ok = false;
};

} // namespace

TEST(FatFolderAnalysis, AnUnreadableBlockEndsTheAnalysisWithTheEntriesReadBeforeIt) {
    auto memory = LoadImage("part-bigdir.sh");
    if (!memory)
        GTEST_SKIP() << "image tools missing";
    FaultyDisk disk(*memory);
    {
        Volume volume(disk);
        ASSERT_TRUE(volume.ok);
        ResultNode* many = Child(volume.root, u"MANY");
        ASSERT_TRUE(many);
        AnalyseCompletely(*many);
        EXPECT_EQ(many->FileCount(), 1100u);
        // The second 32 KiB block starts at byte 32768 of the folder's data.
        const auto& data = static_cast<FatFolderNode*>(many)->DirectoryData();
        disk.MakeUnreadable(data.extents.LbaOf(32768 / 512));
    }
    Volume volume(disk);
    ASSERT_TRUE(volume.ok);
    ResultNode* many = Child(volume.root, u"MANY");
    ASSERT_TRUE(many);
    EXPECT_TRUE(AnalyseCompletely(*many));
    EXPECT_TRUE(many->IsAnalysed());
    EXPECT_EQ(many->FileCount(), 1022u) << "1024 slots of the first block less . and ..";
}

TEST(FatFolderAnalysis, UnreadableRootOrSubFolderNeverHangs) {
    auto memory = LoadImage("part-superfloppy.sh");
    if (!memory)
        GTEST_SKIP() << "image tools missing";
    FaultyDisk disk(*memory);
    std::uint64_t rootLba = 0;
    std::uint64_t subLba = 0;
    {
        Volume volume(disk);
        ASSERT_TRUE(volume.ok);
        rootLba = volume.root.DirectoryData().extents.FirstLba();
        ResultNode* sub = Child(volume.root, u"SUB");
        ASSERT_TRUE(sub);
        subLba = sub->Key();
    }
    disk.MakeUnreadable(subLba);
    {
        Volume volume(disk);
        ASSERT_TRUE(volume.ok);
        EXPECT_TRUE(AnalyseCompletely(volume.root));
        EXPECT_EQ(volume.root.ChildCount(), 0u) << "a folder whose data cannot be read is left out";
        EXPECT_TRUE(File(volume.root, u"FLOPPY.TXT"));
    }
    disk.MakeUnreadable(rootLba + 1);
    Volume volume(disk);
    ASSERT_TRUE(volume.ok) << "the volume stays; its root just lists nothing";
    EXPECT_EQ(volume.root.Name(), u"既存のフォルダ[FLOPPY     ]") << "label from the boot sector";
    EXPECT_TRUE(AnalyseCompletely(volume.root));
    EXPECT_EQ(volume.root.FileCount(), 0u);
}

TEST(FatFolderAnalysis, EmptiedFat32RootStillShowsTheVolume) {
    // The FAT32 logical drive of part-multi: partition 2048 sectors into the second
    // logical drive, which starts at 28672.
    auto disk = LoadImage("part-multi.sh", 28672 + 2048, 68000);
    if (!disk)
        GTEST_SKIP() << "image tools missing";
    std::uint64_t rootLba = 0;
    {
        Volume volume(*disk);
        ASSERT_TRUE(volume.ok);
        EXPECT_EQ(volume.root.Name(), u"既存のフォルダ[LOGICAL32]");
        rootLba = volume.root.DirectoryData().extents.FirstLba();
    }
    std::fill_n(disk->Sector(rootLba), 512, 0);
    Volume volume(*disk);
    ASSERT_TRUE(volume.ok);
    EXPECT_EQ(volume.root.Name(), u"既存のフォルダ[LOGICAL32  ]");
    AnalyseCompletely(volume.root);
    EXPECT_EQ(volume.root.ChildCount() + volume.root.FileCount(), 0u);
}

TEST(FatFolderAnalysis, DirtySlackRatesVeryPoorAndAnInvalidDateKeepsTheFile) {
    auto disk = LoadImage("part-multi.sh", 2048, 8192);
    if (!disk)
        GTEST_SKIP() << "image tools missing";
    std::uint64_t lastLba = 0;
    {
        Volume volume(*disk);
        ASSERT_TRUE(volume.ok);
        FileEntry* erased = File(volume.root, u"_RASED.TXT");
        ASSERT_TRUE(erased);
        EXPECT_EQ(erased->condition, kConditionPoor);
        EXPECT_TRUE(erased->doubtful);
        lastLba = erased->extents.LbaOf(900 / 512);
    }
    disk->Sector(lastLba)[511] = 0x41;
    // README.TXT's write date becomes 0 (no calendar date): kept, with its time unknown.
    const std::uint8_t name[11] = {'R', 'E', 'A', 'D', 'M', 'E', ' ', ' ', 'T', 'X', 'T'};
    std::uint8_t* slot = std::search(disk->Sector(0), disk->Sector(8192), name, name + 11);
    ASSERT_NE(slot, disk->Sector(8192));
    slot[24] = slot[25] = 0;
    Volume volume(*disk);
    FileEntry* erased = File(volume.root, u"_RASED.TXT");
    ASSERT_TRUE(erased);
    EXPECT_EQ(erased->condition, kConditionVeryPoor);
    // The live file in the same state keeps its rating: only deleted files are judged
    // by their slack.
    FileEntry* readme = File(volume.root, u"README.TXT");
    ASSERT_TRUE(readme);
    EXPECT_EQ(readme->condition, kConditionVeryGood);
    EXPECT_FALSE(readme->modifyTime.has_value());
    EXPECT_TRUE(readme->createTime.has_value());
}

// An odd slot (a deleted long-name part with attribute 0 instead of 0x0F) is passed over:
// the deleted file after it and the live files after that are listed.
TEST(FatFolderAnalysis, OddSlotIsPassedOverUpToTheEndMark) {
    auto memory = LoadImage("fat-odd-slot.sh");
    if (!memory)
        GTEST_SKIP() << "image tools missing";
    Volume volume(*memory);
    ASSERT_TRUE(volume.ok);
    ASSERT_TRUE(AnalyseCompletely(volume.root));
    std::vector<std::u16string> names;
    for (const auto& file : volume.root.Files())
        names.push_back(file->name + (file->deleted ? u"*" : u""));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"FILE1.TXT", u"FILE2.TXT", u"FILE3.TXT",
                                                  u"FILE4.TXT", u"_ONEFI~1.TXT*", u"FILE5.TXT",
                                                  u"FILE6.TXT", u"FILE7.TXT"}));
}
