#include "platform/Utf.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(Utf, RoundTripsEveryPlane) {
    const std::u16string text = u"A\u00E9\u5199\u771F\U0001F4F7\uFFFD";
    const std::string utf8 = ToUtf8(text);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE5\x86\x99\xE7\x9C\x9F\xF0\x9F\x93\xB7\xEF\xBF\xBD");
    EXPECT_EQ(FromUtf8(utf8), text);
}

TEST(Utf, MalformedInputBecomesReplacementCharacters) {
    // Unpaired surrogates from a damaged name on disk.
    EXPECT_EQ(ToUtf8(std::u16string{u'a', u'\xD800'}), "a\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8(std::u16string{u'\xDC00', u'b'}), "\xEF\xBF\xBD"
                                                       "b");
    EXPECT_EQ(ToUtf8(std::u16string{u'\xD800', u'\xD800', u'\xDC00'}),
              "\xEF\xBF\xBD\xF0\x90\x80\x80");

    // Truncated sequence, stray continuation byte, overlong '/', encoded surrogate, a
    // code point above U+10FFFF, and bytes that never start a sequence.
    EXPECT_EQ(FromUtf8("\xE5\x86"), u"\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8("\x80x"), u"\uFFFDx");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8("\xFF\xFEok"), u"\uFFFD\uFFFDok");
    // A sequence cut off at the end of the text does not read past it.
    EXPECT_EQ(FromUtf8(std::string_view("\xF0\x9F\x93\xB7", 3)), u"\uFFFD\uFFFD\uFFFD");
}
