// The tag summary on hand-built tags: the exact text for the edge cases of the genre
// rules, the comment rules and the version 1 fallback.

#include "viewers/core/Mp3Summary.h"

#include "viewers/core/Mp3Genre.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vantrel;

namespace {

using ByteVector = std::vector<std::uint8_t>;

void Append(ByteVector& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

// A version 2.3/2.4 frame: id, 4-byte big-endian size, two flag bytes, payload.
ByteVector Frame(std::string_view id, const ByteVector& payload, std::uint32_t claimedSize = 0) {
    ByteVector frame;
    Append(frame, id);
    const std::uint32_t size =
        claimedSize ? claimedSize : static_cast<std::uint32_t>(payload.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        frame.push_back(static_cast<std::uint8_t>(size >> shift));
    frame.insert(frame.end(), {0, 0});
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

ByteVector Text(std::uint8_t encoding, std::string_view text) {
    ByteVector payload{encoding};
    Append(payload, text);
    return payload;
}

ByteVector Tag(std::uint8_t major, const std::vector<ByteVector>& frames,
               std::size_t padding = 16) {
    ByteVector body;
    for (const auto& frame : frames)
        body.insert(body.end(), frame.begin(), frame.end());
    body.resize(body.size() + padding, 0);
    ByteVector file = {'I', 'D', '3', major, 0, 0};
    const auto size = static_cast<std::uint32_t>(body.size());
    for (int shift = 21; shift >= 0; shift -= 7)
        file.push_back(static_cast<std::uint8_t>((size >> shift) & 0x7F));
    file.insert(file.end(), body.begin(), body.end());
    file.resize(file.size() + 200, 0xAA); // audio
    return file;
}

std::u16string Summary(ByteVector file) {
    MemoryEntryReader reader(std::move(file));
    return Mp3TagSummary(reader);
}

std::u16string V2(const std::u16string& title, const std::u16string& genre = u"-",
                  const std::u16string& comment = u"-") {
    return u"\r\n♪ MP3 タグ情報 ♪\r\n\r\nタイトル： " + title +
           u"\r\nアーティスト： -\r\nアルバムのタイトル： -\r\n年： -\r\nトラック番号： -\r\n"
           u"ディスク番号： -\r\nジャンル： " +
           genre + u"\r\nコメント： " + comment + u"\r\n";
}

ByteVector V1Block(std::uint8_t byte125, std::uint8_t byte126, std::uint8_t genre) {
    ByteVector file(300, 0x11);
    ByteVector block(128, 0);
    Append(block, "");
    std::copy_n("TAG", 3, block.begin());
    std::copy_n("Song", 4, block.begin() + 3);
    std::copy_n("1999", 4, block.begin() + 93);
    for (int i = 97; i < 125; ++i)
        block[static_cast<std::size_t>(i)] = 'c';
    block[125] = byte125;
    block[126] = byte126;
    block[127] = genre;
    file.insert(file.end(), block.begin(), block.end());
    return file;
}

} // namespace

TEST(Mp3Genre, ConversionFollowsTheDigitCountRule) {
    EXPECT_EQ(ConvertMp3Genre(u"(17)"), u"Rock");
    EXPECT_EQ(ConvertMp3Genre(u"(17)Rock"), u"Rock");
    EXPECT_EQ(ConvertMp3Genre(u"(017)"), u"(017)");
    EXPECT_EQ(ConvertMp3Genre(u"Rock"), u"Rock");
    EXPECT_EQ(ConvertMp3Genre(u"(255)"), u"Anime(J)");
    EXPECT_EQ(ConvertMp3Genre(u"(200)"), u"-");
    EXPECT_EQ(ConvertMp3Genre(u"(0)"), u"Blues");
    EXPECT_EQ(ConvertMp3Genre(u"(x)"), u"(x)");
    EXPECT_EQ(ConvertMp3Genre(u"(1000)"), u"(1000)");
    EXPECT_EQ(ConvertMp3Genre(u")(12"), u")(12");
    EXPECT_EQ(Mp3GenreName(147), u"Synthpop");
    EXPECT_EQ(Mp3GenreName(148), u"-");
    EXPECT_EQ(Mp3GenreName(248), u"Heavy Rock(J)");
}

TEST(Mp3Summary, Version2FramesWithGenreAndEncodings) {
    // Encoding 3 is UTF-8 and encoding 2 UTF-16 big-endian: both decoded as what they are.
    EXPECT_EQ(
        Summary(Tag(3, {Frame("TIT2", Text(3, "\xE6\x9B\xB2")), Frame("TCON", Text(0, "(17)"))})),
        V2(u"曲", u"Rock"));
    EXPECT_EQ(Summary(Tag(4, {Frame("TIT2", ByteVector{2, 0x66, 0xF2, 0, 0x41})})), V2(u"曲A"));
    // Encoding 1 with a little-endian mark; encoding 0 in the code page (Shift-JIS).
    EXPECT_EQ(Summary(Tag(3, {Frame("TIT2", ByteVector{1, 0xFF, 0xFE, 0xF2, 0x66, 0, 0, 'x', 0})})),
              V2(u"曲"));
    EXPECT_EQ(Summary(Tag(3, {Frame("TIT2", Text(0, "\x8B\xC8"))})), V2(u"曲"));
    // Version 2.2: three-letter identifiers and three-byte sizes.
    ByteVector tt2 = {'T', 'T', '2', 0, 0, 4, 0, 'a', 'b', 'c'};
    EXPECT_EQ(Summary(Tag(2, {tt2})), V2(u"abc"));
}

TEST(Mp3Summary, CommentsSkipITunesDescriptionsInEveryEncoding) {
    ByteVector itunes = {0, 'e', 'n', 'g'};
    Append(itunes, std::string("iTunNORM\0 000", 13));
    ByteVector real = {0, 'e', 'n', 'g'};
    Append(real, std::string("\0\0hello", 7));
    EXPECT_EQ(Summary(Tag(3, {Frame("COMM", itunes), Frame("COMM", real)})),
              V2(u"-", u"-", u"hello"));

    // UTF-16 description "iTun" ends at a zero unit, not at the zero high byte of "i".
    ByteVector wide = {1,   'e', 'n', 'g', 0xFF, 0xFE, 'i',  0,    'T', 0,
                       'u', 0,   'n', 0,   0,    0,    0xFF, 0xFE, 'x', 0};
    ByteVector wideReal = {1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'o', 0, 'k', 0};
    EXPECT_EQ(Summary(Tag(3, {Frame("COMM", wide), Frame("COMM", wideReal)})),
              V2(u"-", u"-", u"ok"));
}

TEST(Mp3Summary, HostileFramesEndCleanly) {
    // A frame claiming 4 GB inside a small tag, and a tag larger than the file.
    const auto huge = Summary(Tag(3, {Frame("TIT2", Text(0, "abc"), 0x00FFFFFF)}));
    EXPECT_EQ(huge, V2(u"abc"));
    ByteVector tooLarge = Tag(3, {Frame("TIT2", Text(0, "abc"))});
    tooLarge[6] = 0x7F;
    EXPECT_EQ(Summary(tooLarge), u"\r\n\r\n タグ情報が取得できませんでした。\r\n");
    // Frames present but none of the eight: falls back to version 1, absent here.
    EXPECT_EQ(Summary(Tag(3, {Frame("TXXX", Text(0, "x"))})),
              u"\r\n\r\n タグ情報が取得できませんでした。\r\n");
}

TEST(Mp3Summary, Version1Block) {
    EXPECT_EQ(Summary(V1Block(0, 0, 148)),
              u"\r\nMP3 タグ情報\r\n\r\nタイトル： Song\r\nアーティスト： -\r\n"
              u"アルバムのタイトル： -\r\n年： 1999\r\nトラック番号： 0\r\nジャンル： -\r\n"
              u"コメント： " +
                  std::u16string(28, u'c') + u"\r\n");
    // Without the zero at 125 the comment is 30 bytes and there is no track line.
    const auto noTrack = Summary(V1Block('d', 'e', 17));
    EXPECT_EQ(noTrack.find(u"トラック番号"), std::u16string::npos);
    EXPECT_NE(
        noTrack.find(u"ジャンル： Rock\r\nコメント： " + std::u16string(28, u'c') + u"de\r\n"),
        std::u16string::npos);
    // The probe takes "tag" in lower case; the summary wants "TAG".
    ByteVector lower = V1Block(0, 1, 1);
    std::copy_n("tag", 3, lower.end() - 128);
    MemoryEntryReader reader(lower);
    EXPECT_TRUE(LooksLikeMp3(reader));
    EXPECT_EQ(Mp3TagSummary(reader), u"\r\n\r\n タグ情報が取得できませんでした。\r\n");
}
