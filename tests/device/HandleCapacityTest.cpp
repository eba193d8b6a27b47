#include "device/HandleCapacity.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(ChooseCapacity, PassThroughAnswerWins) {
    CapacitySources s;
    s.passThroughOk = true;
    s.passThroughLastLba = 999;
    s.passThroughBlockSize = 2048;
    s.lengthInfo = 10'000'000; // larger, but the drive's own answer is taken
    s.kernelSectorSize = 512;
    const CapacityResult r = ChooseCapacity(s);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.lastLba, 999u);
    EXPECT_EQ(r.sectorSize, 2048u);

    // An answer of all ones (no medium, sector count 0) is no answer.
    s.passThroughLastLba = ~0ull;
    const CapacityResult fallback = ChooseCapacity(s);
    ASSERT_TRUE(fallback.ok);
    EXPECT_EQ(fallback.sectorSize, 512u);
    EXPECT_EQ(fallback.lastLba, 10'000'000u / 512 - 1);
}

TEST(ChooseCapacity, LengthAtLeastTheGeometryKeeps512EvenWhenGeometrySays2048) {
    CapacitySources s;
    s.geometryBytes = 2048ull * 1000;
    s.geometrySectorSize = 2048;
    s.lengthInfo = 2048ull * 1000;
    CapacityResult r = ChooseCapacity(s);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.sectorSize, 512u);
    EXPECT_EQ(r.lastLba, 3999u);

    // Geometry larger than every other source: its byte count and sector size are taken.
    s.lengthInfo = 2048ull * 900;
    s.fileSize = 2048ull * 800;
    r = ChooseCapacity(s);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.sectorSize, 2048u);
    EXPECT_EQ(r.lastLba, 999u);

    // A geometry without a sector size does not divide by zero.
    s.geometrySectorSize = 0;
    r = ChooseCapacity(s);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.sectorSize, 512u);
}

TEST(ChooseCapacity, KernelSectorSizeOfABlockDeviceIsTheUnit) {
    CapacitySources s;
    s.lengthInfo = 4096ull * 1024;
    s.kernelSectorSize = 4096;
    const CapacityResult r = ChooseCapacity(s);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.sectorSize, 4096u);
    EXPECT_EQ(r.lastLba, 1023u);
}

TEST(ChooseCapacity, NothingUsableFails) {
    CapacitySources none;
    CapacityResult r = ChooseCapacity(none);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.lastLba, 0u);
    EXPECT_EQ(r.sectorSize, 512u);

    // Fewer bytes than one sector: no sector can be read, and the last LBA must not
    // wrap around to all ones.
    CapacitySources tiny;
    tiny.fileSize = 511;
    r = ChooseCapacity(tiny);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.lastLba, 0u);

    // A trailing partial sector is not part of the device.
    tiny.fileSize = 512 * 3 + 100;
    r = ChooseCapacity(tiny);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.lastLba, 2u);
}
