// tree, ls and cat run as a user would run them, on the partition-walk fixture images.

#include "CliRunner.h"
#include "Fixtures.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

using namespace vantrel::testing;
namespace fs = std::filesystem;

namespace {

using vantrel::testing::CliRun;

std::string Quote(const std::string& text) {
    return vantrel::testing::ShellQuote(text);
}

CliRun Cli(const std::string& arguments) {
    return vantrel::testing::RunCliLine(arguments, "TZ=UTC ");
}

fs::path Image(const std::string& script) {
    for (const char* tool : {"sfdisk", "mkfs.fat", "mcopy", "mkntfs", "ntfscp"})
        if (!HaveTool(tool) && !HaveTool(std::string("/usr/sbin/") + tool))
            return {};
    return BuildFixture(script, script.substr(0, script.size() - 3) + ".img");
}

// The value of a field of one JSON line: a string's text (escapes kept as written) or
// the literal of a number, boolean or null.
std::string Field(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const std::size_t at = line.find(key);
    if (at == std::string::npos)
        return "<missing>";
    std::size_t pos = at + key.size();
    if (pos < line.size() && line[pos] == '"') {
        std::string text;
        for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
            if (line[pos] == '\\' && pos + 1 < line.size())
                text += line[pos++];
            text += line[pos];
        }
        return text;
    }
    const std::size_t end = line.find_first_of(",}", pos);
    return line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string ExpectedBytes(const std::string& sourceName, std::size_t size) {
    std::string bytes;
    const std::string line = sourceName + "\n";
    while (bytes.size() < size)
        bytes += line[bytes.size() % line.size()];
    return bytes;
}

} // namespace

TEST(BrowseCommands, LsRecursiveJsonListsExactlyTheFilesPutThereAndCatReturnsTheirBytes) {
    const fs::path image = Image("part-multi.sh");
    if (image.empty())
        GTEST_SKIP() << "image tools missing";
    const CliRun ls = Cli("ls " + Quote(image.string()) + " -r --json");
    ASSERT_EQ(ls.status, 0) << ls.err;

    // path relative to the volume root -> (size, deleted, source name for the bytes)
    struct Want {
        std::string size;
        std::string deleted;
        std::string source;
    };
    const std::map<std::string, Want> expected = {
        {"既存のフォルダ[PRIMARY16]/README.TXT", {"1300", "false", "readme.txt"}},
        {"既存のフォルダ[PRIMARY16]/Long File Name.text", {"5000", "false", "Long File Name.text"}},
        {"既存のフォルダ[PRIMARY16]/EMPTY.DAT", {"0", "false", "empty.dat"}},
        {"既存のフォルダ[PRIMARY16]/_RASED.TXT", {"900", "true", "erased.txt"}},
        {"既存のフォルダ[PRIMARY16]/DOCS/NOTES.TXT", {"700", "false", "notes.txt"}},
        {"既存のフォルダ[PRIMARY16]/DOCS/INNER/DEEP.BIN", {"2048", "false", "deep.bin"}},
        {"既存のフォルダ[PRIMARY16]/_LDDIR/_LDFILE.TXT", {"1500", "true", "oldfile.txt"}},
        {"既存のフォルダ[PRIMARYNT]/ntfs file.txt", {"3000", "false", "ntfs file.txt"}},
        {"既存のフォルダ[PRIMARYNT]/tiny.txt", {"40", "false", "tiny.txt"}},
        {"既存のフォルダ[PRIMARYNT]/big.bin", {"70000", "false", "big.bin"}},
        {"既存のフォルダ[LOGICAL16]/FIRST.TXT", {"100", "false", "first.txt"}},
        {"既存のフォルダ[LOGICAL32]/THIRTY2.TXT", {"512", "false", "thirty-two.txt"}},
        {"既存のフォルダ[LOGICAL32]/_ONE32.TXT", {"777", "true", "gone32.txt"}},
        {"既存のフォルダ[LOGICAL32]/PHOTOS/PICTURE.JPG", {"12345", "false", "picture.jpg"}},
        {"既存のフォルダ[LOGICALNT]/last.txt", {"4097", "false", "last.txt"}},
    };
    std::map<std::string, std::string> idOf;
    for (const std::string& line : Lines(ls.out)) {
        if (Field(line, "type") != "file")
            continue;
        const std::string path = Field(line, "path");
        const std::size_t root = path.find("既存のフォルダ[");
        ASSERT_NE(root, std::string::npos) << line;
        const std::string relative = path.substr(root);
        const auto want = expected.find(relative);
        ASSERT_NE(want, expected.end()) << "unexpected file " << line;
        EXPECT_EQ(Field(line, "size"), want->second.size) << line;
        EXPECT_EQ(Field(line, "deleted"), want->second.deleted) << line;
        EXPECT_TRUE(idOf.emplace(relative, Field(line, "id")).second) << "listed twice: " << line;
        if (want->second.deleted == "true") {
            EXPECT_EQ(Field(line, "condition"), "5") << line;
        }
        if (relative == "既存のフォルダ[PRIMARY16]/README.TXT") {
            EXPECT_EQ(Field(line, "modified"), "2021-03-04T05:06:08+00:00");
            EXPECT_EQ(Field(line, "condition_text"), "とても良い");
            EXPECT_EQ(Field(line, "accessed"), "2021-03-04T00:00:00+00:00");
        }
    }
    EXPECT_EQ(idOf.size(), expected.size());

    for (const auto& [relative, want] : expected) {
        SCOPED_TRACE(relative);
        const auto id = idOf.find(relative);
        if (id == idOf.end())
            continue;
        const CliRun cat = Cli("cat " + Quote(image.string()) + " " + id->second);
        EXPECT_EQ(cat.status, 0) << cat.err;
        EXPECT_TRUE(cat.out == ExpectedBytes(want.source, std::stoul(want.size)));
    }

    // FAT times are local: east of UTC they keep their fields and carry the zone's offset.
    const auto readme = idOf.find("既存のフォルダ[PRIMARY16]/README.TXT");
    ASSERT_NE(readme, idOf.end());
    const CliRun tokyo = vantrel::testing::RunCliLine(
        "ls " + Quote(image.string()) + " " + readme->second + " --json", "TZ=Asia/Tokyo ");
    EXPECT_EQ(Field(tokyo.out, "modified"), "2021-03-04T05:06:08+09:00") << tokyo.out;
    // West of UTC, off the hour: the sign and the minutes of the offset.
    const CliRun newfoundland = vantrel::testing::RunCliLine(
        "ls " + Quote(image.string()) + " " + readme->second + " --json", "TZ=NST3:30 ");
    EXPECT_EQ(Field(newfoundland.out, "modified"), "2021-03-04T05:06:08-03:30") << newfoundland.out;
}

TEST(BrowseCommands, TreeShowsIdPathsAndFiltersAndDisplayPathsWork) {
    const fs::path image = Image("part-multi.sh");
    if (image.empty())
        GTEST_SKIP() << "image tools missing";
    const CliRun tree = Cli("tree " + Quote(image.string()));
    ASSERT_EQ(tree.status, 0) << tree.err;
    EXPECT_NE(tree.out.find("\n  1  パーティション(FAT16)\n    1/0  スキャン結果\n"
                            "    1/1  既存のフォルダ[PRIMARY16]\n"),
              std::string::npos)
        << tree.out;
    EXPECT_NE(tree.out.find("\n    3/2  論理ドライブ\n      3/2/0  スキャン結果\n"
                            "      3/2/1  パーティション(FAT32)\n"),
              std::string::npos)
        << tree.out;
    EXPECT_EQ(tree.out.find("DOCS"), std::string::npos) << "folders belong to ls";

    const CliRun filtered =
        Cli("ls " + Quote(image.string()) + " 1/1 -r --json --no-deleted --include '*.bin;*.TXT'");
    ASSERT_EQ(filtered.status, 0) << filtered.err;
    std::vector<std::string> names;
    for (const std::string& line : Lines(filtered.out))
        if (Field(line, "type") == "file")
            names.push_back(Field(line, "name"));
    EXPECT_EQ(names, (std::vector<std::string>{"DEEP.BIN", "NOTES.TXT", "README.TXT"}));

    // The NTFS metadata files only show when the default exclude list is turned off.
    const CliRun ntfs = Cli("ls " + Quote(image.string()) + " 2/1 --json");
    EXPECT_EQ(ntfs.out.find("$MFT"), std::string::npos);
    const CliRun all = Cli("ls " + Quote(image.string()) + " 2/1 --json --no-exclude");
    EXPECT_NE(all.out.find("\"name\":\"$MFT\""), std::string::npos);

    const CliRun byName = Cli("cat " + Quote(image.string()) +
                              " 'パーティション(FAT16)/既存のフォルダ[PRIMARY16]/DOCS/NOTES.TXT'");
    EXPECT_EQ(byName.status, 0) << byName.err;
    EXPECT_EQ(byName.out, ExpectedBytes("notes.txt", 700));

    // The drive's own name holds "/" (it shows the source path); a full path still resolves.
    const CliRun fromDrive =
        Cli("cat " + Quote(image.string()) + " " +
            Quote("ハードディスク(" + image.string() +
                  ")/パーティション(NTFS)/既存のフォルダ[PRIMARYNT]/tiny.txt"));
    EXPECT_EQ(fromDrive.status, 0) << fromDrive.err;
    EXPECT_EQ(fromDrive.out, ExpectedBytes("tiny.txt", 40));

    const CliRun missing = Cli("cat " + Quote(image.string()) + " 1/1/99");
    EXPECT_NE(missing.status, 0);
    EXPECT_FALSE(missing.err.empty());
}

TEST(BrowseCommands, CatReportsAReadFailureAndLoopsEndPromptly) {
    // A partition image cut short (as a failing copy leaves it): the file is still listed,
    // but its data past the cut cannot be read, and cat must say so.
    const fs::path image = Image("part-bare-ntfs.sh");
    if (image.empty())
        GTEST_SKIP() << "image tools missing";
    const fs::path cut = ScratchDir("cli-cut") / "cut.img";
    fs::copy_file(image, cut);
    fs::resize_file(cut, 2000 * 512);
    std::string id;
    for (const std::string& line : Lines(Cli("ls " + Quote(cut.string()) + " --json").out))
        if (Field(line, "name") == "bare.bin")
            id = Field(line, "id");
    ASSERT_FALSE(id.empty());
    const CliRun cat = Cli("cat " + Quote(cut.string()) + " " + id);
    EXPECT_EQ(cat.status, 1);
    EXPECT_NE(cat.err.find("読み込みに失敗しました"), std::string::npos) << cat.err;
    const CliRun whole = Cli("cat " + Quote(image.string()) + " " + id);
    EXPECT_EQ(whole.status, 0);
    EXPECT_TRUE(whole.out == ExpectedBytes("bare.bin", 300000));

    // A FAT file whose clusters run past the end of a cut image is cut to what is there
    // and rated "とても悪い", so reading it succeeds with the bytes that exist.
    const fs::path floppy = Image("part-superfloppy.sh");
    const fs::path cutFloppy = ScratchDir("cli-cut-floppy") / "cut.img";
    fs::copy_file(floppy, cutFloppy);
    fs::resize_file(cutFloppy, 38 * 512);
    bool seen = false;
    for (const std::string& line : Lines(Cli("ls " + Quote(cutFloppy.string()) + " --json").out)) {
        if (Field(line, "name") != "FLOPPY.TXT")
            continue;
        seen = true;
        EXPECT_EQ(Field(line, "size"), "2048");
        EXPECT_EQ(Field(line, "condition"), "6");
    }
    EXPECT_TRUE(seen);

    const fs::path loop = Image("part-loop.sh");
    const CliRun tree = Cli("tree " + Quote(loop.string()));
    EXPECT_EQ(tree.status, 0);
    EXPECT_NE(tree.out.find("1/2  論理ドライブ"), std::string::npos) << tree.out;
    EXPECT_EQ(tree.out.find("1/3"), std::string::npos) << tree.out;

    const CliRun self = Cli("ls " + Quote(Image("part-multi.sh").string()) + " -r");
    EXPECT_EQ(self.status, 0);
    EXPECT_NE(self.out.find("LOOP/"), std::string::npos);
    EXPECT_EQ(self.out.find("LOOP/SELF"), std::string::npos);
}
