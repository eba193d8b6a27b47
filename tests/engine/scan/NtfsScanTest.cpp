#include "Fixtures.h"
#include "ScanTestSupport.h"
#include "engine/scan/MethodSelection.h"
#include "engine/scan/NtfsScanMethod.h"
#include "engine/tree/FileEntry.h"
#include "platform/Utf.h"

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
