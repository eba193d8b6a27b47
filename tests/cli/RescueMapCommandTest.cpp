// --map: the areas a rescue run could not read, on images built at test time.

#include "CliRunner.h"
#include "Fixtures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using vantrel::testing::BuildFixture;
using vantrel::testing::HaveTool;
using vantrel::testing::ReadFileBytes;
using vantrel::testing::RunCli;
using vantrel::testing::ScratchDir;

namespace {

// A map file that marks the 512-byte sectors holding each of bad as bad ("-"), the rest
// of the image as read.
fs::path WriteMap(const fs::path& dir, std::uint64_t imageBytes, std::vector<std::uint64_t> bad) {
    std::sort(bad.begin(), bad.end());
    std::ostringstream map;
    map << "# Mapfile. made by the test\n0x0 +\n";
    std::uint64_t pos = 0;
    for (const std::uint64_t offset : bad) {
        const std::uint64_t sector = offset / 512 * 512;
        if (sector > pos)
            map << std::hex << "0x" << pos << " 0x" << sector - pos << " +\n";
        map << std::hex << "0x" << sector << " 0x200 -\n";
        pos = sector + 512;
    }
    map << std::hex << "0x" << pos << " 0x" << imageBytes - pos << " +\n";
    const fs::path path = dir / "rescue.map";
    std::ofstream(path) << map.str();
    return path;
}

std::uint64_t OffsetOf(const std::string& image, const std::string& bytes) {
    const std::size_t at = image.find(bytes);
    EXPECT_NE(at, std::string::npos) << bytes;
    return at;
}

// JSON line of ls -r --json whose path ends with name, without its id (ids move when a
// folder goes missing), or "".
std::string LineFor(const std::string& listing, const std::string& name) {
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        const std::size_t id = line.find("/" + name + "\",\"id\"");
        if (id != std::string::npos) {
            const std::size_t from = id + name.size() + 3;
            return line.erase(from, line.find(',', from) - from);
        }
    }
    return {};
}

} // namespace

TEST(RescueMapCommand, UnreadAreasMarkTheFilesTheyTouchAndLeaveTheOthersWhole) {
    if (!HaveTool("mkfs.fat") || !HaveTool("mcopy"))
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path image = BuildFixture("fat16_volume.sh", "fat16_volume.img");
    ASSERT_FALSE(image.empty());
    const std::string bytes = ReadFileBytes(image);
    const fs::path dir = ScratchDir("rescue-map");
    // A sector in the middle of data.bin and the folder cluster of 資料 (SJISDIR).
    const fs::path map = WriteMap(
        dir, bytes.size(), {OffsetOf(bytes, "deep 00000050"), OffsetOf(bytes, "INSIDE  TXT")});

    const auto plain = RunCli({"ls", image.string(), "-r", "--json"});
    const auto mapped = RunCli({"ls", image.string(), "-r", "--json", "--map", map.string()});
    ASSERT_EQ(mapped.status, 0) << mapped.err;
    const std::string damaged = LineFor(mapped.out, "data.bin");
    EXPECT_NE(damaged.find("\"condition\":5,"), std::string::npos) << damaged;
    EXPECT_NE(damaged.find("\"unread_bytes\":512"), std::string::npos) << damaged;
    EXPECT_NE(LineFor(plain.out, "INSIDE.TXT"), "");
    EXPECT_EQ(LineFor(mapped.out, "INSIDE.TXT"), ""); // its folder could not be read
    for (const char* name : {"README.TXT", "FRAGMENT.BIN", "ファイル名テスト.txt"})
        EXPECT_EQ(LineFor(mapped.out, name), LineFor(plain.out, name)) << name;

    const auto info = RunCli({"info", image.string(), "--map", map.string()});
    EXPECT_NE(info.out.find("読めなかったセクタ: 2（1024 バイト）"), std::string::npos) << info.out;

    // Recovered through the map, the untouched files are the same bytes as without it.
    const auto whole =
        RunCli({"recover", image.string(), "--all", "--to", (dir / "whole").string()});
    const auto part = RunCli({"recover", image.string(), "--all", "--to", (dir / "part").string(),
                              "--map", map.string()});
    // data.bin comes back whole but for the unread sector, which is zeros, and says so.
    EXPECT_EQ(part.status, 3) << part.err;
    EXPECT_NE(part.err.find("data.bin（512 バイトは読めなかった領域にあるため 0 で埋めました）"),
              std::string::npos)
        << part.err;
    std::string manifest = ReadFileBytes(dir / "part" / "manifest.jsonl");
    manifest = manifest.substr(manifest.find("data.bin\",\"source\""));
    EXPECT_NE(manifest.find("\"status\":\"partial\",\"expected_size\":12345,\"unread_bytes\":512"),
              std::string::npos)
        << manifest;
    std::size_t compared = 0;
    for (const auto& item : fs::recursive_directory_iterator(dir / "part")) {
        const fs::path relative = item.path().lexically_relative(dir / "part");
        if (!item.is_regular_file() || relative == "manifest.jsonl")
            continue;
        std::string expected = ReadFileBytes(dir / "whole" / relative);
        if (relative.filename() == "data.bin") {
            const std::size_t hole = OffsetOf(expected, "deep 00000050") / 512 * 512;
            expected.replace(hole, 512, std::string(512, '\0'));
        }
        EXPECT_EQ(ReadFileBytes(item.path()), expected) << relative;
        ++compared;
    }
    EXPECT_GE(compared, 10u);
}

TEST(RescueMapCommand, AMalformedMapIsOneClearErrorWithItsLine) {
    if (!HaveTool("mkfs.fat") || !HaveTool("mcopy"))
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path image = BuildFixture("fat12_volume.sh", "fat12_volume.img");
    ASSERT_FALSE(image.empty());
    const fs::path map = ScratchDir("rescue-map-bad") / "bad.map";
    std::ofstream(map) << "# Mapfile\n0 +\n0 0x200 +\n0x100 0x200 -\n";
    for (const char* command : {"tree", "scan", "info"}) {
        const auto run = RunCli({command, image.string(), "--map", map.string()});
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.err, "vantrel-cli: マップファイル " + map.string() +
                               " の 4 行目が正しくありません: 前の領域と重なっています\n")
            << command;
        EXPECT_EQ(run.out, "") << command;
    }
}

TEST(RescueMapCommand, AnUnreadMftRecordLosesOnlyItsFile) {
    const fs::path tool =
        fs::path(VANTREL_BINARY_DIR) / "tests" / "fixtures" / "ntfs-tool" / "vantrel_ntfs_tool";
    if (!fs::exists(tool) || !HaveTool("mkntfs") || !HaveTool("ntfscp") || !HaveTool("perl"))
        GTEST_SKIP() << "the NTFS fixture tool and ntfs-3g are needed";
    ::setenv("VANTREL_NTFS_TOOL", tool.c_str(), 1);
    const fs::path image = BuildFixture("ntfs_volume.sh", "ntfs_volume.img");
    ASSERT_FALSE(image.empty());
    const std::string bytes = ReadFileBytes(image);
    // The file record of binary.bin: the 1 KiB record holding its name that is no folder's.
    const std::string utf16("b\0i\0n\0a\0r\0y\0.\0b\0i\0n\0", 20);
    std::uint64_t record = 0;
    for (std::size_t at = bytes.find(utf16); at != std::string::npos && record == 0;
         at = bytes.find(utf16, at + 1)) {
        const std::size_t start = at / 1024 * 1024;
        if (bytes.compare(start, 4, "FILE") == 0 && (bytes[start + 0x16] & 2) == 0)
            record = start;
    }
    ASSERT_NE(record, 0u);
    const fs::path map =
        WriteMap(ScratchDir("rescue-map-ntfs"), bytes.size(), {record, record + 512});
    const auto plain = RunCli({"ls", image.string(), "-r", "--json"});
    const auto mapped = RunCli({"ls", image.string(), "-r", "--json", "--map", map.string()});
    ASSERT_EQ(mapped.status, 0) << mapped.err;
    EXPECT_NE(LineFor(plain.out, "binary.bin"), "");
    EXPECT_EQ(LineFor(mapped.out, "binary.bin"), "");
    for (const char* name : {"small.txt", "file-042.txt", "deep.bin"})
        EXPECT_EQ(LineFor(mapped.out, name), LineFor(plain.out, name)) << name;
}
