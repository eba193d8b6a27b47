// The RTF reader on documents written the way word processors write them, and on
// hostile ones.

#include "viewers/core/RtfReader.h"

#include <gtest/gtest.h>
#include <string>

using namespace vantrel;

namespace {

RtfDocument Read(std::string_view text) {
    return ReadRtf(Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace

TEST(RtfReader, JapaneseFontsColoursAndParagraphs) {
    const RtfDocument document =
        Read("{\\rtf1\\ansi\\ansicpg932\\deff0"
             "{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}"
             "{\\f1\\fswiss\\fcharset0 Arial;}}"
             "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
             "{\\*\\generator Writer;}{\\info{\\title secret}}"
             "\\pard\\qc\\f0\\fs32\\cf1\\b \\'93\\'fa\\'96\\'7b\\b0 \\par"
             "\\pard\\f1\\fs20\\cf2\\i caf\\'e9 \\u26085?\\uc2\\u26412\\'96\\'7b\\line x\\tab y "
             "{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}"
             "{\\pict\\pngblip 89504e47}\\par}");
    ASSERT_EQ(document.paragraphs.size(), 2u);
    const RtfParagraph& first = document.paragraphs[0];
    EXPECT_EQ(first.alignment, RtfAlignment::center);
    ASSERT_EQ(first.runs.size(), 1u);
    EXPECT_EQ(first.runs[0].text, u"日本");
    EXPECT_TRUE(first.runs[0].format.bold);
    EXPECT_EQ(first.runs[0].format.halfPoints, 32);
    EXPECT_EQ(first.runs[0].format.color, 0xFF0000u);
    EXPECT_EQ(first.runs[0].format.fontName, u"ＭＳ 明朝");

    const RtfParagraph& second = document.paragraphs[1];
    EXPECT_EQ(second.alignment, RtfAlignment::left);
    EXPECT_EQ(second.runs[0].format.fontName, u"Arial");
    EXPECT_TRUE(second.runs[0].format.italic);
    EXPECT_EQ(second.runs[0].format.color, 0x0000FFu);
    EXPECT_EQ(RtfPlainText(document), u"日本\ncafé 日本\nx\ty link");
}

TEST(RtfReader, HostileInputEndsCleanly) {
    std::string deep = "{\\rtf1 a";
    deep += std::string(100000, '{') + "b" + std::string(100000, '}') + "c}";
    EXPECT_EQ(RtfPlainText(Read(deep)), u"ac");
    EXPECT_EQ(RtfPlainText(Read("{\\rtf1 x\\'4")), u"x4");
    EXPECT_EQ(RtfPlainText(Read("}}{\\rtf1 \\u-3913?\\bin99999999 zz")), u"\uF0B7");
    EXPECT_EQ(
        RtfPlainText(Read("{\\rtf1 \\abcdefghijklmnopqrstuvwxyzabcdefghijk12345678901234 y}")),
        u"y");
}
