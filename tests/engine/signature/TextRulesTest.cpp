#include "engine/signature/TextRules.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace vantrel;

namespace {

std::vector<std::uint8_t> ByteList(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values)
        bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

std::vector<std::uint8_t> Text(std::size_t length, std::size_t size) {
    std::vector<std::uint8_t> bytes(size, 0);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>('a' + i % 26);
    return bytes;
}

} // namespace

TEST(TextRules, RunLengthPairsShiftJisCharacters) {
    EXPECT_EQ(TextRunLength(ByteList({'a', '\t', '\r', '\n', 0x7E, 0x7F})), 5u);
    EXPECT_EQ(TextRunLength(ByteList({0x93, 0xFA, 0x96, 0x7B, 0xB1, 0x00})), 5u);
    // 0x82 0xA0: a lead byte with a trail byte outside the single-byte ranges.
    EXPECT_EQ(TextRunLength(ByteList({'x', 0x82, 0xA0, 'y'})), 4u);
    // A lead byte alone at the end, or before a byte that cannot trail, stops the run.
    EXPECT_EQ(TextRunLength(ByteList({'x', 'y', 0x82})), 2u);
    EXPECT_EQ(TextRunLength(ByteList({'x', 0x82, 0x20})), 1u);
    EXPECT_EQ(TextRunLength(ByteList({0xFD, 'a'})), 0u);
    EXPECT_EQ(TextRunLength({}), 0u);
    // The trail byte of a pair is consumed with it, even when it could not stand alone.
    EXPECT_EQ(TextRunLength(ByteList({0xE0, 0x80, 0xE0, 0xFC})), 4u);
}

TEST(TextRules, TextStartNeedsZerosToTheBlockEnd) {
    // 700 bytes of text then zeros to 1 024: a text start.
    std::vector<std::uint8_t> window = Text(700, 4096);
    EXPECT_TRUE(IsTextRun(window));
    // One stray byte before the 512-byte boundary: not text.
    window[900] = 0x01;
    EXPECT_FALSE(IsTextRun(window));
    // After the boundary anything may follow.
    window[900] = 0;
    window[1024] = 0x01;
    EXPECT_TRUE(IsTextRun(window));

    EXPECT_FALSE(IsTextRun(Text(4, 4096))); // too short a run
    EXPECT_TRUE(IsTextRun(Text(5, 4096)));
    EXPECT_FALSE(IsTextRun(Text(511, 511))); // too short a window
    // Text up to the last byte needs no zeros after it.
    std::vector<std::uint8_t> full = Text(4096, 4096);
    full[4095] = 0x01;
    EXPECT_TRUE(IsTextRun(full));
    full[4094] = 0x01;
    EXPECT_FALSE(IsTextRun(full));
}

TEST(TextRules, TextEndsWhereTheRunStopsShortOfTheSector) {
    EXPECT_FALSE(TextEndsInSector(Text(512, 512)));
    EXPECT_TRUE(TextEndsInSector(Text(511, 512)));
    EXPECT_TRUE(TextEndsInSector(Text(100, 512)));
    // A sector starting with the trail byte of a character begun in the sector before.
    std::vector<std::uint8_t> continued = Text(512, 512);
    continued[0] = 0xA0;
    EXPECT_FALSE(TextEndsInSector(continued));
    continued[300] = 0;
    EXPECT_TRUE(TextEndsInSector(continued));
    EXPECT_TRUE(TextEndsInSector(std::vector<std::uint8_t>(512, 0)));
    // A lead byte in the last place: the character continues in the next sector.
    std::vector<std::uint8_t> split = Text(512, 512);
    split[511] = 0x93;
    EXPECT_FALSE(TextEndsInSector(split));
    split[511] = 0x01;
    EXPECT_TRUE(TextEndsInSector(split));
}

// The run length, word-at-a-time over plain ASCII, agrees with the byte-by-byte rule on
// text mixing ASCII, control bytes, Shift-JIS pairs and stray bytes at every alignment.
TEST(TextRules, RunLengthAgreesWithTheByteRule) {
    const auto reference = [](const std::vector<std::uint8_t>& b) {
        const auto single = [](unsigned c) {
            return (c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF) || c == 9 || c == 10 ||
                   c == 13;
        };
        const auto lead = [](unsigned c) {
            return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        };
        const auto trail = [](unsigned c) {
            return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
        };
        std::size_t i = 0;
        while (i < b.size()) {
            if (b.size() - i >= 2 && lead(b[i]) && trail(b[i + 1]))
                i += 2;
            else if (single(b[i]))
                ++i;
            else
                break;
        }
        return i;
    };
    std::uint32_t state = 12345;
    const auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    const std::uint8_t rare[] = {0x7F, 0x1F, 0x00, 0x80, 0xA0, 0xFD, 0x82, 0x09, 0x0D, 0x0A, 0xB5};
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<std::uint8_t> bytes(next() % 160);
        for (auto& byte : bytes) {
            const unsigned pick = next() % 100;
            if (pick < 85)
                byte = static_cast<std::uint8_t>(0x20 + next() % 95);
            else if (pick < 95)
                byte = static_cast<std::uint8_t>(0x81 + next() % 0x7C);
            else
                byte = rare[next() % sizeof rare];
        }
        ASSERT_EQ(TextRunLength(bytes), reference(bytes)) << trial;
    }
}

// The database scan works the text tests out from one summary per sector; they must
// answer as the tests over the bytes do, above all where a character is split between
// two sectors or the text stops just before a sector's end.
TEST(TextRules, SectorSummariesAnswerAsTheBytesDo) {
    const std::uint8_t odd[] = {' ', '\n', 0x82, 0xA0, 0x93, 0xFA, 0x00, 0xFF, 0x7F};
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (const std::size_t sectorSize : {std::size_t{512}, std::size_t{4096}}) {
        for (int round = 0; round < 400; ++round) {
            // Text up to a random end, zeros after it; every other round sprinkles odd
            // bytes into the text, every third splits a character at each sector edge.
            std::vector<std::uint8_t> window(8 * sectorSize);
            const std::size_t textEnd = next() % window.size();
            for (std::size_t i = 0; i < textEnd; ++i) {
                window[i] = static_cast<std::uint8_t>('a' + i % 26);
                if (round % 2 && next() % 64 == 0)
                    window[i] = odd[next() % sizeof odd];
            }
            for (std::size_t edge = sectorSize; round % 3 == 0 && edge < textEnd;
                 edge += sectorSize) {
                window[edge - 1 - next() % 2] = 0x93;
                window[edge] = next() % 4 ? 0xFA : 0x0A;
            }
            if (round % 5 == 0)
                window[window.size() - 1 - next() % 700] = 'A';
            std::vector<SectorText> texts;
            for (std::size_t k = 0; k < 8; ++k) {
                const Bytes sector = Bytes(window).subspan(k * sectorSize, sectorSize);
                texts.push_back(SummariseSectorText(sector));
                ASSERT_EQ(TextEndsInSector(sector, texts.back()), TextEndsInSector(sector));
                ASSERT_EQ(TextBytesInEndSector(sector, texts.back()), TextBytesInEndSector(sector));
            }
            for (std::size_t start = 0; start < 2; ++start) {
                const Bytes from = Bytes(window).subspan(start * sectorSize);
                ASSERT_EQ(IsTextRun(from, sectorSize, std::span(texts).subspan(start)),
                          IsTextRun(from))
                    << "round " << round << ", sectors of " << sectorSize;
                // Cut inside a sector, as a carved file's head is.
                const Bytes cut = from.first(from.size() - 1 - next() % sectorSize);
                ASSERT_EQ(IsTextRun(cut, sectorSize, std::span(texts).subspan(start)),
                          IsTextRun(cut))
                    << "cut, round " << round << ", sectors of " << sectorSize;
            }
        }
    }
}
