// LZNT1 on hand-made units.

#include "fs/ntfs/Lznt1.h"

#include <gtest/gtest.h>
#include <string>

using namespace vantrel;

namespace {

using ByteVector = std::vector<std::uint8_t>;

void AddChunk(ByteVector& stream, const ByteVector& body, bool compressed) {
    const std::uint16_t header = static_cast<std::uint16_t>((compressed ? 0x8000 : 0) | 0x3000 |
                                                            ((body.size() - 1) & 0x0FFF));
    stream.push_back(static_cast<std::uint8_t>(header));
    stream.push_back(static_cast<std::uint8_t>(header >> 8));
    stream.insert(stream.end(), body.begin(), body.end());
}

// "abc" then one back-reference (offset 3) that repeats it for the rest of the chunk.
ByteVector RepeatingChunkBody(std::size_t total) {
    const std::uint16_t token = static_cast<std::uint16_t>((2 << 12) | (total - 3 - 3));
    return {0x08,
            'a',
            'b',
            'c',
            static_cast<std::uint8_t>(token),
            static_cast<std::uint8_t>(token >> 8)};
}

std::string Text(const ByteVector& out, std::size_t from, std::size_t count) {
    return std::string(out.begin() + static_cast<std::ptrdiff_t>(from),
                       out.begin() + static_cast<std::ptrdiff_t>(from + count));
}

} // namespace

TEST(Lznt1, CompressedUncompressedAndShortChunksFillTheUnit) {
    ByteVector stream;
    AddChunk(stream, RepeatingChunkBody(4096), true);
    ByteVector raw(4096);
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(i * 7);
    AddChunk(stream, raw, false);
    AddChunk(stream, RepeatingChunkBody(10), true); // ends early: 10 bytes of 4096
    AddChunk(stream, {0x00, 'z'}, true);            // the next chunk starts at 12288
    stream.insert(stream.end(), {0, 0});            // end of stream

    ByteVector out(5 * 4096, 0xCC);
    ASSERT_TRUE(DecompressLznt1(stream, out));
    EXPECT_EQ(Text(out, 0, 7), "abcabca");
    EXPECT_EQ(Text(out, 4093, 3), "bca"); // the last bytes of the chunk
    EXPECT_EQ(ByteVector(out.begin() + 4096, out.begin() + 8192), raw);
    EXPECT_EQ(Text(out, 8192, 10), "abcabcabca");
    EXPECT_EQ(out[8192 + 10], 0);
    EXPECT_EQ(out[12287], 0);
    EXPECT_EQ(out[12288], 'z');
    EXPECT_EQ(out[12289], 0);
    EXPECT_EQ(out[5 * 4096 - 1], 0); // after the end of the stream
}

TEST(Lznt1, OffsetFieldWidensWithThePosition) {
    // 17 literals, then a back-reference 17 bytes back: at position 17 the offset takes
    // 5 bits and the length 11.
    ByteVector body = {0x00};
    for (char c : std::string("01234567"))
        body.push_back(static_cast<std::uint8_t>(c));
    body.push_back(0x00);
    for (char c : std::string("89abcdef"))
        body.push_back(static_cast<std::uint8_t>(c));
    body.push_back(0x02);
    body.push_back('g');
    const std::uint16_t token = static_cast<std::uint16_t>((16 << 11) | 1); // offset 17, length 4
    body.push_back(static_cast<std::uint8_t>(token));
    body.push_back(static_cast<std::uint8_t>(token >> 8));
    ByteVector stream;
    AddChunk(stream, body, true);
    ByteVector out(4096);
    ASSERT_TRUE(DecompressLznt1(stream, out));
    EXPECT_EQ(Text(out, 0, 21), "0123456789abcdefg0123");
    EXPECT_EQ(out[21], 0);
}

TEST(Lznt1, CorruptChunksFailWithoutReadingOrWritingOutside) {
    ByteVector out(8192);
    // Back-reference further back than the chunk's start.
    ByteVector tooFar;
    AddChunk(tooFar, {0x02, 'a', 0x00, 0x30}, true);
    EXPECT_FALSE(DecompressLznt1(tooFar, out));
    // Back-reference as the first token.
    ByteVector first;
    AddChunk(first, {0x01, 0x00, 0x00}, true);
    EXPECT_FALSE(DecompressLznt1(first, out));
    // Length running past 4096 bytes.
    ByteVector tooLong;
    AddChunk(tooLong, RepeatingChunkBody(4096), true);
    tooLong[6] = 0xFF; // length field 0xFFF: 4098 bytes after 3
    EXPECT_FALSE(DecompressLznt1(tooLong, out));
    // Body longer than the input.
    ByteVector cut;
    AddChunk(cut, RepeatingChunkBody(4096), true);
    cut.pop_back();
    EXPECT_FALSE(DecompressLznt1(cut, out));
    // A token cut in half at the end of the body.
    ByteVector half;
    AddChunk(half, {0x08, 'a', 'b', 'c', 0xFA}, true);
    EXPECT_FALSE(DecompressLznt1(half, out));
}

TEST(Lznt1, OutputSmallerThanTheStreamIsClipped) {
    ByteVector stream;
    AddChunk(stream, RepeatingChunkBody(4096), true);
    AddChunk(stream, RepeatingChunkBody(4096), true);
    ByteVector out(100);
    ASSERT_TRUE(DecompressLznt1(stream, out));
    EXPECT_EQ(Text(out, 96, 4), "abca");
    EXPECT_TRUE(DecompressLznt1({}, out)); // nothing stored: zeros
    EXPECT_EQ(out[0], 0);
}
