#include "Fixtures.h"
#include "ScanTestSupport.h"
#include "engine/scan/MethodSelection.h"
#include "engine/scan/NtfsScanMethod.h"
#include "engine/tree/FileEntry.h"
#include "engine/volume/NtfsFolderNode.h"
#include "platform/Utf.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

constexpr std::size_t kSector = 512;

// The NTFS reader's 8 MiB fixture: folders docs/sub, 日本語フォルダ and packed, files in
// the root, and deleted.bin (pattern 9, 20 000 bytes) deleted last.
std::vector<std::uint8_t> NtfsImage() {
#ifdef VANTREL_NTFS_TOOL
    ::setenv("VANTREL_NTFS_TOOL", VANTREL_NTFS_TOOL, 1);
    if (!HaveTool("mkntfs") || !HaveTool("ntfscp"))
        return {};
    const auto path = BuildFixture("ntfs_volume.sh", "ntfs_volume.img");
    return path.empty() ? std::vector<std::uint8_t>{} : ReadImage(path);
#else
    return {};
#endif
}

std::vector<std::uint8_t> Pattern(unsigned seed, std::size_t size) {
    std::vector<std::uint8_t> v(size);
    for (std::size_t i = 0; i < size; ++i)
        v[i] = static_cast<std::uint8_t>(i * 31 + seed + (i >> 8));
    return v;
}

// Zeroes the boot sector and its copy in the volume's last sector.
void WipeBootSectors(std::vector<std::uint8_t>& volume) {
    std::fill_n(volume.begin(), kSector, std::uint8_t{0});
    std::fill(volume.end() - kSector, volume.end(), std::uint8_t{0});
}

class NtfsScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallScanMethods();
        image = NtfsImage();
        if (image.empty())
            GTEST_SKIP() << "NTFS fixture tools missing";
    }

    // Scans a disk whose volume starts `offset` sectors in, with its boot sectors gone.
    void ScanWithoutBootSector(std::size_t offset) {
        WipeBootSectors(image);
        std::vector<std::uint8_t> disk(offset * kSector, 0);
        disk.insert(disk.end(), image.begin(), image.end());
        auto scanned = DiskOver(std::move(disk));
        ASSERT_TRUE(scanned);
        ScanResultNode& node = scanned->node;
        EXPECT_EQ(DetectMethod(scanned->window, 0, node.RangeLength()), kMethodSignature);
        ASSERT_TRUE(node.SelectMethod(kMethodNtfs));
        EXPECT_EQ(ToUtf8(node.MethodName()), "NTFS方式");
        ASSERT_TRUE(RunSearch(node));
        const auto* method = dynamic_cast<NtfsScanMethod*>(node.Method());
        ASSERT_TRUE(method && method->Volume());
        EXPECT_EQ(method->Volume()->VolumeStart(), offset);
        EXPECT_EQ(method->Volume()->BytesPerCluster(), 4096u);
        ASSERT_TRUE(RunDetect(node));

        // A deleted record still carries its name, times and runs.
        FileEntry* deleted = FindFile(node, u"deleted.bin");
        ASSERT_TRUE(deleted);
        EXPECT_EQ(ReadWhole(*deleted), Pattern(9, 20000));
        EXPECT_TRUE(FindFolder(node, u"sub")); // found on its own before reconstruction
        EXPECT_TRUE(FindFile(node, u"file-001.txt"));

        ASSERT_TRUE(RunReconstruct(node));
        const ResultNode* docs = FindFolder(node, u"docs");
        ASSERT_TRUE(docs);
        EXPECT_FALSE(FindFolder(node, u"sub"));
        EXPECT_FALSE(FindFile(node, u"file-001.txt"));
        EXPECT_EQ(docs->FileCount(), 150u);
        const ResultNode* sub = FindFolder(*docs, u"sub");
        ASSERT_TRUE(sub);
        FileEntry* deep = FindFile(*sub, u"deep.bin");
        ASSERT_TRUE(deep);
        EXPECT_EQ(ReadWhole(*deep), Pattern(3, 9000));
        EXPECT_TRUE(FindFolder(node, u"日本語フォルダ"));
        EXPECT_FALSE(FindFolder(node, u".")); // the root's record is not a found folder
        FileEntry* binary = FindFile(node, u"binary.bin");
        ASSERT_TRUE(binary);
        EXPECT_EQ(ReadWhole(*binary), Pattern(7, 150000));
    }

    std::vector<std::uint8_t> image;
};

} // namespace

TEST_F(NtfsScanTest, AutomaticChoiceOnAnIntactVolumeUsesTheNtfsMethod) {
    auto scanned = DiskOver(image);
    ASSERT_TRUE(scanned);
    ASSERT_TRUE(scanned->node.SelectMethod(kMethodAutomatic));
    EXPECT_EQ(ToUtf8(scanned->node.MethodName()), "NTFS方式");
    ASSERT_TRUE(RunSearch(scanned->node));
    const auto* method = dynamic_cast<NtfsScanMethod*>(scanned->node.Method());
    ASSERT_TRUE(method && method->Volume());
    EXPECT_EQ(method->Volume()->VolumeStart(), 0u);
    EXPECT_TRUE(method->Volume()->IsMftMapped());
}

TEST_F(NtfsScanTest, VolumeWithoutBootSectorIsFoundThroughTheMftAtSectorZero) {
    ScanWithoutBootSector(0);
}

TEST_F(NtfsScanTest, VolumeWithoutBootSectorIsFoundThroughTheMftAtSector63) {
    ScanWithoutBootSector(63);
}

// A record that the read-ahead could not read whole is read again, not parsed with zeros
// for its lost sector: it is left out while that sector stays unreadable.
TEST_F(NtfsScanTest, RecordWithAnUnreadableSectorIsLeftOut) {
    auto scanned = DiskOver(image);
    ASSERT_TRUE(scanned);
    ASSERT_TRUE(scanned->node.SelectMethod(kMethodNtfs));
    ASSERT_TRUE(RunSearch(scanned->node) && RunDetect(scanned->node));
    const FileEntry* file = FindFile(scanned->node, u"file-001.txt");
    const auto* method = dynamic_cast<NtfsScanMethod*>(scanned->node.Method());
    ASSERT_TRUE(file && method && method->Volume());
    const std::uint64_t second = method->Volume()->RecordLba(file->key) + 1;

    FaultyDisk faulty(*scanned->disk);
    faulty.MakeUnreadable(second);
    CDiskWindow window;
    ScanResultNode node;
    ASSERT_TRUE(window.Open(&faulty, 0, 0) && node.SetUp(&window, 0, ~0ull));
    ASSERT_TRUE(node.SelectMethod(kMethodNtfs));
    ASSERT_TRUE(RunSearch(node) && RunDetect(node));
    EXPECT_FALSE(FindFile(node, u"file-001.txt"));
    EXPECT_TRUE(FindFile(node, u"file-002.txt"));
    EXPECT_EQ(node.BadSectors()->Lbas(), std::vector<std::uint64_t>{second});
}

// Records are parsed while the scan waits for its reads; a scan stopped just after
// meeting one still shows it.
TEST_F(NtfsScanTest, DetectionStoppedAfterARecordShowsIt) {
    auto whole = DiskOver(image);
    ASSERT_TRUE(whole && whole->node.SelectMethod(kMethodNtfs));
    ASSERT_TRUE(RunSearch(whole->node) && RunDetect(whole->node));
    const FileEntry* file = FindFile(whole->node, u"file-001.txt");
    const auto* method = dynamic_cast<NtfsScanMethod*>(whole->node.Method());
    ASSERT_TRUE(file && method && method->Volume());
    const std::uint64_t key = file->key;
    const std::uint64_t lba = method->Volume()->RecordLba(key);

    auto scanned = DiskOver(image);
    ASSERT_TRUE(scanned && scanned->node.SelectMethod(kMethodNtfs));
    ScanResultNode& node = scanned->node;
    ASSERT_TRUE(RunSearch(node));
    StepResult p = 0;
    do {
        p = node.DetectStep();
        ASSERT_NE(p, kStepFailed);
    } while (p <= lba);
    node.DetectStopped();
    EXPECT_TRUE(std::any_of(node.Files().begin(), node.Files().end(),
                            [&](const auto& found) { return found->key == key; }));
}

namespace {

// The names of a folder's files or sub-folders, "*" after deleted ones, in order.
template <typename List>
std::vector<std::u16string> Marked(const List& items) {
    std::vector<std::u16string> names;
    for (const auto& item : items) {
        if constexpr (std::is_same_v<typename List::value_type, std::unique_ptr<FileEntry>>)
            names.push_back(item->name + (item->deleted ? u"*" : u""));
        else
            names.push_back(item->Name() + (item->IsDeleted() ? u"*" : u""));
    }
    return names;
}

} // namespace

// Deleted records show in the folder their name points to, as existing folders and after
// a scan's rebuild; a scan calls them deleted and lists each once.
TEST(NtfsDeletedRecords, ShowUnderTheirFoldersInListingsAndAfterAScan) {
#ifdef VANTREL_NTFS_TOOL
    ::setenv("VANTREL_NTFS_TOOL", VANTREL_NTFS_TOOL, 1);
    const auto path = HaveTool("mkntfs") ? BuildFixture("ntfs-deleted.sh", "ntfs-deleted.img")
                                         : std::filesystem::path{};
#else
    const std::filesystem::path path;
#endif
    if (path.empty())
        GTEST_SKIP() << "NTFS fixture tools missing";
    InstallScanMethods();
    auto scanned = DiskOver(ReadImage(path));
    ASSERT_TRUE(scanned);
    const std::u16string folder = u"削除するフォルダ";
    const std::vector<std::u16string> gone = {u"消える一覧.txt*", u"小.txt*"};

    NtfsFolderNode root;
    ASSERT_TRUE(root.SetUpVolume(&scanned->window, 0));
    ASSERT_TRUE(AnalyseCompletely(root));
    ASSERT_TRUE(FindFile(root, u"photo.jpg"));
    EXPECT_TRUE(FindFile(root, u"photo.jpg")->deleted);
    auto* docs = const_cast<ResultNode*>(FindFolder(root, u"docs"));
    auto* removed = const_cast<ResultNode*>(FindFolder(root, folder));
    ASSERT_TRUE(docs && removed);
    EXPECT_FALSE(docs->IsDeleted());
    EXPECT_TRUE(removed->IsDeleted());
    ASSERT_TRUE(AnalyseCompletely(*docs));
    ASSERT_TRUE(AnalyseCompletely(*removed));
    EXPECT_EQ(Marked(docs->Files()), (std::vector<std::u16string>{u"keep.txt", u"random.bin*"}));
    EXPECT_EQ(Marked(removed->Files()), gone);
    std::string expected;
    while (expected.size() < 3000)
        expected += "random.bin contents\n";
    expected.resize(3000);
    const auto data = ReadWhole(*docs->File(1));
    EXPECT_EQ(std::string(data.begin(), data.end()), expected);

    ScanResultNode& node = scanned->node;
    ASSERT_TRUE(node.SelectMethod(kMethodNtfs));
    ASSERT_TRUE(RunSearch(node));
    ASSERT_TRUE(RunDetect(node));
    ASSERT_TRUE(RunReconstruct(node));
    ASSERT_TRUE(FindFile(node, u"photo.jpg"));
    EXPECT_TRUE(FindFile(node, u"photo.jpg")->deleted);
    for (const char16_t* inside : {u"random.bin", u"keep.txt", u"消える一覧.txt", u"小.txt"})
        EXPECT_FALSE(FindFile(node, inside)) << ToUtf8(inside) << " listed at the top";
    const ResultNode* foundDocs = FindFolder(node, u"docs");
    const ResultNode* foundRemoved = FindFolder(node, folder);
    ASSERT_TRUE(foundDocs && foundRemoved);
    EXPECT_EQ(Marked(foundDocs->Files()),
              (std::vector<std::u16string>{u"keep.txt", u"random.bin*"}));
    EXPECT_TRUE(foundRemoved->IsDeleted());
    EXPECT_EQ(Marked(foundRemoved->Files()), gone);
}
