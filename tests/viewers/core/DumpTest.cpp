// The dump's line text, its text modes and its arithmetic on the sizes that matter.

#include "platform/Utf.h"
#include "viewers/core/DumpWindow.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

using ByteVector = std::vector<std::uint8_t>;

std::u16string Column(DumpTextMode mode, const ByteVector& line, std::optional<std::uint8_t> next,
                      bool& carry, bool atStart = false) {
    return DumpTextColumnString(DumpTextColumn(mode, line, next, atStart, carry));
}

// Reads any offset of a file of the given size; the byte is the offset's low byte.
class PatternReader : public EntryReader {
public:
    explicit PatternReader(std::uint64_t size) : size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::u16string Name() const override { return u"pattern"; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        if (offset > size_ || count > size_ - offset)
            return false;
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::size_t i = 0; i < count; ++i)
            out[i] = static_cast<std::uint8_t>(offset + i);
        return true;
    }

private:
    std::uint64_t size_;
};

} // namespace

TEST(DumpFormat, LineTextKeepsItsLengthWhenShort) {
    EXPECT_EQ(DumpHeaderText(),
              "                    +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F");
    const ByteVector tail = {0x10, 0xAB, 0x00, 0xFF};
    EXPECT_EQ(DumpHexText(16, tail),
              "0000000000000010h   10 AB 00 FF " + std::string(36, ' ') + " : ");
    EXPECT_EQ(DumpHexText(0xFEDCBA9876543210ull, ByteVector(16, 0x5A)).size(),
              DumpHexText(0, {}).size());
}

TEST(DumpFormat, TextModes) {
    bool carry = false;
    const ByteVector ascii = {'A', 0x7F, 0x80, 0x1F, ' ', 0xFF};
    EXPECT_EQ(Column(DumpTextMode::ascii, ascii, std::nullopt, carry), u"A\x7F.. .");

    const ByteVector wide = {'h', 0, 0x2C, 0x67, 0x0A, 0, 'z'};
    EXPECT_EQ(Column(DumpTextMode::unicode, wide, std::nullopt, carry), u"h 本.");

    // 本 (0x96 0x7B) starting at byte 15 is shown whole; the next line shows a space.
    ByteVector line(16, 'a');
    line[15] = 0x96;
    EXPECT_EQ(Column(DumpTextMode::shiftJis, line, 0x7B, carry), std::u16string(15, u'a') + u"本");
    EXPECT_TRUE(carry);
    EXPECT_EQ(Column(DumpTextMode::shiftJis, {0x7B, 'b', 0x00, 0xB1, 0x81}, std::nullopt, carry),
              u" b.ｱ.");
    EXPECT_FALSE(carry);
    // A lead byte at the end of the file has no trail byte.
    EXPECT_EQ(Column(DumpTextMode::shiftJis, line, std::nullopt, carry),
              std::u16string(15, u'a') + u".");
}

TEST(DumpWindow, ScrollRanges) {
    EXPECT_EQ(DumpScrollRangeFor(32).maximum, 1);
    EXPECT_EQ(DumpScrollRangeFor(33).maximum, 2);
    const DumpScrollRange huge = DumpScrollRangeFor(1ull << 40);
    EXPECT_EQ(huge.shift, 6);
    EXPECT_EQ(huge.maximum, 1 << 30);
    EXPECT_EQ(DumpOffsetForPosition(DumpScrollPosition(1ull << 39, 6), 6), 1ull << 39);
}

TEST(DumpWindow, NavigationAndGoTo) {
    EXPECT_EQ(DumpGoToClamp(u"99999", DumpGoToMaximum(1000)), u"999");
    EXPECT_EQ(DumpGoToClamp(u"998", 999), std::nullopt);
    EXPECT_EQ(DumpGoToClamp(u"99999999999999999999", 999), u"999");
    EXPECT_EQ(DumpGoToTarget(999), 992u);
    EXPECT_EQ(DumpLast(100, 30), 0u);
    EXPECT_EQ(DumpLast(1000, 30), 992u - 400u);
    EXPECT_EQ(DumpPageDown(0, 30, 1000), 448u);
    EXPECT_EQ(DumpPageDown(992, 30, 1000), 992u);
    EXPECT_EQ(DumpPageUp(100, 30), 0u);
    EXPECT_EQ(DumpLineDown(976, 1000), 992u);
    EXPECT_EQ(DumpLineDown(992, 1000), 992u);
    EXPECT_EQ(DumpLineUp(0), 0u);
}

TEST(DumpWindow, WindowOfAHugeFileStaysBoundedAndHoldsItsLines) {
    PatternReader reader(1ull << 40);
    DumpFileWindow window(reader, DumpCapacityFor(1600)); // 8000 bytes
    ASSERT_TRUE(window.Usable());
    ASSERT_TRUE(window.Load(0));
    const std::uint64_t target = (1ull << 39) + 4096;
    const auto move = window.MoveTo(target, 40);
    EXPECT_TRUE(move.reloaded);
    EXPECT_TRUE(move.readOk);
    EXPECT_EQ(window.WindowStart(), target - 3200 - 16);
    EXPECT_TRUE(window.LeadByte());
    std::uint8_t storage[kDumpLineBytes];
    std::optional<std::uint8_t> next;
    const Bytes line = window.Line(target + 16 * 40, storage, &next);
    ASSERT_EQ(line.size(), 16u);
    EXPECT_EQ(line[3], static_cast<std::uint8_t>(target + 16 * 40 + 3));
    EXPECT_EQ(next, static_cast<std::uint8_t>(target + 16 * 41));
    EXPECT_FALSE(window.MoveTo(target + 16, 40).reloaded);
}

TEST(DumpWindow, FileAsLargeAsTheBufferLoads) {
    // The window's count asked for two bytes past the end of such a file.
    PatternReader reader(8000);
    DumpFileWindow window(reader, 8000);
    EXPECT_TRUE(window.Load(0));
    std::uint8_t storage[kDumpLineBytes];
    EXPECT_EQ(window.Line(7984, storage, nullptr)[15], static_cast<std::uint8_t>(7999));
}

TEST(DumpWindow, CarryOfTheFirstDrawnLineComesFromTheLinesAbove) {
    // A repaint that starts below a line ending in a lead byte still shows the space.
    ByteVector bytes(64, 'a');
    bytes[15] = 0x96;
    bytes[16] = 0x7B;
    MemoryEntryReader reader(bytes);
    DumpFileWindow window(reader, 800);
    ASSERT_TRUE(window.Load(0));
    EXPECT_TRUE(window.ShiftJisCarryInto(16));
    EXPECT_FALSE(window.ShiftJisCarryInto(32));
}
