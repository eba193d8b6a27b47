// E01 images made at test time from the FAT and NTFS fixtures: the same listings and
// recoveries as from the raw images, the case metadata in info, and a clear error naming
// a missing or broken segment.

#include "CliRunner.h"
#include "Fixtures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace fs = std::filesystem;
using vantrel::testing::BuildFixture;
using vantrel::testing::HaveTool;
using vantrel::testing::ReadFileBytes;
using vantrel::testing::RunCli;
using vantrel::testing::RunCommand;
using vantrel::testing::ScratchDir;
using vantrel::testing::ShellQuote;

namespace {

// Makes target.E01 (and .E02... when segmentBytes is smaller than the image).
fs::path Acquire(const fs::path& raw, const fs::path& target, const std::string& options) {
    const std::string command = "ewfacquire -u -q -t " + ShellQuote(target.string()) +
                                " -C CASE-42 -e 調査員 -E EV-7 -d sha1 " + options + " " +
                                ShellQuote(raw.string()) + " </dev/null >/dev/null 2>&1";
    EXPECT_EQ(RunCommand(command), 0) << command;
    return target.string() + ".E01";
}

// ls -r --json without the drive's name (it holds the source path).
std::string Listing(const fs::path& source) {
    const auto run = RunCli({"ls", source.string(), "-r", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::string out = run.out;
    const std::string key = "\"path\":\"";
    for (std::size_t at = out.find(key); at != std::string::npos; at = out.find(key, at + 1))
        out.erase(at + key.size(), out.find(')', at) + 1 - at - key.size());
    return out;
}

// Every recovered file with its bytes, by path below the destination.
std::map<std::string, std::string> Recovered(const fs::path& source, const fs::path& dir) {
    const auto run = RunCli({"recover", source.string(), "--all", "--to", dir.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    std::map<std::string, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(dir))
        if (item.is_regular_file() && item.path().filename() != "manifest.jsonl")
            files[item.path().lexically_relative(dir).generic_string()] =
                ReadFileBytes(item.path());
    return files;
}

void ExpectSameAsRaw(const fs::path& raw, const fs::path& e01, const fs::path& work) {
    EXPECT_EQ(Listing(e01), Listing(raw));
    const auto fromRaw = Recovered(raw, work / "raw");
    const auto fromE01 = Recovered(e01, work / "e01");
    EXPECT_GE(fromRaw.size(), 5u);
    EXPECT_EQ(fromE01.size(), fromRaw.size());
    for (const auto& [path, bytes] : fromRaw) {
        // The top folder is named after the source; the files below are compared.
        const std::string below = path.substr(path.find('/'));
        const auto it = std::find_if(fromE01.begin(), fromE01.end(), [&](const auto& entry) {
            return entry.first.substr(entry.first.find('/')) == below;
        });
        ASSERT_NE(it, fromE01.end()) << path;
        EXPECT_EQ(it->second, bytes) << path;
    }
}

class EwfImage : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTool("ewfacquire") || !HaveTool("mkfs.fat") || !HaveTool("mcopy"))
            GTEST_SKIP() << "ewfacquire (ewf-tools), mkfs.fat and mtools are needed";
    }
};

} // namespace

TEST_F(EwfImage, ListsAndRecoversLikeTheRawImageAndShowsTheCaseMetadata) {
    const fs::path raw = BuildFixture("fat16_volume.sh", "fat16_volume.img");
    ASSERT_FALSE(raw.empty());
    const fs::path work = ScratchDir("ewf-fat16");
    const fs::path e01 = Acquire(raw, work / "fat16", "-c fast");
    ExpectSameAsRaw(raw, e01, work);

    const auto info = RunCli({"info", e01.string()});
    EXPECT_EQ(info.status, 0) << info.err;
    for (const char* line : {"種類: ハードディスク（E01 イメージファイル）\n", "形式: EnCase 6\n",
                             "事件番号: CASE-42\n", "証拠番号: EV-7\n", "調査担当者: 調査員\n",
                             "セクタサイズ: 512\n", "最終LBA: 32767\n"})
        EXPECT_NE(info.out.find(line), std::string::npos) << line << info.out;
    EXPECT_NE(info.out.find("MD5: "), std::string::npos);
    EXPECT_NE(info.out.find("SHA-1: "), std::string::npos);
}

TEST_F(EwfImage, NtfsVolumeListsAndRecoversLikeTheRawImage) {
    const fs::path tool =
        fs::path(VANTREL_BINARY_DIR) / "tests" / "fixtures" / "ntfs-tool" / "vantrel_ntfs_tool";
    if (!fs::exists(tool) || !HaveTool("mkntfs") || !HaveTool("ntfscp") || !HaveTool("perl"))
        GTEST_SKIP() << "the NTFS fixture tool and ntfs-3g are needed";
    ::setenv("VANTREL_NTFS_TOOL", tool.c_str(), 1);
    const fs::path raw = BuildFixture("ntfs_volume.sh", "ntfs_volume.img");
    ASSERT_FALSE(raw.empty());
    const fs::path work = ScratchDir("ewf-ntfs");
    ExpectSameAsRaw(raw, Acquire(raw, work / "ntfs", "-c best"), work);
}

TEST_F(EwfImage, SplitImagesReadAcrossSegmentsAndABadSegmentIsNamed) {
    const fs::path raw = BuildFixture("fat12_volume.sh", "fat12_volume.img");
    ASSERT_FALSE(raw.empty());
    const fs::path work = ScratchDir("ewf-split");
    const fs::path e01 = Acquire(raw, work / "disk", "-c none -S 1MiB");
    ASSERT_TRUE(fs::exists(work / "disk.E02"));
    EXPECT_EQ(Listing(e01), Listing(raw));

    const fs::path e02 = work / "disk.E02";
    const std::string whole = ReadFileBytes(e02);
    const auto expectRefused = [&](const std::string& message) {
        const auto run = RunCli({"ls", e01.string()});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "vantrel-cli: " + message + e02.string() + "\n");
        EXPECT_EQ(run.out, "");
    };
    fs::rename(e02, work / "moved");
    expectRefused("セグメントファイルが見つかりません: ");
    fs::rename(work / "moved", e02);
    fs::resize_file(e02, whole.size() / 2);
    expectRefused("セグメントファイルが壊れているか、途中で切れています: ");
    std::ofstream(e02, std::ios::binary) << "not a segment" << whole.substr(13);
    expectRefused("E01 のセグメントファイルではありません: ");
}

TEST_F(EwfImage, RecoveryNeverReplacesAnotherSegmentOrTheMap) {
    // A floppy holding files named like the second segment and the map, recovered into
    // the folder that holds them.
    const fs::path work = ScratchDir("ewf-companions");
    const std::string dir = ShellQuote(work.string());
    ASSERT_EQ(RunCommand("cd " + dir +
                         " && mkfs.fat -C -n T floppy.img 1440 >/dev/null && echo evil >evil &&"
                         " head -c 1200000 /dev/zero | tr '\\0' x >big && export "
                         "MTOOLS_SKIP_CHECK=1 && mcopy -i floppy.img evil ::/disk.E02 &&"
                         " mcopy -i floppy.img evil ::/rescue.map && mcopy -i floppy.img big ::/"),
              0);
    const fs::path e01 = Acquire(work / "floppy.img", work / "disk", "-c none -S 1MiB");
    std::ofstream(work / "rescue.map") << "0 +\n0 0x168000 +\n";
    const std::string segment = ReadFileBytes(work / "disk.E02");
    const auto run = RunCli({"recover", e01.string(), "1/0", "1/1", "--to", work.string(),
                             "--overwrite", "all", "--map", (work / "rescue.map").string()});
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(ReadFileBytes(work / "disk.E02"), segment);
    EXPECT_EQ(ReadFileBytes(work / "rescue.map"), "0 +\n0 0x168000 +\n");
}
