// The HTML test and the sanitiser: each rule on a short page, asserting the exact text
// (positions never move, so every removed unit is a space).

#include "viewers/core/HtmlSanitizer.h"

#include <gtest/gtest.h>
#include <string>

using namespace vantrel;

namespace {

std::u16string Sanitized(std::u16string text) {
    EXPECT_TRUE(SanitizeHtml(text)) << "sanitising failed";
    return text;
}

std::optional<std::u16string> Prepared(std::string_view bytes) {
    return PrepareHtmlPreview(
        Bytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

} // namespace

TEST(HtmlSanitizer, HtmlTestWantsOnlyTagsBeforeTheHtmlTag) {
    EXPECT_EQ(TestHtmlText(u"\uFEFF<!DOCTYPE html>\r\n<html>"), HtmlTestResult::html);
    EXPECT_EQ(TestHtmlText(u"\uFEFFHello<html>"), HtmlTestResult::notHtml);
    EXPECT_EQ(TestHtmlText(u"<HTML>"), HtmlTestResult::html);
    EXPECT_EQ(TestHtmlText(u"<Html>"), HtmlTestResult::needMore);
    EXPECT_EQ(TestHtmlText(u"日本<  html>"), HtmlTestResult::html);
    EXPECT_FALSE(Prepared("<Html><body>x</body>"));
    EXPECT_FALSE(Prepared(std::string("<html>\0</html>", 14)));
    EXPECT_FALSE(Prepared("<html><b>x</b"));                       // "<" without ">"
    EXPECT_FALSE(Prepared("<html><!-- never closed <b> </html>")); // unterminated comment
    // UTF-16 with its mark is taken as it is; a zero unit rejects it.
    EXPECT_TRUE(PrepareHtmlPreview(
        Bytes(reinterpret_cast<const std::uint8_t*>("\xFF\xFE<\0h\0t\0m\0l\0>\0"), 14)));
    EXPECT_FALSE(PrepareHtmlPreview(
        Bytes(reinterpret_cast<const std::uint8_t*>("\xFF\xFE<\0h\0t\0m\0l\0>\0\0\0"), 16)));
    // Shift-JIS text becomes UTF-16 behind the byte-order mark.
    EXPECT_EQ(Prepared("<html>\x93\xfa</html>"), u"\uFEFF<html>日</html>");
}

TEST(HtmlSanitizer, ScriptsAreBlankedUpToAClosingTagInOneCase) {
    EXPECT_EQ(Sanitized(u"a<script>x</script>b"), u"a                  b");
    EXPECT_EQ(Sanitized(u"a<SCRIPT>x<b>y</SCRIPT>b"), u"a                      b");
    EXPECT_EQ(Sanitized(u"a<script>x</Script>b<p>"), u"a                      ");
}

TEST(HtmlSanitizer, AttributesOfAllowedTagsAreFiltered) {
    EXPECT_EQ(Sanitized(u"<font color=red size=3 onclick=x>"),
              u"<font color=red size=3          >");
    EXPECT_EQ(Sanitized(u"<a href=x>"), u"<a       >");
    EXPECT_EQ(Sanitized(u"<FONT COLOR=\"Dark Red\" Face = x>"),
              u"<FONT color=\"dark red\" face = x>");
    // "color" inside "bgcolor" does not count: only the first occurrence is looked at.
    EXPECT_EQ(Sanitized(u"<body bgcolor=1 color=2>"), u"<body bgcolor=1        >");
    EXPECT_EQ(Sanitized(u"<td nowrap>"), u"<td       >");
    EXPECT_EQ(Sanitized(u"<td nowrap >"), u"<td nowrap >");
    EXPECT_EQ(Sanitized(u"<img src=x.png alt=a>"), u"<img           alt=a>");
    EXPECT_EQ(Sanitized(u"<!DOCTYPE html PUBLIC>"), u"<!DOCTYPE html PUBLIC>");
    EXPECT_EQ(Sanitized(u"a < b > c"), u"a < b > c");
}

TEST(HtmlSanitizer, UnknownElementsCommentsAndPlainLessThan) {
    EXPECT_EQ(Sanitized(u"<iframe src=x></iframe>z"), u"                       z");
    EXPECT_EQ(Sanitized(u"<object>abc<param>"), u"        abc       ");
    EXPECT_EQ(Sanitized(u"<!-- <script>x</script> -- >y"), u"<!-- <script>x</script> -- >y");
    EXPECT_EQ(Sanitized(u"1 <3 and 2<=5 <b>"), u"1 <3 and 2<=5 <b>");
    // A quoted "<" in single quotes: the tag runs on to the ">" after the closing quote.
    EXPECT_EQ(Sanitized(u"<p title='<x>' align=left>t"), u"<p             align=left>t");
}

TEST(HtmlSanitizer, HostileTextStaysLinearAndInBounds) {
    std::u16string many(200000, u'<');
    many += u">";
    EXPECT_TRUE(SanitizeHtml(many));
    std::u16string digits;
    for (int i = 0; i < 50000; ++i)
        digits += u"<1";
    digits += u">";
    EXPECT_TRUE(SanitizeHtml(digits));
    std::u16string open = u"<html>" + std::u16string(100000, u'<');
    EXPECT_FALSE(SanitizeHtml(open));
}
