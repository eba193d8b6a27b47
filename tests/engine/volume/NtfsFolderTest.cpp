// NTFS folders and files through the result tree on the reader's fixture volume
// (tests/fixtures/ntfs_volume.sh): nested folders, a large index, Japanese names, and
// compressed, sparse and resident data read through FileEntry::ReadNext.

#include "Fixtures.h"
#include "MemoryDisk.h"
#include "TreeLookup.h"
#include "engine/tree/FileCondition.h"
#include "engine/volume/NtfsFolderNode.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

std::unique_ptr<MemoryDisk> LoadVolume() {
#ifdef VANTREL_NTFS_TOOL
    if (!HaveTool("mkntfs") || !HaveTool("ntfscp") || !HaveTool("perl"))
        return nullptr;
    ::setenv("VANTREL_NTFS_TOOL", VANTREL_NTFS_TOOL, 1);
    const auto path = BuildFixture("ntfs_volume.sh", "ntfs-volume-v1.img");
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "ntfs_volume.sh did not build";
        return nullptr;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    return std::make_unique<MemoryDisk>(std::move(bytes), 512);
#else
    return nullptr;
#endif
}

std::string ReadAll(FileEntry& file) {
    std::string data(static_cast<std::size_t>(file.size), '\0');
    file.readPosition = 0;
    if (!data.empty() && !file.ReadNext(data.data(), data.size()))
        return "<read failed>";
    return data;
}

std::string Pattern(int seed, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + static_cast<std::size_t>(seed) + (i >> 8)) & 255);
    return bytes;
}

} // namespace

TEST(NtfsFolders, NestedFoldersLargeIndexesAndEveryKindOfData) {
    auto disk = LoadVolume();
    if (!disk)
        GTEST_SKIP() << "NTFS fixture tool or mkntfs missing";
    CDiskWindow window;
    ASSERT_TRUE(window.Open(disk.get(), 0, 0));
    NtfsFolderNode root;
    ASSERT_TRUE(root.SetUpVolume(&window, 0));
    EXPECT_EQ(root.Name(), u"既存のフォルダ[vantrel]");
    EXPECT_EQ(root.Key(), kNtfsRootRecord);
    ASSERT_TRUE(AnalyseCompletely(root));
    // An index of security descriptors is no folder: its analysis could only fail.
    EXPECT_EQ(Child(root, u"$Secure"), nullptr);
    EXPECT_NE(File(root, u"$Secure"), nullptr);

    FileEntry* small = File(root, u"small.txt");
    ASSERT_TRUE(small);
    EXPECT_TRUE(small->residentData.has_value());
    EXPECT_EQ(ReadAll(*small), "hello, resident world\n");
    EXPECT_EQ(small->condition, kConditionNtfs);
    EXPECT_NE(small->Key(), 0u) << "keyed by its record number";

    FileEntry* binary = File(root, u"binary.bin");
    ASSERT_TRUE(binary);
    EXPECT_TRUE(ReadAll(*binary) == Pattern(7, 150000));

    // Sparse: the hole reads as zeros from the extent list itself.
    FileEntry* holey = File(root, u"holey.bin");
    ASSERT_TRUE(holey);
    EXPECT_TRUE(ReadAll(*holey) == std::string(300000, '\0') + "after the hole\n");

    ResultNode* docs = Child(root, u"docs");
    ASSERT_TRUE(docs);
    AnalyseCompletely(*docs);
    EXPECT_EQ(docs->FileCount(), 150u) << "entries of every index block";
    FileEntry* file77 = File(*docs, u"file-077.txt");
    ASSERT_TRUE(file77);
    EXPECT_EQ(ReadAll(*file77), "contents of file 077\n");
    ResultNode* sub = Child(*docs, u"sub");
    ASSERT_TRUE(sub);
    FileEntry* deep = File(*sub, u"deep.bin");
    ASSERT_TRUE(deep);
    EXPECT_TRUE(ReadAll(*deep) == Pattern(3, 9000));

    ResultNode* japanese = Child(root, u"日本語フォルダ");
    ASSERT_TRUE(japanese);
    FileEntry* jp = File(*japanese, u"ファイル.txt");
    ASSERT_TRUE(jp);
    EXPECT_EQ(ReadAll(*jp), "japanese\n");

    // Compressed data is decompressed when read, also in pieces at odd positions.
    ResultNode* packed = Child(root, u"packed");
    ASSERT_TRUE(packed);
    FileEntry* text = File(*packed, u"text.txt");
    ASSERT_TRUE(text);
    std::string expected;
    for (int i = 1; i <= 8000; ++i)
        expected += "line " + std::to_string(i) + " of compressible text\n";
    EXPECT_TRUE(ReadAll(*text) == expected);
    std::string piece(100, '\0');
    text->readPosition = 70001;
    ASSERT_TRUE(text->ReadNext(piece.data(), piece.size()));
    EXPECT_EQ(piece, expected.substr(70001, 100));
    FileEntry* noise = File(*packed, u"noise.bin");
    ASSERT_TRUE(noise);
    std::string noiseBytes;
    std::uint64_t x = 5;
    for (int i = 0; i < 70000; ++i) {
        x = (x * 1103515245 + 12345) % 2147483648;
        noiseBytes += static_cast<char>((x >> 16) & 255);
    }
    EXPECT_TRUE(ReadAll(*noise) == noiseBytes);

    // Gone from the index, found by its record's name.
    FileEntry* deleted = File(root, u"deleted.bin");
    ASSERT_TRUE(deleted);
    EXPECT_TRUE(deleted->deleted);
    EXPECT_TRUE(ReadAll(*deleted) == Pattern(9, 20000));
}
