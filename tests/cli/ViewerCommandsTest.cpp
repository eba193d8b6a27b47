// dump and preview on files put into a FAT image: the exact lines a script reads.

#include "CliRunner.h"
#include "Fixtures.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel::testing;
namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A FAT16 image holding a.txt (Shift-JIS), p.htm and an MP3 block; empty when the tools
// are missing.
fs::path ViewerImage() {
    if (!HaveTool("mcopy") || !(HaveTool("mkfs.fat") || HaveTool("/usr/sbin/mkfs.fat")))
        return {};
    const fs::path dir = ScratchDir("viewer-commands");
    Write(dir / "a.txt", "\x82\xa0\x82\xa2 hello sjis 0123456789\x93\xfa\x96\x7b\x8c\xea");
    Write(dir / "p.htm", "<html><body onload=x><script>alert(1)</script><b>hi</b></body></html>");
    std::string mp3(200, 'x');
    mp3 += std::string("TAG") + std::string("Song").append(26, '\0') + std::string(60, '\0') +
           "1999" + std::string(28, 'c') + std::string("\0\x05\x11", 3);
    Write(dir / "s.mp3", mp3);
    std::string log;
    for (int line = 0; log.size() < (5u << 20); ++line)
        log += "line " + std::to_string(line) + "\n";
    Write(dir / "big.log", log);
    const fs::path image = dir / "viewers.img";
    const std::string d = ShellQuote(dir.string());
    const std::string command = "cd " + d +
                                " && rm -f viewers.img && truncate -s 32M viewers.img && " +
                                "PATH=$PATH:/usr/sbin mkfs.fat -F 16 viewers.img >/dev/null && " +
                                "mcopy -i viewers.img a.txt p.htm s.mp3 big.log ::/";
    return RunCommand(command) == 0 ? image : fs::path();
}

} // namespace

TEST(ViewerCommands, DumpPrintsTheWindowLinesInEachTextMode) {
    const fs::path image = ViewerImage();
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat or mtools missing";
    const std::string header =
        "                    +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F\n";
    const CliRun sjis = RunCli({"dump", image.string(), "1/0"});
    ASSERT_EQ(sjis.status, 0) << sjis.err;
    EXPECT_EQ(sjis.out,
              header + "0000000000000000h   82 A0 82 A2 20 68 65 6C 6C 6F 20 73 6A 69 73 20  :   "
                       "あい hello sjis \n"
                       "0000000000000010h   30 31 32 33 34 35 36 37 38 39 93 FA 96 7B 8C EA  :   "
                       "0123456789日本語\n");
    const CliRun ascii = RunCli(
        {"dump", image.string(), "1/0", "--text", "ascii", "--offset", "17", "--length", "1"});
    ASSERT_EQ(ascii.status, 0) << ascii.err;
    EXPECT_EQ(ascii.out,
              header + "0000000000000010h   30 31 32 33 34 35 36 37 38 39 93 FA 96 7B 8C EA  :   "
                       "0123456789...{..\n");
    EXPECT_EQ(RunCli({"dump", image.string(), "1/0", "--text", "ebcdic"}).status, 2);
}

TEST(ViewerCommands, PreviewPrintsWhatThePaneShows) {
    const fs::path image = ViewerImage();
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat or mtools missing";
    EXPECT_EQ(RunCli({"preview", image.string(), "1/0"}).out, "あい hello sjis 0123456789日本語");
    EXPECT_EQ(RunCli({"preview", image.string(), "1/1", "--json"}).out,
              "{\"kind\":\"html\",\"text\":\"<html><body         >                         "
              "<b>hi</b></body></html>\"}\n");
    const CliRun mp3 = RunCli({"preview", image.string(), "1/2"});
    EXPECT_TRUE(mp3.out.starts_with("\r\nMP3 タグ情報\r\n\r\n"));
    EXPECT_NE(mp3.out.find("トラック番号： 5\r\nジャンル： Rock\r\n"), std::string::npos);

    // Of a large text only whole lines of its first 4 MiB, and the output says so.
    const CliRun big = RunCli({"preview", image.string(), "1/3"});
    ASSERT_EQ(big.status, 0) << big.err;
    EXPECT_TRUE(big.out.starts_with("line 0\nline 1\n"));
    EXPECT_TRUE(big.out.size() <= (4u << 20) && big.out.ends_with("\n"));
    EXPECT_NE(big.err.find("ファイルの先頭 " + std::to_string(big.out.size()) + " バイトだけ"),
              std::string::npos)
        << big.err;
}
