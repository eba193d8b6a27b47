#include "platform/CodePage.h"

#include "platform/Utf.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vantrel;

namespace {

std::vector<std::uint8_t> B(std::initializer_list<int> bytes) {
    std::vector<std::uint8_t> out;
    for (int b : bytes)
        out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

std::string Bytes(const std::string& s) {
    return s;
}

// Restores the default code page whatever a test chose.
class CodePageTest : public ::testing::Test {
protected:
    void TearDown() override { SetAnsiCodePage("CP932"); }
};

} // namespace

TEST_F(CodePageTest, ShiftJisNamesDecodeAndRoundTrip) {
    EXPECT_EQ(AnsiCodePage(), "CP932");
    // 写真.JPG, ﾃｽﾄ (half-width katakana, single bytes), ～ (CP932's own mapping of 0x8160)
    const auto photo = B({0x8E, 0xCA, 0x90, 0x5E, '.', 'J', 'P', 'G'});
    EXPECT_EQ(DecodeAnsi(photo), u"写真.JPG");
    EXPECT_EQ(DecodeAnsi(B({0xC3, 0xBD, 0xC4})), u"ﾃｽﾄ");
    EXPECT_EQ(DecodeAnsi(B({0x81, 0x60})), u"～");

    for (const std::u16string& text :
         {std::u16string(u"写真.JPG"), std::u16string(u"はじめにお読みください.txt"),
          std::u16string(u"ﾃｽﾄ～①Ⅲ㈱"), std::u16string(u"ASCII only")}) {
        const std::string encoded = EncodeAnsi(text);
        const std::vector<std::uint8_t> bytes(encoded.begin(), encoded.end());
        EXPECT_EQ(DecodeAnsi(bytes), text) << ToUtf8(text);
    }
    EXPECT_EQ(EncodeAnsi(u"写真"), Bytes("\x8E\xCA\x90\x5E"));
}

TEST_F(CodePageTest, InvalidBytesCostOnlyThemselves) {
    // A lone trail-less lead byte at the end, a lead byte followed by a byte that cannot
    // trail, and bytes that are no character in CP932 at all.
    EXPECT_EQ(DecodeAnsi(B({'A', 0x81})), u"A\uFFFD");
    EXPECT_EQ(DecodeAnsi(B({0x81, ' ', 'B'})), u"\uFFFD B");
    EXPECT_EQ(DecodeAnsi(B({0xFD, 'x', 0xFF})), u"\uFFFDx\uFFFD");
    // Ordinary text after garbage is still decoded.
    EXPECT_EQ(DecodeAnsi(B({0x85, 0x40, 0x8E, 0xCA})), u"\uFFFD@写");
    EXPECT_EQ(DecodeAnsi({}), u"");

    // Every two-byte sequence decodes to something without aborting, and the output
    // never has more characters than there were bytes.
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; trail += 7) {
            const auto bytes = B({lead, trail});
            const std::u16string text = DecodeAnsi(bytes);
            ASSERT_FALSE(text.empty());
            ASSERT_LE(text.size(), 2u);
        }
    }
}

TEST_F(CodePageTest, UnmappableCharactersEncodeAsQuestionMarks) {
    EXPECT_EQ(EncodeAnsi(u"a\u00E9b"), "a?b");                // é has no CP932 code
    EXPECT_EQ(EncodeAnsi(u"x\U0001F600y"), "x?y");            // a pair becomes one '?'
    EXPECT_EQ(EncodeAnsi(std::u16string(1, u'\xD800')), "?"); // unpaired surrogate
}

TEST_F(CodePageTest, LeadBytesFollowTheChosenCodePage) {
    EXPECT_TRUE(IsAnsiLeadByte(0x81));
    EXPECT_TRUE(IsAnsiLeadByte(0xE5));
    EXPECT_TRUE(IsAnsiLeadByte(0xFC));
    EXPECT_FALSE(IsAnsiLeadByte(0xA0));
    EXPECT_FALSE(IsAnsiLeadByte(0xB1)); // half-width katakana stand alone
    EXPECT_FALSE(IsAnsiLeadByte('A'));

    SetAnsiCodePage("CP1252");
    EXPECT_FALSE(IsAnsiLeadByte(0x81));
    EXPECT_EQ(DecodeAnsi(B({'c', 'a', 'f', 0xE9})), u"café");
    EXPECT_EQ(EncodeAnsi(u"café"), Bytes("caf\xE9"));

    // Plain ASCII skips the conversion only where the page maps it to itself.
    SetAnsiCodePage("SHIFT_JIS");
    EXPECT_EQ(DecodeAnsi(B({'C', ':', 0x5C, 'A', '~'})), u"C:\u00A5A\u203E");
    SetAnsiCodePage("CP932");
    EXPECT_EQ(DecodeAnsi(B({'C', ':', 0x5C, 'A', '~'})), u"C:\\A~");

    // Another double-byte page is handled through iconv's own knowledge of it.
    SetAnsiCodePage("CP949");
    EXPECT_TRUE(IsAnsiLeadByte(0xB0));
    EXPECT_EQ(DecodeAnsi(B({0xB0, 0xA1})), u"가");

    // An unknown code page never aborts: ASCII passes, the rest is replaced.
    SetAnsiCodePage("NO-SUCH-CODEPAGE");
    EXPECT_EQ(DecodeAnsi(B({'o', 'k', 0x90})), u"ok\uFFFD");
    EXPECT_EQ(EncodeAnsi(u"ok写"), "ok?");
}
