// Pure parsers over hand-built buffers: boot sector, update sequences, run lists,
// attribute walks, names, times and index structures.

#include "NtfsTestData.h"
#include "fs/ntfs/NtfsAttributeHeader.h"
#include "fs/ntfs/NtfsBootSector.h"
#include "fs/ntfs/NtfsFileName.h"
#include "fs/ntfs/NtfsFixups.h"
#include "fs/ntfs/NtfsIndexBlock.h"
#include "fs/ntfs/NtfsMftSelfRecord.h"
#include "fs/ntfs/NtfsRunList.h"
#include "fs/ntfs/NtfsTime.h"
#include "platform/ByteReader.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

ByteVector BootSector() {
    TestVolume volume;
    const auto& image = volume.Disk().Bytes();
    return ByteVector(image.begin(), image.begin() + 512);
}

} // namespace

TEST(NtfsBootSector, AcceptsOnlyCompleteSectorsWithNameSizesAndSignature) {
    ByteVector boot = BootSector();
    EXPECT_TRUE(IsNtfsBootSector(boot, 512));
    EXPECT_FALSE(IsNtfsBootSector(boot, 511));
    EXPECT_FALSE(IsNtfsBootSector(Bytes(boot).first(511), 512));
    NtfsBootRecord record;
    ASSERT_TRUE(ParseNtfsBootRecord(boot, &record));
    EXPECT_EQ(record.bytesPerSector, 512);
    EXPECT_EQ(record.sectorsPerCluster, 8);
    EXPECT_EQ(record.mftCluster, 4u);
    EXPECT_EQ(record.clustersPerRecord, -10);
    EXPECT_EQ(record.media, 0xF8);

    for (auto breakIt :
         {+[](ByteVector& b) { b[3] = 'M'; }, +[](ByteVector& b) { b[11] = b[12] = 0; },
          +[](ByteVector& b) { b[13] = 0; }, +[](ByteVector& b) { b[511] = 0; }}) {
        ByteVector bad = boot;
        breakIt(bad);
        EXPECT_FALSE(IsNtfsBootSector(bad, 512));
    }
    boot[0] = 0; // the jump is not tested
    EXPECT_TRUE(IsNtfsBootSector(boot, 512));
}

TEST(NtfsFixups, RestoresEveryStrideAndCountsTornOnes) {
    // A 2048-byte record carries five words: the stride is 512 whatever the sector size.
    ByteVector block = RecordBuilder(2048).Build(0x1234);
    for (std::size_t end = 510; end < 2048; end += 512)
        EXPECT_EQ(ByteReader(block).U16(end), 0x1234);
    block[1022] = 0x55; // torn write in the second stride
    FixupResult result;
    ASSERT_TRUE(ApplyFixups(block, 48, 5, &result));
    EXPECT_EQ(result.applied, 3u);
    EXPECT_EQ(result.mismatched, 1u);
    EXPECT_EQ(ByteReader(block).U16(510), 0); // the original word
    EXPECT_EQ(block[1022], 0x55);             // left as read

    // An array that does not fit is refused; strides past the block are ignored.
    ByteVector small(600, 0);
    EXPECT_FALSE(ApplyFixups(small, 596, 3));
    EXPECT_TRUE(ApplyFixups(small, 48, 9));
}

TEST(NtfsRunList, DecodesWidthsSparseRunsAndNegativeDeltas) {
    const ByteVector list = EncodeRuns({{16, 0x1000}, {4, 0, true}, {8, -0x800}, {2, 0x10}});
    const auto runs = DecodeRunList(list, 0);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].lcn, 0x1000);
    EXPECT_TRUE(runs[1].sparse);
    EXPECT_EQ(runs[1].vcn, 16u);
    EXPECT_EQ(runs[2].lcn, 0x800); // backwards from the previous real run
    EXPECT_EQ(runs[2].vcn, 20u);
    EXPECT_EQ(runs[3].lcn, 0x810);
    EXPECT_EQ(RunListClusters(runs), 30u);

    // The run that reaches the limit is kept, the rest is not decoded.
    EXPECT_EQ(DecodeRunList(list, 17).size(), 2u);
    EXPECT_EQ(DecodeRunList(list, 16).size(), 1u);

    // A 3-byte delta with its top bit set is negative: 0xFFFF00 = -256.
    const ByteVector threeByte = {0x21, 0x01, 0x00, 0x10, 0x31, 0x01, 0x00, 0xFF, 0xFF, 0x00};
    const auto back = DecodeRunList(threeByte, 0);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].lcn, 0x1000 - 256);
}

TEST(NtfsRunList, StopsAtDamage) {
    // Truncated run, width above 8, and an LCN that would go below cluster 0.
    EXPECT_TRUE(DecodeRunList(ByteVector{0x21, 0x10, 0x00}, 0).empty());
    EXPECT_TRUE(DecodeRunList(ByteVector{0x19, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}, 0).empty());
    const ByteVector below = EncodeRuns({{4, 10}, {4, -11}, {4, 5}});
    EXPECT_EQ(DecodeRunList(below, 0).size(), 1u);
    // No end marker: decoding ends with the buffer.
    ByteVector open = EncodeRuns({{4, 10}});
    open.pop_back();
    EXPECT_EQ(DecodeRunList(open, 0).size(), 1u);
}

TEST(NtfsAttributeWalk, SplitsRecordInOrderAndStopsAtBadLengths) {
    ByteVector record = RecordBuilder()
                            .Resident(0x10, 0, StandardInformationBytes(1, 2, 3))
                            .Resident(0x30, 2, FileNameValueBytes(5, u"a.txt"))
                            .Build();
    ASSERT_TRUE(ApplyFixups(record, 48, 3));
    const std::uint16_t offset = ByteReader(record).U16(20);
    auto pieces = SplitAttributes(record, offset);
    ASSERT_EQ(pieces.size(), 2u);
    AttributeHeader header;
    ASSERT_TRUE(ParseAttributeHeader(pieces[1], &header));
    EXPECT_EQ(header.type, 0x30u);
    EXPECT_EQ(header.attributeId, 2);

    // A length running past the record ends the walk before that attribute; a zero
    // length ends it too.
    PutLe(record, offset + 4, 0x10000, 4);
    EXPECT_TRUE(SplitAttributes(record, offset).empty());
    PutLe(record, offset + 4, 0, 4);
    EXPECT_TRUE(SplitAttributes(record, offset).empty());
    EXPECT_TRUE(SplitAttributes(record, record.size() - 2).empty());

    // A resident value that points outside its attribute has no value.
    ByteVector attribute(24, 0);
    PutLe(attribute, 4, 24, 4);
    PutLe(attribute, 16, 0xFFFFFFF0, 4);
    PutLe(attribute, 20, 24, 2);
    ASSERT_TRUE(ParseAttributeHeader(attribute, &header));
    Bytes value;
    EXPECT_FALSE(ResidentValue(attribute, header, &value));
    attribute[8] = 1; // non-resident needs 64 bytes
    EXPECT_FALSE(ParseAttributeHeader(attribute, &header));
}

TEST(NtfsFileName, ValidityNeedsANameThatFits) {
    ByteVector value = FileNameValueBytes(0x0002000000000005ull, u"report.doc", 1);
    EXPECT_TRUE(IsValidFileName(value));
    FileNameValue name;
    ASSERT_TRUE(ParseFileNameValue(value, &name));
    EXPECT_EQ(name.name, u"report.doc");
    EXPECT_EQ(name.parentReference & 0xFFFFFFFFFFFFull, 5u);
    value.pop_back();
    EXPECT_FALSE(IsValidFileName(value));
    EXPECT_FALSE(IsValidFileName(FileNameValueBytes(5, u"")));
}

TEST(NtfsTime, SixtyFourBitSecondsAndUnknownInsteadOfGarbage) {
    // 2001-01-01T00:00:00Z.
    EXPECT_EQ(NtfsTimeToEpoch(126227808000000000ull), 978307200);
    // 2100-01-01T00:00:00Z lies past the 32-bit range.
    EXPECT_EQ(NtfsTimeToEpoch(157469184000000000ull), 4102444800ll);
    // Before 1970 is a real time, negative seconds.
    EXPECT_EQ(NtfsTimeToEpoch(116444736000000000ull - 10000000ull), -1);
    EXPECT_FALSE(NtfsTimeToEpoch(0).has_value());
    EXPECT_FALSE(NtfsTimeToEpoch(0x8000000000000000ull).has_value());
}

TEST(NtfsIndex, EntriesStopAtLastAndAtDamage) {
    ByteVector entries = IndexEntryBytes(64, FileNameValueBytes(5, u"a"), 0);
    const ByteVector second = IndexEntryBytes(65, FileNameValueBytes(5, u"b"), 0x01, 7);
    const ByteVector last = IndexEntryBytes(0, {}, 0x03, 9);
    entries.insert(entries.end(), second.begin(), second.end());
    entries.insert(entries.end(), last.begin(), last.end());
    entries.resize(entries.size() + 64, 0xEE); // stale bytes after the end
    auto list = SplitIndexEntries(entries);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].subNodeVcn, 7u);
    EXPECT_TRUE(list[2].IsLast());
    EXPECT_TRUE(list[2].key.empty());
    EXPECT_EQ(list[2].subNodeVcn, 9u);

    // A key longer than its entry, or a sub-node flag without room for the VCN, ends the
    // list at that entry.
    ByteVector badKey = entries;
    PutLe(badKey, 10, 0x400, 2);
    EXPECT_TRUE(SplitIndexEntries(badKey).empty());
    ByteVector noVcn = IndexEntryBytes(64, FileNameValueBytes(5, u"a"), 0);
    PutLe(noVcn, 12, 0x01, 2);
    PutLe(noVcn, 10, noVcn.size() - 16, 2);
    EXPECT_TRUE(SplitIndexEntries(noVcn).empty());
}

TEST(NtfsIndex, IndexBlockFixupsAreAppliedBeforeEntriesAreRead) {
    // Pad the first entries so that the third one crosses the first stride end at 510.
    ByteVector entries;
    for (const char16_t* name :
         {u"first-entry-with-a-long-name-to-fill-space-0123456789",
          u"second-entry-with-a-long-name-to-fill-space-0123456789",
          u"third-entry-with-a-long-name-to-fill-space-0123456789-xyz", u"fourth"}) {
        const ByteVector e = IndexEntryBytes(70, FileNameValueBytes(5, name), 0);
        entries.insert(entries.end(), e.begin(), e.end());
    }
    const ByteVector last = IndexEntryBytes(0, {}, 0x02);
    entries.insert(entries.end(), last.begin(), last.end());
    ByteVector block = IndexBlockBytes(0, entries, 4096, 0xABCD);
    ASSERT_TRUE(IsIndexBlock(block));
    IndexBlockHeader header;
    Bytes area;
    FixupResult fixups;
    ASSERT_TRUE(ParseIndexBlock(block, &header, &area, &fixups));
    EXPECT_EQ(fixups.applied, 8u);
    const auto list = SplitIndexEntries(area);
    ASSERT_EQ(list.size(), 5u);
    FileNameValue third;
    ASSERT_TRUE(ParseFileNameValue(list[2].key, &third));
    EXPECT_EQ(third.name, u"third-entry-with-a-long-name-to-fill-space-0123456789-xyz");

    EXPECT_FALSE(IsIndexBlock(Bytes(block).first(55)));
    ByteVector outside = IndexBlockBytes(0, entries, 1024);
    PutLe(outside, 24, 0x7FFFFFF0, 4);
    EXPECT_FALSE(ParseIndexBlock(outside, &header, &area));
}

TEST(NtfsMftSelfRecord, FindsTheMftByItsOwnName) {
    TestVolume volume;
    EXPECT_TRUE(IsMftSelfRecord(volume.MftSelfRecord(16)));
    const ByteVector other = RecordBuilder()
                                 .Resident(0x30, 1, FileNameValueBytes(5, u"$MFTMirr"))
                                 .Resident(0x30, 2, FileNameValueBytes(5, u"$MFT"))
                                 .Build();
    EXPECT_TRUE(IsMftSelfRecord(other)); // any $FILE_NAME in record order
    const ByteVector broken = RecordBuilder()
                                  .Resident(0x30, 1, ByteVector(10, 0))
                                  .Resident(0x30, 2, FileNameValueBytes(5, u"$MFT"))
                                  .Build();
    EXPECT_FALSE(IsMftSelfRecord(broken)); // a value that does not fit ends the walk
    EXPECT_FALSE(IsMftSelfRecord(Bytes(volume.MftSelfRecord(16)).first(47)));
}
