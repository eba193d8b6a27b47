#include "device/DiskWindow.h"

#include "MemoryDisk.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::FaultyDisk;
using vantrel::testing::MemoryDisk;

namespace {

std::vector<std::uint8_t> NumberedSectors(std::uint64_t count) {
    std::vector<std::uint8_t> bytes(count * 512);
    for (std::uint64_t i = 0; i < count; ++i)
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(i * 512), 512,
                    static_cast<std::uint8_t>(i + 1));
    return bytes;
}

} // namespace

TEST(DiskWindow, WholeDeviceReadsNothingUntilCapacityIsKnown) {
    MemoryDisk disk(NumberedSectors(100));
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    EXPECT_TRUE(window.WholeDevice());
    std::vector<std::uint8_t> buffer(512);
    EXPECT_FALSE(window.ReadSectors(0, 1, buffer.data(), 512));
    EXPECT_EQ(disk.ReadCalls(), 0u);

    std::uint64_t last = 0;
    std::uint32_t sectorSize = 0;
    ASSERT_TRUE(window.GetCapacity(&last, &sectorSize));
    EXPECT_EQ(last, 99u);
    EXPECT_EQ(sectorSize, 512u);
    EXPECT_EQ(window.Length(), 100u);
    EXPECT_TRUE(window.ReadSectors(0, 1, buffer.data(), 512));
}

TEST(DiskWindow, ReadEndingOnLastSectorSucceedsOneMoreFailsWithoutIo) {
    MemoryDisk disk(NumberedSectors(100));
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 10, 20));
    ASSERT_TRUE(window.GetCapacity(nullptr, nullptr));
    std::vector<std::uint8_t> buffer(4 * 512);
    ASSERT_TRUE(window.ReadSectors(16, 4, buffer.data(), 4 * 512));
    EXPECT_EQ(buffer[0], 27); // window LBA 16 is device LBA 26, filled with 27
    EXPECT_EQ(buffer[3 * 512], 30);
    const auto calls = disk.ReadCalls();
    EXPECT_FALSE(window.ReadSectors(17, 4, buffer.data(), 4 * 512));
    EXPECT_FALSE(window.ReadSectors(~0ull, 2, buffer.data(), 2 * 512)); // lba + count wraps
    EXPECT_EQ(disk.ReadCalls(), calls);
}

TEST(DiskWindow, CapacityFailsForWindowsOutsideTheDevice) {
    MemoryDisk disk(NumberedSectors(100));
    CDiskWindow past;
    ASSERT_TRUE(past.Open(&disk, 100, 1));
    EXPECT_FALSE(past.GetCapacity(nullptr, nullptr));
    CDiskWindow tooLong;
    ASSERT_TRUE(tooLong.Open(&disk, 90, 11));
    EXPECT_FALSE(tooLong.GetCapacity(nullptr, nullptr));
    CDiskWindow exact;
    ASSERT_TRUE(exact.Open(&disk, 90, 10));
    std::uint64_t last = 0;
    EXPECT_TRUE(exact.GetCapacity(&last, nullptr));
    EXPECT_EQ(last, 9u);
    CDiskWindow none;
    EXPECT_FALSE(none.Open(nullptr, 0, 0));
    EXPECT_FALSE(none.OpenWithin(nullptr, 0, 1));
}

TEST(DiskWindow, OpenWithinAddsTheParentStart) {
    MemoryDisk disk(NumberedSectors(100));
    CDiskWindow extended;
    ASSERT_TRUE(extended.Open(&disk, 40, 50));
    CDiskWindow logical;
    ASSERT_TRUE(logical.OpenWithin(&extended, 5, 10));
    EXPECT_EQ(logical.Start(), 45u);
    ASSERT_TRUE(logical.GetCapacity(nullptr, nullptr));
    std::uint8_t buffer[512];
    ASSERT_TRUE(logical.ReadSectors(0, 1, buffer, 512));
    EXPECT_EQ(buffer[0], 46);
}

TEST(DiskWindow, DeviceReportingZeroBytesFailsCapacityAndKeepsLastLbaZero) {
    MemoryDisk disk(std::vector<std::uint8_t>{});
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    std::uint64_t last = 1234;
    EXPECT_FALSE(window.GetCapacity(&last, nullptr));
    EXPECT_EQ(disk.LastLba(), 0u);
    EXPECT_EQ(window.Length(), 0u);
}

TEST(ReadSectorsChecked, ZeroFillsFailedSectorsAndListsEachOnceInOrder) {
    MemoryDisk disk(NumberedSectors(64));
    FaultyDisk faulty(disk);
    faulty.MakeUnreadable(7);
    faulty.MakeUnreadable(3);
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&faulty, 0, 0));
    ASSERT_TRUE(window.GetCapacity(nullptr, nullptr));
    BadSectorList bad;
    std::vector<std::uint8_t> buffer(10 * 512, 0xEE);
    EXPECT_FALSE(ReadSectorsChecked(window, 0, 10, buffer.data(), 10 * 512, bad));
    EXPECT_EQ(bad.Lbas(), (std::vector<std::uint64_t>{3, 7}));
    EXPECT_EQ(buffer[3 * 512], 0);
    EXPECT_EQ(buffer[7 * 512 + 511], 0);
    EXPECT_EQ(buffer[2 * 512], 3);
    EXPECT_EQ(buffer[9 * 512], 10);

    // Met again: nothing is added twice.
    EXPECT_FALSE(ReadSectorsChecked(window, 2, 8, buffer.data(), 8 * 512, bad));
    EXPECT_EQ(bad.Lbas(), (std::vector<std::uint64_t>{3, 7}));

    // A clean range reads whole and adds nothing.
    EXPECT_TRUE(ReadSectorsChecked(window, 10, 8, buffer.data(), 8 * 512, bad));
    EXPECT_EQ(bad.Size(), 2u);
}

TEST(ReadSectorsPiecewise, ReadsIn32KPiecesAndStopsAtTheFirstFailure) {
    MemoryDisk disk(NumberedSectors(200));
    FaultyDisk faulty(disk);
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&faulty, 0, 0));
    ASSERT_TRUE(window.GetCapacity(nullptr, nullptr));
    std::vector<std::uint8_t> buffer(150 * 512);
    ASSERT_TRUE(ReadSectorsPiecewise(window, 0, 150, buffer.data(), buffer.size()));
    EXPECT_EQ(faulty.ReadCalls(), 3u); // 64 + 64 + 22 sectors
    EXPECT_EQ(buffer[149 * 512], 150);

    EXPECT_FALSE(ReadSectorsPiecewise(window, 0, 150, buffer.data(), buffer.size() - 1));

    faulty.MakeUnreadable(70);
    const auto before = faulty.ReadCalls();
    EXPECT_FALSE(ReadSectorsPiecewise(window, 0, 150, buffer.data(), buffer.size()));
    EXPECT_EQ(faulty.ReadCalls() - before, 2u);
}
