// Records, attributes and data reads through small hand-built volumes.

#include "fs/ntfs/MftRecord.h"

#include "NtfsTestData.h"
#include "fs/ntfs/NtfsVolume.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

ByteVector Pattern(std::size_t size, std::uint8_t seed) {
    ByteVector v(size);
    for (std::size_t i = 0; i < size; ++i)
        v[i] = static_cast<std::uint8_t>(seed + i * 13 + (i >> 9));
    return v;
}

ByteVector ReadAll(MftRecord& record, const NtfsAttribute& attribute) {
    ByteVector out(static_cast<std::size_t>(attribute.size));
    EXPECT_TRUE(record.ReadAttributeData(attribute, 0, out.size(), out.data()));
    return out;
}

RecordBuilder FileRecord(const std::u16string& name, std::uint32_t recordSize = 1024) {
    RecordBuilder builder(recordSize);
    builder.Resident(0x10, 0, StandardInformationBytes(126227808000000000ull, 0, 0))
        .Resident(0x30, 2, FileNameValueBytes(5, name));
    return builder;
}

} // namespace

TEST(NtfsVolume, GeometryFollowsTheBootSector) {
    TestVolume image(512, 8, 256, 4);
    image.PutRecord(0, image.MftSelfRecord(16));
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    EXPECT_EQ(volume.RecordSize(), 1024u);
    EXPECT_EQ(volume.SectorsPerRecord(), 2u);
    EXPECT_EQ(volume.BytesPerCluster(), 4096u);
    EXPECT_EQ(volume.ClusterToLba(10), 80u);
    EXPECT_EQ(volume.LbaToCluster(87), 10u);
    EXPECT_EQ(volume.RecordLba(3), 32u + 6u);
    EXPECT_EQ(volume.LbaToRecordNumber(39), 3u);
    EXPECT_EQ(volume.LbaToRecordNumber(5), 0u); // before the MFT
    EXPECT_TRUE(volume.IsMftMapped());
    EXPECT_EQ(volume.MappedRecordCount(), 64u);

    // A cluster size byte above 0x80 is a power of two: 0xF4 = 2^12 sectors.
    EXPECT_EQ(NtfsClusterSectors(0xF4), 4096u);
    EXPECT_EQ(NtfsClusterSectors(8), 8u);
}

TEST(MftRecord, TornFixupStillLoadsAndIntactStridesAreRestored) {
    TestVolume image;
    image.PutRecord(0, image.MftSelfRecord(16));
    // A value that spans the first stride end, so the fixup is visible in the data.
    const ByteVector payload = Pattern(700, 1);
    ByteVector record = FileRecord(u"torn.bin").Resident(0x80, 3, payload).Build(0x4242);
    record[1022] ^= 0xFF; // the second stride was not written completely
    image.PutRecord(20, record);
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    MftRecord file;
    ASSERT_TRUE(file.Load(volume, 20));
    EXPECT_EQ(file.Fixups().applied, 1u);
    EXPECT_EQ(file.Fixups().mismatched, 1u);
    EXPECT_EQ(file.FileName(), u"torn.bin");
    const NtfsAttribute* data = file.DataAttribute();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(ReadAll(file, *data), payload);
}

TEST(MftRecord, DataRunsWithSparseGapsAndNegativeDeltasReadInOrder) {
    TestVolume image;
    image.PutRecord(0, image.MftSelfRecord(16));
    const ByteVector first = Pattern(4096, 10);
    const ByteVector last = Pattern(4096, 99);
    image.PutCluster(100, first);
    image.PutCluster(50, last);
    const std::uint64_t size = 4 * 4096 - 100;
    image.PutRecord(21,
                    FileRecord(u"holes.bin")
                        .NonResident(0x80, 3, EncodeRuns({{1, 100}, {2, 0, true}, {1, -50}}), size)
                        .Build());
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    MftRecord file;
    ASSERT_TRUE(file.Load(volume, 21));
    const NtfsAttribute& data = *file.DataAttribute();
    EXPECT_EQ(data.size, size);
    ASSERT_EQ(data.extents.size(), 3u);
    EXPECT_EQ(data.extents[0].lba, 800u);
    EXPECT_TRUE(data.extents[1].IsSparse());
    EXPECT_EQ(data.extents[1].sectors, 16u);
    EXPECT_EQ(data.extents[2].lba, 400u);

    ByteVector expected = first;
    expected.resize(3 * 4096, 0);
    expected.insert(expected.end(), last.begin(), last.end() - 100);
    EXPECT_EQ(ReadAll(file, data), expected);

    // An unaligned piece across the sparse gap and into the last run.
    ByteVector piece(5000);
    ASSERT_TRUE(file.ReadAttributeData(data, 2 * 4096 + 1000, piece.size(), piece.data()));
    EXPECT_TRUE(std::equal(piece.begin(), piece.end(), expected.begin() + 2 * 4096 + 1000));
    // One byte past the size fails.
    EXPECT_FALSE(file.ReadAttributeData(data, size - 10, 11, piece.data()));
    EXPECT_FALSE(file.ReadAttributeData(data, ~0ull, 2, piece.data()));
}

TEST(MftRecord, RunListsLongerOrShorterThanTheDataSize) {
    TestVolume image;
    image.PutRecord(0, image.MftSelfRecord(16));
    // Three runs but only 5000 bytes: decoding stops at the second run (it reaches
    // 5000), the third is never looked at.
    image.PutRecord(22, FileRecord(u"long")
                            .NonResident(0x80, 3, EncodeRuns({{1, 30}, {1, 10}, {1, 10}}), 5000)
                            .Build());
    // One run of two clusters for 20000 bytes: the size shrinks to what the runs hold.
    image.PutRecord(
        23, FileRecord(u"short").NonResident(0x80, 3, EncodeRuns({{2, 60}}), 20000).Build());
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    MftRecord longer;
    ASSERT_TRUE(longer.Load(volume, 22));
    EXPECT_EQ(longer.DataAttribute()->runs.size(), 2u);
    EXPECT_EQ(longer.DataAttribute()->size, 5000u);
    MftRecord shorter;
    ASSERT_TRUE(shorter.Load(volume, 23));
    EXPECT_EQ(shorter.DataAttribute()->size, 8192u);
    ByteVector buffer(8193);
    EXPECT_TRUE(shorter.ReadAttributeData(*shorter.DataAttribute(), 0, 8192, buffer.data()));
    EXPECT_FALSE(shorter.ReadAttributeData(*shorter.DataAttribute(), 0, 8193, buffer.data()));
}

TEST(MftRecord, NameComesFromTheLowestAttributeIdAndAttributesAreFoundById) {
    TestVolume image;
    image.PutRecord(0, image.MftSelfRecord(16));
    image.PutRecord(24, RecordBuilder()
                            .Resident(0x10, 0, StandardInformationBytes(0, 0, 0))
                            .Resident(0x30, 5, FileNameValueBytes(5, u"A long name.txt", 1))
                            .Resident(0x30, 3, FileNameValueBytes(5, u"ALONGN~1.TXT", 2))
                            .Resident(0x80, 7, ByteVector{1, 2, 3}, u"stream")
                            .Resident(0x80, 9, ByteVector{4, 5})
                            .Build());
    image.PutRecord(25, RecordBuilder()
                            .Resident(0x30, 2, FileNameValueBytes(5, u"A long name.txt", 1))
                            .Resident(0x30, 4, FileNameValueBytes(5, u"ALONGN~1.TXT", 2))
                            .Build());
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    MftRecord dosFirst;
    ASSERT_TRUE(dosFirst.Load(volume, 24));
    EXPECT_EQ(dosFirst.FileName(), u"ALONGN~1.TXT");
    MftRecord win32First;
    ASSERT_TRUE(win32First.Load(volume, 25));
    EXPECT_EQ(win32First.FileName(), u"A long name.txt");

    EXPECT_EQ(dosFirst.FindAttribute(0x30, kLowestAttributeId)->header.attributeId, 3);
    EXPECT_EQ(dosFirst.FindAttribute(0x30, kHighestAttributeId)->header.attributeId, 5);
    EXPECT_EQ(dosFirst.FindAttribute(0x30, 5)->header.attributeId, 5);
    EXPECT_EQ(dosFirst.FindAttribute(0x30, 4), nullptr);
    EXPECT_EQ(dosFirst.FindAttribute(0xA0, kLowestAttributeId), nullptr);
    // The file's data is the unnamed stream even when a named one has a lower id.
    EXPECT_EQ(dosFirst.DataAttribute()->header.attributeId, 9);
    EXPECT_EQ(dosFirst.FindAttribute(0x80, kLowestAttributeId)->name, u"stream");
}

TEST(MftRecord, TwoKilobyteSectorsUseTwoKilobyteRecordsWithFiveFixupWords) {
    for (std::uint32_t deviceSector : {2048u, 512u}) {
        SCOPED_TRACE(deviceSector);
        TestVolume image(2048, 2, 128, 4, deviceSector);
        EXPECT_EQ(image.RecordSize(), 2048u);
        image.PutRecord(0, image.MftSelfRecord(8));
        // A resident value across every stride end of the record.
        const ByteVector payload = Pattern(1700, 3);
        image.PutRecord(9, FileRecord(u"big record", 2048).Resident(0x80, 3, payload).Build());
        NtfsVolume volume;
        ASSERT_TRUE(image.Open(volume));
        EXPECT_EQ(volume.RecordSize(), 2048u);
        EXPECT_EQ(volume.SectorsPerRecord(), 2048u / deviceSector);
        MftRecord file;
        ASSERT_TRUE(file.Load(volume, 9));
        EXPECT_EQ(file.Fixups().applied, 4u);
        EXPECT_EQ(ReadAll(file, *file.DataAttribute()), payload);
    }
}

TEST(NtfsVolume, RecordsOfAFragmentedMftAreFoundThroughItsRunList) {
    TestVolume image(512, 8, 256, 4);
    // The MFT: 2 clusters at 4 (records 0-7), then 2 clusters at 40 (records 8-15).
    image.PutRecord(0, image.MftSelfRecord(4, EncodeRuns({{2, 4}, {2, 36}})));
    image.PutRecord(9, FileRecord(u"stale record").Build()); // where the contiguous rule looks
    image.PutBytes(40 * 4096 + 1024, FileRecord(u"real record").Build());
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    ASSERT_TRUE(volume.IsMftMapped());
    EXPECT_EQ(volume.MappedRecordCount(), 16u);
    MftRecord record;
    ASSERT_TRUE(record.Load(volume, 9));
    EXPECT_EQ(record.FileName(), u"real record");
    EXPECT_FALSE(record.Load(volume, 16)); // past the MFT
    // Raw scans keep the contiguous rule; a record found at an LBA is numbered by the map.
    EXPECT_EQ(volume.RecordLba(9), 32u + 18u);
    const std::uint64_t realLba = 40 * 8 + 2;
    EXPECT_EQ(volume.RecordNumberAtLba(realLba), 9u);
    EXPECT_EQ(volume.RecordNumberAtLba(32 + 18), 9u); // inside the first run: same as contiguous
    ASSERT_TRUE(record.LoadFromLba(volume, realLba));
    EXPECT_EQ(record.RecordNumber(), 9u);
    EXPECT_EQ(record.FileName(), u"real record");

    // Without a usable record 0 the contiguous rule is the fallback.
    image.PutRecord(0, ByteVector(1024, 0));
    NtfsVolume fallback;
    ASSERT_TRUE(image.Open(fallback));
    EXPECT_FALSE(fallback.IsMftMapped());
    ASSERT_TRUE(record.Load(fallback, 9));
    EXPECT_EQ(record.FileName(), u"stale record");
}

TEST(MftRecord, TimesAreSixtyFourBitAndUnknownStampsStayUnknown) {
    TestVolume image;
    image.PutRecord(0, image.MftSelfRecord(16));
    // Creation in 2100, modification unset, access with the top bit set.
    image.PutRecord(
        26, RecordBuilder()
                .Resident(0x10, 0,
                          StandardInformationBytes(157469184000000000ull, 0, 0x8000000000000001ull))
                .Resident(0x30, 1, FileNameValueBytes(5, u"future"))
                .Build());
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    MftRecord record;
    ASSERT_TRUE(record.Load(volume, 26));
    const NtfsFileTimes times = record.Times();
    EXPECT_EQ(times.creation, 4102444800ll);
    EXPECT_FALSE(times.modification.has_value());
    EXPECT_FALSE(times.access.has_value());
}

TEST(MftRecord, RecordsNotInUseLoadWithTheirData) {
    TestVolume image;
    image.PutRecord(0, image.MftSelfRecord(16));
    image.PutCluster(70, Pattern(4096, 5));
    image.PutRecord(27, RecordBuilder(1024, 0)
                            .Resident(0x30, 1, FileNameValueBytes(5, u"gone.txt"))
                            .NonResident(0x80, 2, EncodeRuns({{1, 70}}), 3000)
                            .Build());
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    MftRecord record;
    ASSERT_TRUE(record.Load(volume, 27));
    EXPECT_FALSE(record.InUse());
    const ByteVector expected = Pattern(4096, 5);
    EXPECT_EQ(ReadAll(record, *record.DataAttribute()),
              ByteVector(expected.begin(), expected.begin() + 3000));
}

TEST(MftRecord, AttributeListJoinsDataPiecesFromExtensionRecords) {
    TestVolume image;
    image.PutRecord(0, image.MftSelfRecord(16));
    for (std::uint64_t lcn = 60; lcn < 66; ++lcn)
        image.PutCluster(lcn, Pattern(4096, static_cast<std::uint8_t>(lcn)));
    const std::uint64_t size = 6 * 4096 - 10;
    // Clusters 0-1 in the base record, 2-3 in record 31, 4-5 in record 32.
    const ByteVector list = AttributeListBytes({{0x10, 0, 30, 0},
                                                {0x30, 0, 30, 1},
                                                {0x80, 0, 30, 2},
                                                {0x80, 2, 31, 0},
                                                {0x80, 4, 32, 0},
                                                {0x80, 4, 32, 0}});
    const auto base = [&](std::uint64_t record32Base) {
        image.PutRecord(30, RecordBuilder()
                                .Resident(0x10, 0, StandardInformationBytes(0, 0, 0))
                                .Resident(0x20, 4, list)
                                .Resident(0x30, 1, FileNameValueBytes(5, u"split.bin"))
                                .NonResident(0x80, 2, EncodeRuns({{2, 60}}), size)
                                .Build());
        image.PutRecord(31, RecordBuilder()
                                .BaseRecord(30)
                                .NonResident(0x80, 0, EncodeRuns({{2, 62}}), 0, 0, 0, u"", 2)
                                .Build());
        image.PutRecord(32, RecordBuilder()
                                .BaseRecord(record32Base)
                                .NonResident(0x80, 0, EncodeRuns({{2, 64}}), 0, 0, 0, u"", 4)
                                .Build());
    };
    base(30);
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    MftRecord record;
    ASSERT_TRUE(record.Load(volume, 30));
    const NtfsAttribute* data = record.DataAttribute();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->size, size);
    EXPECT_EQ(data->extents.size(), 3u);
    ByteVector expected;
    for (std::uint64_t lcn = 60; lcn < 66; ++lcn) {
        const ByteVector c = Pattern(4096, static_cast<std::uint8_t>(lcn));
        expected.insert(expected.end(), c.begin(), c.end());
    }
    expected.resize(size);
    EXPECT_EQ(ReadAll(record, *data), expected);
    EXPECT_EQ(std::count_if(record.Attributes().begin(), record.Attributes().end(),
                            [](const NtfsAttribute& a) { return a.header.type == 0x80; }),
              1);

    // An extension that names another base record is not taken: the data ends where the
    // pieces stop.
    base(99);
    ASSERT_TRUE(record.Load(volume, 30));
    EXPECT_EQ(record.DataAttribute()->size, 4u * 4096);
}
