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
