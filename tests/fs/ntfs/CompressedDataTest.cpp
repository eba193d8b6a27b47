// Compressed and sparse attributes read through a record: one unit of each kind.

#include "NtfsTestData.h"
#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsVolume.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

constexpr std::size_t kUnit = 16 * 512; // 16 clusters of 512 bytes

// Two compressed chunks of "abc" repeated, then the end of the stream.
ByteVector CompressedAbcUnit() {
    return {0x05, 0xB0, 0x08, 'a', 'b', 'c', 0xFA, 0x2F, //
            0x05, 0xB0, 0x08, 'a', 'b', 'c', 0xFA, 0x2F, //
            0x00, 0x00};
}

} // namespace

TEST(CompressedData, UnitsAreDecompressedStoredOrZeroAndCorruptOnesFail) {
    TestVolume image(512, 1, 512, 4);
    image.PutRecord(0, image.MftSelfRecord(64));
    image.PutCluster(100, CompressedAbcUnit());
    ByteVector raw(kUnit);
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(i % 251);
    image.PutBytes(120 * 512, raw);
    image.PutCluster(140, {0x03, 0xB0, 0x02, 'a', 0x00, 0x30}); // reaches before the chunk
    const std::uint64_t size = 4 * kUnit - 50;
    const ByteVector runs =
        EncodeRuns({{1, 100}, {15, 0, true}, {16, 20}, {16, 0, true}, {1, 20}, {15, 0, true}});
    image.PutRecord(12, RecordBuilder()
                            .Resident(0x10, 0, StandardInformationBytes(0, 0, 0))
                            .Resident(0x30, 1, FileNameValueBytes(5, u"packed.txt"))
                            .NonResident(0x80, 2, runs, size, 0x0001, 4)
                            .Build());
    NtfsVolume volume;
    ASSERT_TRUE(image.Open(volume));
    MftRecord record;
    ASSERT_TRUE(record.Load(volume, 12));
    const NtfsAttribute& data = *record.DataAttribute();
    ASSERT_TRUE(data.IsCompressed());
    EXPECT_EQ(data.size, size);

    ByteVector out(3 * kUnit);
    ASSERT_TRUE(record.ReadAttributeData(data, 0, out.size(), out.data()));
    for (std::size_t i = 0; i < kUnit; ++i)
        ASSERT_EQ(out[i], "abc"[i % 4096 % 3]) << i;
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), out.begin() + kUnit));
    EXPECT_TRUE(std::all_of(out.begin() + 2 * kUnit, out.end(), [](auto b) { return b == 0; }));

    // A piece across the first unit boundary, read in small steps as viewers do.
    ByteVector piece(100);
    ASSERT_TRUE(record.ReadAttributeData(data, kUnit - 30, piece.size(), piece.data()));
    EXPECT_EQ(piece[29], "abc"[(kUnit - 1) % 4096 % 3]);
    EXPECT_EQ(piece[30], raw[0]);

    // The corrupt unit fails the read, whatever part of it is asked for.
    EXPECT_FALSE(record.ReadAttributeData(data, 3 * kUnit + 10, 10, piece.data()));
    EXPECT_FALSE(record.ReadAttributeData(data, 2 * kUnit, kUnit + 1, out.data()));
    ASSERT_TRUE(record.ReadAttributeData(data, 10, 10, piece.data()));
    EXPECT_EQ(piece[0], 'b');
}
