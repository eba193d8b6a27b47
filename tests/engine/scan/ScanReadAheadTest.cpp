#include "engine/scan/ScanReadAhead.h"

#include "MemoryDisk.h"

#include <cstring>
#include <gtest/gtest.h>

namespace vantrel {
namespace {

using testing::FaultyDisk;
using testing::MemoryDisk;

constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kBlock = kReadAheadBlockBytes / kSector;

// Every sector holds its own LBA in each of its 64-bit words.
std::unique_ptr<MemoryDisk> NumberedDisk(std::uint64_t sectors) {
    auto disk = std::make_unique<MemoryDisk>(sectors, kSector);
    for (std::uint64_t lba = 0; lba < sectors; ++lba) {
        for (std::uint32_t at = 0; at < kSector; at += 8)
            std::memcpy(disk->Sector(lba) + at, &lba, 8);
    }
    return disk;
}

// The LBA a sector holds, or ~0 when its words disagree (0 for a zeroed sector).
std::uint64_t HeldLba(Bytes sector) {
    std::uint64_t first = 0;
    std::memcpy(&first, sector.data(), 8);
    for (std::uint32_t at = 8; at < kSector; at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, sector.data() + at, 8);
        if (word != first)
            return ~std::uint64_t{0};
    }
    return first;
}

// Walks like the database scan (64 sectors at a time, 8 of them again) across block
// edges and unreadable sectors, starts over, and ends with the reader still ahead. The
// marks of every view are those of its sectors, whichever thread worked them out.
TEST(ScanReadAhead, ViewsHoldTheSectorsAndUnreadableOnesAreZeroAndListedOnce) {
    const std::uint64_t sectors = 3 * kBlock + 100;
    auto memory = NumberedDisk(sectors);
    FaultyDisk disk(*memory);
    const std::vector<std::uint64_t> unreadable{5, kBlock - 1, kBlock, 3 * kBlock + 50};
    for (const std::uint64_t lba : unreadable)
        disk.MakeUnreadable(lba);
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    ASSERT_TRUE(window.GetCapacity(nullptr, nullptr));

    ScanReadAhead reader;
    reader.Attach(window, kSector, 1, sectors, MarkEachSector(HeldLba));
    BadSectorList bad;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::uint64_t lba = 1; lba + 64 <= sectors; lba += 56) {
            const Bytes view = reader.Fetch(lba, 64, bad);
            ASSERT_EQ(view.size(), 64u * kSector);
            ASSERT_EQ(reader.Marks().size(), 64u);
            for (std::uint32_t i = 0; i < 64; ++i) {
                const std::uint64_t held = bad.Contains(lba + i) ? 0 : lba + i;
                EXPECT_EQ(HeldLba(view.subspan(std::size_t{i} * kSector, kSector)), held)
                    << "sector " << lba + i;
                EXPECT_EQ(reader.Marks()[i], held) << "sector " << lba + i;
            }
        }
    }
    EXPECT_EQ(bad.Lbas(), unreadable);
    // Outside the range: read at once, still checked.
    EXPECT_EQ(HeldLba(reader.Fetch(0, 1, bad)), 0u);
    EXPECT_EQ(HeldLba(reader.Fetch(sectors - 1, 1, bad)), sectors - 1);

    // Going back to the start after a detach reads again from there.
    reader.Detach();
    reader.Attach(window, kSector, 0, sectors);
    EXPECT_EQ(HeldLba(reader.Fetch(2 * kBlock + 3, 2, bad).first(kSector)), 2 * kBlock + 3);
    EXPECT_EQ(bad.Lbas(), unreadable);
}

} // namespace
} // namespace vantrel
