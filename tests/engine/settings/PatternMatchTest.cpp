#include "engine/settings/PatternMatch.h"

#include <gtest/gtest.h>
#include <string>

using namespace vantrel;

TEST(PatternMatch, WildcardsCompareTheWholeName) {
    EXPECT_TRUE(MatchesPattern(u"*.JPG", u"a.jpg"));
    EXPECT_FALSE(MatchesPattern(u"*.JPG", u"a.jpg.txt"));
    EXPECT_FALSE(MatchesPattern(u"*.JPG", u"a.jpgx"));
    EXPECT_TRUE(MatchesPattern(u"*.JPG", u".jpg")); // '*' also matches nothing
    EXPECT_FALSE(MatchesPattern(u"*.JPG", u"jpg"));

    EXPECT_TRUE(MatchesPattern(u"IMG_????.JPG", u"img_0042.jpg"));
    EXPECT_FALSE(MatchesPattern(u"IMG_????.JPG", u"img_042.jpg")); // '?' is exactly one
    EXPECT_FALSE(MatchesPattern(u"IMG_????.JPG", u"img_00420.jpg"));

    // Without a star the name must be exactly the pattern: "$MFT" is not "$MFTMirr",
    // and "." (the root's own name) is not every name with a dot.
    EXPECT_TRUE(MatchesPattern(u"$MFT", u"$mft"));
    EXPECT_FALSE(MatchesPattern(u"$MFT", u"$MFTMirr"));
    EXPECT_FALSE(MatchesPattern(u"$MFT", u"x$MFT"));
    EXPECT_TRUE(MatchesPattern(u".", u"."));
    EXPECT_FALSE(MatchesPattern(u".", u"a.b"));

    EXPECT_TRUE(MatchesPattern(u"*", u""));
    EXPECT_TRUE(MatchesPattern(u"*", u"anything.at.all"));
    EXPECT_TRUE(MatchesPattern(u"", u""));
    EXPECT_FALSE(MatchesPattern(u"", u"a"));
    EXPECT_TRUE(MatchesPattern(u"REPORT*", u"report 2019.doc")); // trailing star
    EXPECT_TRUE(MatchesPattern(u"**a**", u"banana"));
}

TEST(PatternMatch, StarsBacktrackToLaterOccurrences) {
    // The first ".jpg" found is not the end of the name; the star must give it up.
    EXPECT_TRUE(MatchesPattern(u"*.JPG", u"a.jpg.jpg"));
    EXPECT_TRUE(MatchesPattern(u"*.TXT", u"notes.txt.bak.txt"));
    EXPECT_TRUE(MatchesPattern(u"A*B*C", u"aXbYbZc"));
    EXPECT_TRUE(MatchesPattern(u"*AB", u"aaab"));
    EXPECT_TRUE(MatchesPattern(u"*?.JPG", u"x.jpg.jpg"));
    EXPECT_FALSE(MatchesPattern(u"A*B*C", u"aXbYbZ"));
    // Many stars against a long name that fails: bounded work, not exponential.
    EXPECT_FALSE(MatchesPattern(u"*A*A*A*A*A*A*A*A*A*A*B", std::u16string(5000, u'a')));
}

TEST(PatternMatch, CaseIsIgnoredBeyondAscii) {
    EXPECT_TRUE(MatchesPattern(u"*.jpg", u"PHOTO.JPG"));
    EXPECT_TRUE(MatchesPattern(u"ÉTÉ*", u"été 2019.jpg"));
    EXPECT_TRUE(MatchesPattern(u"ФОТО*", u"фото.png"));
    EXPECT_TRUE(MatchesPattern(u"ΣΟΦΙΑ*", u"σοφια.txt"));
    EXPECT_TRUE(MatchesPattern(u"*.ＪＰＧ", u"写真.ｊｐｇ")); // full-width letters
    EXPECT_TRUE(MatchesPattern(u"ŁÓDŹ*", u"łódź.doc"));
    // Japanese has no case; it matches itself only.
    EXPECT_TRUE(MatchesPattern(u"写真*", u"写真.jpg"));
    EXPECT_FALSE(MatchesPattern(u"写真*", u"動画.mp4"));
    EXPECT_EQ(UpperForMatch(u"aÿß1"), u"AŸß1");
}

TEST(PatternMatch, QuestionMarkTakesASurrogatePairAsOneCharacter) {
    EXPECT_TRUE(MatchesPattern(u"?.TXT", u"\U0001F4F7.txt"));
    EXPECT_FALSE(MatchesPattern(u"??.TXT", u"\U0001F4F7.txt"));
}

TEST(PatternList, MatchesWhenAnyPatternDoes) {
    const PatternList list({u"*.JPG", u"*.PNG", u"THUMBS.DB"});
    EXPECT_TRUE(list.Matches(u"a.png"));
    EXPECT_TRUE(list.Matches(u"Thumbs.db"));
    EXPECT_FALSE(list.Matches(u"a.gif"));
    EXPECT_FALSE(PatternList().Matches(u"a.jpg"));
    EXPECT_FALSE(PatternList(std::vector<std::u16string>{}).Matches(u""));
}

// A list whose patterns all start with a plain character skips names that start with
// another one; folding, surrogate pairs, empty names and wildcards must still decide.
TEST(PatternList, FirstCharacterCheckKeepsTheMatchRules) {
    const PatternList literal({u"$MFT", u"ÉTÉ*", u"\U0001F4F7?", u"", u"."});
    EXPECT_TRUE(literal.Matches(u"$mft"));
    EXPECT_TRUE(literal.Matches(u"été.jpg")); // the first character folded
    EXPECT_TRUE(literal.Matches(u"\U0001F4F7a"));
    EXPECT_FALSE(literal.Matches(u"\U0001F4F8a")); // same high surrogate, other character
    EXPECT_TRUE(literal.Matches(u""));             // only the empty pattern matches it
    EXPECT_FALSE(literal.Matches(u"x$MFT"));
    EXPECT_FALSE(literal.Matches(u"\xD83D")); // a lone high surrogate
    const PatternList wild({u"$MFT", u"?.TXT", u"*X"});
    EXPECT_TRUE(wild.Matches(u"\U0001F4F7.txt"));
    EXPECT_TRUE(wild.Matches(u"ax"));
    EXPECT_FALSE(wild.Matches(u""));
    EXPECT_FALSE(PatternList({u"$MFT"}).Matches(u""));
}
