// The directory index walk over hand-built folders.

#include "fs/ntfs/NtfsDirectory.h"

#include "NtfsTestData.h"
#include "fs/ntfs/NtfsVolume.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

ByteVector Entry(std::uint64_t record, const std::u16string& name, std::uint16_t flags = 0,
                 std::uint64_t vcn = 0) {
    return IndexEntryBytes(record | (1ull << 48), FileNameValueBytes(5, name), flags, vcn);
}

void Append(ByteVector& list, const ByteVector& entry) {
    list.insert(list.end(), entry.begin(), entry.end());
}

ByteVector FileRecordBytes(const std::u16string& name, std::uint8_t nameSpace = 1) {
    return RecordBuilder()
        .Resident(0x10, 0, StandardInformationBytes(126227808000000000ull, 0, 0))
        .Resident(0x30, 2, FileNameValueBytes(5, name, nameSpace))
        .Resident(0x80, 3, ByteVector(123, 'x'))
        .Build();
}

std::vector<std::u16string> Names(const std::vector<NtfsDirectoryEntry>& entries) {
    std::vector<std::u16string> names;
    for (const auto& e : entries)
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(NtfsDirectory, WalksRootAndBlocksOnceEachRecordAndEachBlock) {
    TestVolume image;
    image.PutRecord(0, image.MftSelfRecord(16));

    // The index block at VCN 0 leads to itself again, holds long entries so that one
    // crosses a stride end, and names record 30 a second time.
    ByteVector blockEntries;
    for (std::uint64_t i = 0; i < 6; ++i)
        Append(blockEntries, Entry(40 + i, u"long-name-number-" +
                                               std::u16string(1, static_cast<char16_t>(u'a' + i)) +
                                               u"-padding-padding-padding-padding"));
    Append(blockEntries, Entry(30, u"ALONGN~1.TXT", 0x01, 0)); // loops back to this block
    Append(blockEntries, Entry(0, {}, 0x02));
    image.PutCluster(80, IndexBlockBytes(0, blockEntries));

    ByteVector rootEntries;
    Append(rootEntries, Entry(5, u"."));
    Append(rootEntries, Entry(30, u"A long name.txt"));
    Append(rootEntries, Entry(31, u"folder"));
    Append(rootEntries, Entry(33, u"no-standard-information"));
    Append(rootEntries, Entry(34, u"record-that-is-not-there"));
    Append(rootEntries, IndexEntryBytes(0, {}, 0x03, 0)); // last, with the sub-node
    image.PutRecord(5, RecordBuilder(1024, 3)
                           .Resident(0x30, 1, FileNameValueBytes(5, u".", 3))
                           .Resident(0x90, 2, IndexRootValue(rootEntries, 4096, true), u"$I30")
                           .NonResident(0xA0, 3, EncodeRuns({{1, 80}}), 4096, 0, 0, u"$I30")
                           .Build());
    image.PutRecord(30, FileRecordBytes(u"A long name.txt"));
    image.PutRecord(31, RecordBuilder(1024, 3)
                            .Resident(0x10, 0, StandardInformationBytes(0, 0, 0))
                            .Resident(0x30, 1, FileNameValueBytes(5, u"folder"))
                            .Resident(0x90, 2, IndexRootValue(IndexEntryBytes(0, {}, 0x02)))
                            .Build());
    image.PutRecord(33, RecordBuilder()
                            .Resident(0x30, 1, FileNameValueBytes(5, u"no-standard-information"))
                            .Resident(0x80, 2, ByteVector(5, 1))
                            .Build());
    for (std::uint64_t i = 0; i < 6; ++i)
        image.PutRecord(
            40 + i,
            FileRecordBytes(u"block-file-" + std::u16string(1, static_cast<char16_t>(u'a' + i))));

    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    std::vector<NtfsDirectoryEntry> entries;
    ASSERT_TRUE(ListNtfsDirectory(volume, 5, &entries));
    EXPECT_EQ(Names(entries),
              (std::vector<std::u16string>{u"A long name.txt", u"block-file-a", u"block-file-b",
                                           u"block-file-c", u"block-file-d", u"block-file-e",
                                           u"block-file-f", u"folder"}));
    const auto file = std::find_if(entries.begin(), entries.end(),
                                   [](const auto& e) { return e.recordNumber == 30; });
    ASSERT_NE(file, entries.end());
    EXPECT_FALSE(file->isFolder);
    EXPECT_EQ(file->size, 123u);
    EXPECT_EQ(file->times.creation, 978307200);
    const auto folder = std::find_if(entries.begin(), entries.end(),
                                     [](const auto& e) { return e.recordNumber == 31; });
    ASSERT_NE(folder, entries.end());
    EXPECT_TRUE(folder->isFolder);

    // A folder without $INDEX_ROOT cannot be listed.
    entries.clear();
    EXPECT_FALSE(ListNtfsDirectory(volume, 30, &entries));
    EXPECT_FALSE(ListNtfsDirectory(volume, 60, &entries)); // an empty record
    // A root value shorter than its two headers cannot be walked either.
    image.PutRecord(61, RecordBuilder(1024, 3).Resident(0x90, 1, ByteVector(31, 0)).Build());
    NtfsVolume reopened;
    ASSERT_TRUE(image.Open(reopened));
    EXPECT_FALSE(ListNtfsDirectory(reopened, 61, &entries));
}

TEST(NtfsDirectory, IndexGeometryUsesClustersOrSectorUnits) {
    EXPECT_EQ(IndexGeometry(4096, 4096).vcnBytes, 4096u);
    EXPECT_EQ(IndexGeometry(4096, 512).vcnBytes, 512u);
    // Blocks smaller than a cluster are addressed in 512-byte units.
    EXPECT_EQ(IndexGeometry(4096, 65536).vcnBytes, 512u);
    EXPECT_EQ(IndexGeometry(0, 4096).blockSize, 4096u);
    EXPECT_EQ(IndexGeometry(3000, 4096).blockSize, 4096u);
}

TEST(NtfsDirectory, BlocksSmallerThanAClusterAreAddressedInSectorUnits) {
    // 8 KiB clusters, 4 KiB index blocks: the second block of the allocation is VCN 8.
    TestVolume image(512, 16, 128, 4);
    image.PutRecord(0, image.MftSelfRecord(4));
    ByteVector first;
    Append(first, Entry(20, u"in-first-block"));
    Append(first, IndexEntryBytes(0, {}, 0x02));
    ByteVector second;
    Append(second, Entry(21, u"in-second-block"));
    Append(second, IndexEntryBytes(0, {}, 0x02));
    image.PutCluster(40, IndexBlockBytes(0, first));
    image.PutBytes(40 * 8192 + 4096, IndexBlockBytes(8, second));
    ByteVector rootEntries;
    Append(rootEntries, Entry(22, u"a-in-root", 0x01, 0));
    Append(rootEntries, IndexEntryBytes(0, {}, 0x03, 8));
    image.PutRecord(5, RecordBuilder(1024, 3)
                           .Resident(0x30, 1, FileNameValueBytes(5, u".", 3))
                           .Resident(0x90, 2, IndexRootValue(rootEntries, 4096, true), u"$I30")
                           .NonResident(0xA0, 3, EncodeRuns({{1, 40}}), 8192, 0, 0, u"$I30")
                           .Build());
    for (std::uint64_t n : {20u, 21u, 22u})
        image.PutRecord(
            n, FileRecordBytes(u"file-" + std::u16string(1, static_cast<char16_t>(u'0' + n % 10))));
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    std::vector<NtfsDirectoryEntry> entries;
    ASSERT_TRUE(ListNtfsDirectory(volume, 5, &entries));
    EXPECT_EQ(Names(entries), (std::vector<std::u16string>{u"file-0", u"file-1", u"file-2"}));
}

// A folder's records are read in runs of neighbours: a run with an unreadable sector
// costs only the record there, and every listing reads the disk as it is then.
TEST(NtfsDirectory, NeighbouringRecordsLoseOnlyAnUnreadableOneAndAreReadAgainPerListing) {
    TestVolume image;
    image.PutRecord(0, image.MftSelfRecord(16));
    ByteVector rootEntries;
    for (char16_t c = u'a'; c <= u'd'; ++c)
        Append(rootEntries, Entry(40 + (c - u'a'), std::u16string(u"file-") + c));
    Append(rootEntries, IndexEntryBytes(0, {}, 0x02));
    image.PutRecord(5, RecordBuilder(1024, 3)
                           .Resident(0x30, 1, FileNameValueBytes(5, u".", 3))
                           .Resident(0x90, 2, IndexRootValue(rootEntries), u"$I30")
                           .Build());
    for (char16_t c = u'a'; c <= u'd'; ++c)
        image.PutRecord(40 + (c - u'a'), FileRecordBytes(std::u16string(u"file-") + c));
    FaultyDisk faulty(image.Disk());
    CDiskWindow window;
    NtfsVolume volume;
    ASSERT_TRUE(window.Open(&faulty, 0, 0) && volume.Open(window, 0));
    const std::uint64_t record41 =
        (image.MftCluster() * image.ClusterSize() + 41 * image.RecordSize()) / 512;
    faulty.MakeUnreadable(record41 + 1);
    std::vector<NtfsDirectoryEntry> entries;
    ASSERT_TRUE(ListNtfsDirectory(volume, 5, &entries));
    EXPECT_EQ(Names(entries), (std::vector<std::u16string>{u"file-a", u"file-c", u"file-d"}));

    faulty.MakeReadable(record41 + 1);
    image.PutRecord(42, FileRecordBytes(u"renamed"));
    entries.clear();
    ASSERT_TRUE(ListNtfsDirectory(volume, 5, &entries));
    EXPECT_EQ(Names(entries),
              (std::vector<std::u16string>{u"file-a", u"file-b", u"file-d", u"renamed"}));
}
