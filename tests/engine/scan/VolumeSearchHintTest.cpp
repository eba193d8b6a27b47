#include "engine/scan/VolumeSearchHint.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace vantrel;

namespace {

constexpr std::uint32_t kSector = 512;

struct Area {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(64 * kSector, 0);
    std::uint8_t* Sector(std::size_t i) { return bytes.data() + i * kSector; }
    Bytes From(std::size_t first, std::size_t count) const {
        return Bytes(bytes).subspan(first * kSector, count * kSector);
    }
};

// Hands the area's 64 sectors (window LBAs 100..163) over in overlapping runs of 24.
VolumeSearchHint LookedThrough(const Area& area) {
    VolumeSearchHint hint;
    hint.Reset(100, 64, kSector);
    for (std::size_t first = 0; first < 64; first += 16)
        hint.Look(100 + first, area.From(first, std::min<std::size_t>(24, 64 - first)));
    return hint;
}

} // namespace

// A search is ruled out only once every sector it tests was seen and none is one it
// would look further at: a folder's "." entry for FAT, a boot sector for NTFS.
TEST(VolumeSearchHint, RulesASearchOutOnlyAfterSeeingEverySectorItTests) {
    Area zeros;
    VolumeSearchHint hint = LookedThrough(zeros);
    EXPECT_FALSE(hint.MayFindFat());
    EXPECT_FALSE(hint.MayFindNtfs());

    Area folder; // "." and ".." of a sub-folder at cluster 5, in the last sector looked at
    std::uint8_t* slot = folder.Sector(63);
    std::memcpy(slot, ".          ", 11);
    std::memcpy(slot + 32, "..         ", 11);
    slot[11] = slot[32 + 11] = 0x10;
    slot[26] = 5;
    slot[16] = slot[32 + 16] = 0x21; // a creation date: 1 Jan 1980
    slot[24] = slot[32 + 24] = 0x21;
    hint = LookedThrough(folder);
    EXPECT_TRUE(hint.MayFindFat());
    EXPECT_FALSE(hint.MayFindNtfs());

    Area ntfs;
    std::uint8_t* boot = ntfs.Sector(40);
    std::memcpy(boot + 3, "NTFS    ", 8);
    boot[12] = 2; // 512 bytes per sector
    boot[13] = 8;
    boot[510] = 0x55;
    boot[511] = 0xAA;
    hint = LookedThrough(ntfs);
    EXPECT_FALSE(hint.MayFindFat());
    EXPECT_TRUE(hint.MayFindNtfs());

    // Sectors not seen, at the end or in a gap, may hold anything.
    hint.Reset(100, 64, kSector);
    hint.Look(100, zeros.From(0, 63));
    EXPECT_TRUE(hint.MayFindFat() && hint.MayFindNtfs());
    hint.Reset(100, 64, kSector);
    hint.Look(100, zeros.From(0, 32));
    hint.Look(133, zeros.From(33, 31));
    EXPECT_TRUE(hint.MayFindFat() && hint.MayFindNtfs());
}
