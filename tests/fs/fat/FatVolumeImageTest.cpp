#include "Fixtures.h"
#include "MemoryDisk.h"
#include "device/HandleDisk.h"
#include "fs/fat/FatDirEntry.h"
#include "fs/fat/FatGeometry.h"
#include "fs/fat/FatShortName.h"
#include "fs/fat/FatTime.h"
#include "fs/fat/FatTreeWalk.h"
#include "fs/fat/FatVolume.h"
#include "platform/Utf.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

using namespace vantrel;
namespace fixtures = vantrel::testing;

namespace {

// What tests/fixtures/fat_common.sh put on the volume.
struct ManifestLine {
    std::string state;
    std::uint64_t size = 0;
    std::string tag;
    std::string path;
};

// The fixture's file content: lines "<tag> <8-digit number>\n" cut to size.
std::vector<std::uint8_t> ExpectedContent(const std::string& tag, std::uint64_t size) {
    std::vector<std::uint8_t> out;
    char line[64];
    for (int k = 0; out.size() < size; ++k) {
        const int n = std::snprintf(line, sizeof line, "%s %08d\n", tag.c_str(), k);
        for (int i = 0; i < n && out.size() < size; ++i)
            out.push_back(static_cast<std::uint8_t>(line[i]));
    }
    return out;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::stringstream in(path);
    for (std::string part; std::getline(in, part, '/');)
        parts.push_back(part);
    return parts;
}

struct ImageCase {
    const char* name;
    const char* script;
    const char* image;
    FatType type;
    // 0: read the image file through CHandleDisk. Otherwise a memory disk with sectors of
    // this size holding the image at volumeLba.
    std::uint32_t memorySectorSize = 0;
    std::uint64_t volumeLba = 0;
};

void PrintTo(const ImageCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<std::uint8_t> LoadFile(const std::filesystem::path& path, std::size_t lead) {
    std::vector<std::uint8_t> bytes(lead, 0);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return {};
    std::uint8_t chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return bytes;
}

class FatImage : public ::testing::TestWithParam<ImageCase> {
protected:
    void SetUp() override {
        if (!fixtures::HaveTool("mkfs.fat") || !fixtures::HaveTool("mcopy"))
            GTEST_SKIP() << "mkfs.fat and mtools are needed to build the FAT images";
        const auto path = fixtures::BuildFixture(GetParam().script, GetParam().image);
        ASSERT_FALSE(path.empty()) << "fixture script failed: " << GetParam().script;
        const ImageCase& c = GetParam();
        CDiskDevice* device = &disk;
        if (c.memorySectorSize == 0) {
            ASSERT_TRUE(disk.Open(path.string()));
        } else {
            auto bytes = LoadFile(path, c.volumeLba * c.memorySectorSize);
            ASSERT_FALSE(bytes.empty());
            memory = std::make_unique<fixtures::MemoryDisk>(std::move(bytes), c.memorySectorSize);
            device = memory.get();
        }
        ASSERT_TRUE(window.Open(device, 0, 0));
        ASSERT_TRUE(volume.Open(window, c.volumeLba));
    }

    // The entry named `name` in entries, live or deleted as asked.
    static const FatDirEntry* Find(const std::vector<FatDirEntry>& entries, const std::string& name,
                                   bool deleted) {
        for (const FatDirEntry& entry : entries) {
            std::u16string shown;
            if (IsDeleted(entry) == deleted && FatDisplayName(entry, &shown) &&
                ToUtf8(shown) == name)
                return &entry;
        }
        return nullptr;
    }

    // Walks a manifest path from the root. Folders on the way may be deleted ones (the
    // files of a deleted folder); the last part must be deleted exactly when asked.
    bool Resolve(const std::string& path, bool deleted, FatDirEntry* out) {
        std::vector<FatDirEntry> entries;
        if (!volume.ListRoot(&entries))
            return false;
        const auto parts = SplitPath(path);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const bool last = i + 1 == parts.size();
            const FatDirEntry* found = Find(entries, parts[i], last && deleted);
            if (!found && !last)
                found = Find(entries, parts[i], true);
            if (!found)
                return false;
            *out = *found;
            if (!last && (!IsDirectory(*found) || !volume.ListDirectory(*found, &entries)))
                return false;
        }
        return true;
    }

    std::vector<ManifestLine> Manifest() {
        FatDirEntry entry;
        std::vector<std::uint8_t> data;
        EXPECT_TRUE(Resolve("MANIFEST.TXT", false, &entry));
        EXPECT_TRUE(volume.ReadFile(entry, &data));
        std::vector<ManifestLine> lines;
        std::stringstream in(std::string(data.begin(), data.end()));
        for (std::string text; std::getline(in, text);) {
            ManifestLine line;
            std::stringstream fields(text);
            fields >> line.state >> line.size >> line.tag >> std::ws;
            std::getline(fields, line.path);
            lines.push_back(line);
        }
        return lines;
    }

    CHandleDisk disk;
    std::unique_ptr<fixtures::MemoryDisk> memory;
    CDiskWindow window;
    FatVolume volume;
};

} // namespace

TEST_P(FatImage, VolumeIsRecognisedWithItsLabel) {
    const FatBootRecord& record = volume.Record();
    EXPECT_EQ(record.fatType, GetParam().type);
    EXPECT_EQ(record.hiddenSectors, GetParam().volumeLba);
    EXPECT_EQ(volume.BootLabel(), u"VANTREL");
    std::vector<FatDirEntry> root;
    ASSERT_TRUE(volume.ListRoot(&root));
    ASSERT_FALSE(root.empty());
    EXPECT_TRUE(IsVolumeLabel(root[0]));
    EXPECT_NE(EntryTimes(root[1]).modifyTime, kUnknownFatTime);
}

TEST_P(FatImage, EveryFileReadsBackAsWritten) {
    const auto manifest = Manifest();
    ASSERT_GE(manifest.size(), 15u);
    for (const ManifestLine& line : manifest) {
        SCOPED_TRACE(line.state + " " + line.path);
        const bool deleted = line.state.starts_with("deleted");
        FatDirEntry entry;
        ASSERT_TRUE(Resolve(line.path, deleted, &entry));
        FatExtents extents;
        ASSERT_TRUE(volume.Extents(entry, &extents));
        if (line.state.ends_with("dir")) {
            EXPECT_TRUE(IsDirectory(entry));
            std::vector<FatDirEntry> children;
            EXPECT_TRUE(volume.ListDirectory(entry, &children));
            ASSERT_GE(children.size(), 2u);
            EXPECT_TRUE(IsDotEntry(children[0]));
            continue;
        }
        EXPECT_TRUE(IsFileEntry(entry));
        EXPECT_EQ(entry.fileSize, line.size);
        std::vector<std::uint8_t> data;
        ASSERT_TRUE(volume.ReadFile(entry, &data));
        EXPECT_TRUE(data == ExpectedContent(line.tag, line.size));
        if (deleted) {
            // mtools frees the chain of what it deletes: the data is found by the
            // contiguous reconstruction.
            EXPECT_TRUE(extents.reconstructed);
        } else {
            EXPECT_FALSE(extents.doubtful);
        }
        if (line.state == "fragmented") {
            EXPECT_GT(extents.runs.size(), 1u);
        }
        if (line.state == "sjis") {
            EXPECT_FALSE(entry.longName); // the name came from the Shift-JIS short name
        }
    }
}

TEST_P(FatImage, TreeWalkFindsEveryFolderAndFile) {
    std::vector<std::string> folders;
    std::size_t files = 0;
    ASSERT_TRUE(WalkFatTree(volume, [&](const FatTreeItem& item) {
        EXPECT_FALSE(item.notEntered) << ToUtf8(item.path);
        if (IsDirectory(item.entry))
            folders.push_back(ToUtf8(item.path));
        else
            ++files;
        return true;
    }));
    EXPECT_EQ(folders, (std::vector<std::string>{"資料", "日本語のフォルダ", "Old Folder",
                                                 "日本語のフォルダ/Sub Folder",
                                                 "日本語のフォルダ/Sub Folder/深い階層"}));
    EXPECT_GE(files, 15u);
}

INSTANTIATE_TEST_SUITE_P(
    Images, FatImage,
    ::testing::Values(
        ImageCase{"fat12", "fat12_volume.sh", "fat12.img", kFat12},
        ImageCase{"fat16", "fat16_volume.sh", "fat16.img", kFat16},
        ImageCase{"fat32", "fat32_volume.sh", "fat32.img", kFat32},
        // 4096-byte volume sectors over 512-byte device sectors, and over
        // a device with 4096-byte sectors.
        ImageCase{"fat12_4k", "fat12_4k_volume.sh", "fat12_4k.img", kFat12},
        ImageCase{"fat12_4k_on_4kn", "fat12_4k_volume.sh", "fat12_4k.img", kFat12, 4096},
        // A volume that starts inside a disk: every LBA is window-relative.
        ImageCase{"fat12_at_lba_63", "fat12_volume.sh", "fat12.img", kFat12, 512, 63}),
    [](const auto& param) { return std::string(param.param.name); });
