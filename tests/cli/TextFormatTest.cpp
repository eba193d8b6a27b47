#include "cli/TextFormat.h"

#include <gtest/gtest.h>
#include <string>

using namespace vantrel::cli;

// Rows escape their texts piece by piece; each piece, and pieces one after another, must
// come out as the quoted whole does (hostile names included: quotes, backslashes, control
// bytes, DEL, bytes of UTF-8 sequences).
TEST(TextFormat, EscapingInPiecesMatchesTheQuotedString) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        std::string escaped;
        AppendJsonEscaped(escaped, one);
        EXPECT_EQ('"' + escaped + '"', JsonString(one)) << byte;
        all += one;
    }
    const std::string text = "a\"b\\c\td\x01" + all + "名前.txt";
    std::string pieces;
    AppendJsonEscaped(pieces, text.substr(0, 7));
    AppendJsonEscaped(pieces, text.substr(7));
    EXPECT_EQ('"' + pieces + '"', JsonString(text));
}

// Plain runs are skipped a word at a time: an escape in any place of a word, and in the
// tail after the last whole word, must still be found.
TEST(TextFormat, EscapesAreFoundAtEveryPlaceInALongText) {
    for (const char special : {'"', '\\', '\x01', '\x1F', '\x7F'})
        for (std::size_t at = 0; at < 19; ++at) {
            std::string text(19, 'a');
            text[at] = special;
            text.replace(at == 0 ? 1 : 0, 1, "\xC3"); // a byte with the high bit, nearby
            std::string escaped;
            AppendJsonEscaped(escaped, text);
            EXPECT_EQ('"' + escaped + '"', JsonString(text)) << at;
        }
}

TEST(TextFormat, TimeCacheGivesEachTimeItsOwnText) {
    vantrel::cli::JsonTimeCache cache;
    // More distinct times than the cache holds, repeats, unknown, and 0 (which an unused
    // entry also holds).
    const vantrel::FileTime times[] = {0, 86400, std::nullopt, 0, 1, 2, 3, 4, 86400, 0, -1};
    for (const vantrel::FileTime& time : times) {
        std::string text;
        cache.Append(text, time);
        EXPECT_EQ(text, JsonTime(time));
    }
}
