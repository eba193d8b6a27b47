#include "device/RescueMap.h"

#include "device/DiskWindow.h"
#include "device/MappedDisk.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vantrel;
using namespace std::string_view_literals;

namespace {

RescueMap Parsed(const std::string& text) {
    RescueMap map;
    RescueMapProblem problem;
    EXPECT_TRUE(RescueMap::Parse(text, &map, &problem)) << problem.line << ": " << problem.reason;
    return map;
}

// A disk whose every sector reads as its LBA's low byte.
class PatternDisk : public CDiskDevice {
public:
    bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override {
        lastLba_ = 99;
        if (lastLba)
            *lastLba = 99;
        if (sectorSize)
            *sectorSize = 512;
        return true;
    }
    bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer, std::uint32_t) override {
        ++reads;
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::uint32_t i = 0; i < count * 512; ++i)
            out[i] = static_cast<std::uint8_t>(lba + i / 512);
        return true;
    }
    int reads = 0;
};

} // namespace

TEST(RescueMap, ReadsTheRescueToolsFormatAndCountsUnreadSectors) {
    const RescueMap map = Parsed("# Mapfile. Created by a rescue run\r\n"
                                 "# current_pos  current_status  current_pass\n"
                                 "0x00001000     ?               2\n"
                                 "\n"
                                 "#      pos        size  status\n"
                                 "0x00000000  0x00000400  +\n"
                                 "1024        0x100       -\n" // half a sector
                                 "0x00000500  0x00000300  +\n"
                                 "0x00000800  00001000    +\n" // octal 512, merged
                                 "0x00000A00  0x00000400  /\n"
                                 "0x00000E00  0x00000200  +\n");
    EXPECT_EQ(map.CurrentPos(), 0x1000u);
    EXPECT_EQ(map.CurrentStatus(), '?');
    ASSERT_EQ(map.Blocks().size(), 5u);
    EXPECT_EQ(map.Blocks()[2].size, 0x500u);
    EXPECT_EQ(map.End(), 0x1000u);
    // Sector 2 holds the bad half sector; 5 and 6 are non-scraped; 8 on lies past the map.
    EXPECT_EQ(map.UnreadSectorsIn(0, 2, 512), 0u);
    EXPECT_EQ(map.UnreadSectorsIn(2, 1, 512), 1u);
    EXPECT_EQ(map.UnreadSectorsIn(0, 8, 512), 3u);
    EXPECT_EQ(map.UnreadSectorsIn(7, 3, 512), 2u);
    EXPECT_EQ(map.UnreadSectorsIn(0, 2, 4096), 2u); // both 4 KiB sectors hold some
    EXPECT_EQ(map.UnreadSectorsIn(~0ull - 1, 5, 512), 1u);

    RescueMap clipped = map;
    EXPECT_FALSE(clipped.ClipTo(0x1000));
    EXPECT_TRUE(clipped.ClipTo(0xC00));
    EXPECT_EQ(clipped.End(), 0xC00u);
    EXPECT_EQ(clipped.UnreadSectorsIn(0, 6, 512), 2u);
    EXPECT_EQ(clipped.UnreadSectorsIn(0, 7, 512), 3u); // past the image counts as unread

    // What we write reads back the same.
    const RescueMap back =
        Parsed(FormatRescueMap(map.Blocks(), map.CurrentPos(), map.CurrentStatus(), "test"));
    ASSERT_EQ(back.Blocks().size(), map.Blocks().size());
    for (std::size_t i = 0; i < back.Blocks().size(); ++i) {
        EXPECT_EQ(back.Blocks()[i].pos, map.Blocks()[i].pos);
        EXPECT_EQ(back.Blocks()[i].size, map.Blocks()[i].size);
        EXPECT_EQ(back.Blocks()[i].status, map.Blocks()[i].status);
    }
}

TEST(RescueMap, MalformedMapsNameTheirLine) {
    const struct {
        std::string_view text;
        std::size_t line;
    } cases[] = {
        {"", 0},                                // nothing at all
        {"# only a comment\n0 +\n", 0},         // no blocks
        {"0 +\n0 0x200 +\n0x100 0x200 -\n", 3}, // overlap
        {"0 +\n0 0x200 +\n0x400 0x200 -\n", 3}, // gap
        {"0 +\n0 0x200 x\n", 2},                // unknown status
        {"0 +\n0 0 +\n", 2},                    // empty block
        {"0 +\n0 0x200\n", 2},                  // missing field
        {"0 +\n0x1G 0x200 +\n", 2},             // not a number
        {"0 +\n089 0x200 +\n", 2},              // not octal
        {"0 +\n0xFFFFFFFFFFFFFFFF 2 +\n", 2},   // past 64 bits
        {"0 +\n0x1FFFFFFFFFFFFFFFF 2 +\n", 2},  // number too large
        {"abc ?\n0 0x200 +\n", 1},              // position line
        {"0 + 1\n0 0x200 +\n\0 junk\n"sv, 3},   // binary
    };
    for (const auto& c : cases) {
        RescueMap map;
        RescueMapProblem problem;
        EXPECT_FALSE(RescueMap::Parse(c.text, &map, &problem)) << c.text;
        EXPECT_EQ(problem.line, c.line) << c.text;
        EXPECT_FALSE(problem.reason.empty());
    }
}

TEST(RescueMap, UnreadSectorsFailToReadThroughTheMappedDisk) {
    PatternDisk inner;
    CMappedDisk disk(inner, Parsed("0 +\n0 0x600 +\n0x600 0x200 -\n0x800 0xC000 +\n"));
    ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr));
    EXPECT_EQ(disk.LastLba(), 99u);
    std::vector<std::uint8_t> buffer(8 * 512);
    EXPECT_TRUE(disk.ReadSectors(0, 3, buffer.data(), 3 * 512));
    EXPECT_EQ(buffer[2 * 512], 2);
    inner.reads = 0;
    EXPECT_FALSE(disk.ReadSectors(0, 8, buffer.data(), 8 * 512));
    EXPECT_EQ(inner.reads, 0); // refused without touching the disk

    // A checked read zero-fills and lists just that sector, as for a failing disk.
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    ASSERT_TRUE(window.GetCapacity(nullptr, nullptr));
    BadSectorList bad;
    EXPECT_FALSE(ReadSectorsChecked(window, 0, 8, buffer.data(), 8 * 512, bad));
    EXPECT_EQ(bad.Lbas(), (std::vector<std::uint64_t>{3}));
    EXPECT_EQ(buffer[3 * 512], 0);
    EXPECT_EQ(buffer[4 * 512], 4);
    EXPECT_EQ(UnreadSectorsOnDevice(&disk, 0, 100), 1u);
    EXPECT_EQ(UnreadSectorsOnDevice(&inner, 0, 100), 0u);
}
