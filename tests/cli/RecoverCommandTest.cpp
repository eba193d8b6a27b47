// vantrel-cli recover, run as a user would run it, on disk images built at test time.

#include "CliRunner.h"
#include "Fixtures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using vantrel::testing::BuildFixture;
using vantrel::testing::HaveTool;
using vantrel::testing::RunCommand;
using vantrel::testing::ScratchDir;

namespace {

using RecoverRun = vantrel::testing::CliRun;

std::string ReadAll(const fs::path& path) {
    return vantrel::testing::ReadFileBytes(path);
}
std::string Quote(const std::string& text) {
    return vantrel::testing::ShellQuote(text);
}

RecoverRun Recover(std::vector<std::string> args) {
    args.insert(args.begin(), "recover");
    return vantrel::testing::RunCli(args);
}

std::string Sha256Of(const fs::path& path) {
    const fs::path out = path.string() + ".sha";
    if (RunCommand("sha256sum " + Quote(path.string()) + " >" + Quote(out.string())) != 0)
        return {};
    const std::string line = ReadAll(out);
    fs::remove(out);
    return line.substr(0, 64);
}

// The fixture's file contents: lines "<tag> <8-digit line number>\n" cut to size.
std::string FixtureContent(const std::string& tag, std::size_t size) {
    std::string text;
    for (int k = 0; text.size() < size; ++k) {
        char line[64];
        std::snprintf(line, sizeof line, "%s %08d\n", tag.c_str(), k);
        text += line;
    }
    return text.substr(0, size);
}

// "path" -> the whole manifest line, from DIR/manifest.jsonl.
std::map<std::string, std::string> ManifestLines(const fs::path& dir) {
    std::map<std::string, std::string> lines;
    std::istringstream in(ReadAll(dir / "manifest.jsonl"));
    for (std::string line; std::getline(in, line);) {
        const std::string key = "{\"path\":\"";
        if (line.rfind(key, 0) != 0)
            continue;
        lines[line.substr(key.size(), line.find('"', key.size()) - key.size())] = line;
    }
    return lines;
}

fs::path OnlySubfolder(const fs::path& dir) {
    fs::path found;
    for (const auto& item : fs::directory_iterator(dir))
        if (item.is_directory())
            found = found.empty() ? item.path() : fs::path("more than one");
    return found;
}

fs::path FatImage(const std::string& script) {
    if (!HaveTool("mkfs.fat") || !HaveTool("mcopy"))
        return {};
    return BuildFixture(script, script.substr(0, script.size() - 3) + ".img");
}

} // namespace

class RecoverFatImage : public ::testing::TestWithParam<std::string> {};

TEST_P(RecoverFatImage, AllReproducesEveryFileByteForByteDeletedOnesIncluded) {
    const fs::path image = FatImage(GetParam());
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path dir = ScratchDir("recover-all") / "out";
    // The scratch folder shares the image's file system. The old flag for that is still
    // accepted for scripts that pass it.
    const RecoverRun run =
        Recover({image.string(), "--all", "--to", dir.string(), "--allow-same-filesystem"});
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path volume = OnlySubfolder(dir);
    ASSERT_TRUE(fs::is_directory(volume)) << "one folder per volume expected";
    const auto manifest = ManifestLines(dir);

    std::istringstream list(ReadAll(volume / "MANIFEST.TXT"));
    int files = 0;
    for (std::string line; std::getline(list, line);) {
        std::istringstream fields(line);
        std::string state, tag, shown;
        std::size_t size = 0;
        fields >> state >> size >> tag;
        std::getline(fields >> std::ws, shown);
        const fs::path path = volume / shown;
        SCOPED_TRACE(line);
        if (state == "sjis-dir" || state == "deleted-dir") {
            EXPECT_TRUE(fs::is_directory(path));
            continue;
        }
        ASSERT_TRUE(fs::is_regular_file(path));
        EXPECT_EQ(ReadAll(path), FixtureContent(tag, size));
        const std::string relative = path.lexically_relative(dir).generic_string();
        ASSERT_EQ(manifest.count(relative), 1u);
        const std::string& entry = manifest.at(relative);
        EXPECT_NE(entry.find("\"sha256\":\"" + Sha256Of(path) + "\""), std::string::npos);
        EXPECT_NE(entry.find("\"status\":\"ok\""), std::string::npos);
        EXPECT_NE(entry.find(state == "deleted" ? "\"deleted\":true" : "\"deleted\":false"),
                  std::string::npos);
        ++files;
    }
    EXPECT_GE(files, 12);
    // MANIFEST.TXT itself is a recovered file too.
    EXPECT_EQ(manifest.size(), static_cast<std::size_t>(files) + 1);
    EXPECT_NE(run.err.find("失敗 0"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Images, RecoverFatImage,
                         ::testing::Values("fat12_volume.sh", "fat16_volume.sh",
                                           "fat32_volume.sh"));

// Runs into one folder add to its manifest: what earlier runs recorded stays byte for byte
// (even after a run killed mid-line), and a file's last line describes it now.
TEST(RecoverCommand, SecondRunWithoutATerminalKeepsFilesAndSaysWhy) {
    const fs::path image = FatImage("fat16_volume.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path dir = ScratchDir("recover-again") / "out";
    const fs::path manifest = dir / "manifest.jsonl";
    const std::vector<std::string> base = {image.string(), "--all", "--to", dir.string(),
                                           "--no-deleted"};
    ASSERT_EQ(Recover(base).status, 0);
    const std::string first = ReadAll(manifest);
    const fs::path readme = OnlySubfolder(dir) / "README.TXT";
    std::ofstream(readme, std::ios::trunc) << "edited";
    EXPECT_FALSE(fs::exists(OnlySubfolder(dir) / "_ELETED.TXT")) << "--no-deleted ignored";

    const RecoverRun asked = Recover(base);
    EXPECT_EQ(asked.status, 1);
    EXPECT_NE(asked.err.find("端末がないため上書きしません"), std::string::npos) << asked.err;
    EXPECT_EQ(ReadAll(readme), "edited");
    const std::string second = ReadAll(manifest);
    ASSERT_EQ(second.substr(0, first.size()), first);
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'),
              2 * std::count(first.begin(), first.end(), '\n'));
    EXPECT_NE(second.find("\"status\":\"skipped\"", first.size()), std::string::npos);

    const std::string torn = "{\"path\":\"cut sh";
    std::ofstream(manifest, std::ios::app) << torn;
    auto overwrite = base;
    overwrite.insert(overwrite.end(), {"--overwrite", "all"});
    EXPECT_EQ(Recover(overwrite).status, 0);
    EXPECT_EQ(ReadAll(readme), FixtureContent("readme", 100));
    const std::string third = ReadAll(manifest);
    ASSERT_EQ(third.substr(0, second.size() + torn.size() + 1), second + torn + "\n");
    const std::string readmeKey =
        "{\"path\":\"" + OnlySubfolder(dir).filename().string() + "/README.TXT\"";
    const std::size_t last = third.rfind(readmeKey);
    ASSERT_GT(last, second.size());
    const std::string lastLine = third.substr(last, third.find('\n', last) - last);
    EXPECT_NE(lastLine.find("\"status\":\"ok\""), std::string::npos) << lastLine;
}

// A manifest that cannot be added to is left alone, and nothing is recovered unrecorded.
TEST(RecoverCommand, UnusableManifestStopsTheRunBeforeAnyFile) {
    const fs::path image = FatImage("fat12_volume.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path dir = ScratchDir("recover-manifest-folder") / "out";
    fs::create_directories(dir / "manifest.jsonl");
    const RecoverRun run = Recover({image.string(), "--all", "--to", dir.string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("manifest.jsonl に書き足せません（"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_directory(dir / "manifest.jsonl"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// --no-hash: the same files and manifest lines, only without their digests.
TEST(RecoverCommand, NoHashLeavesTheDigestsOut) {
    const fs::path image = FatImage("fat16_volume.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path hashed = ScratchDir("recover-hashed") / "out";
    const fs::path plain = ScratchDir("recover-no-hash") / "out";
    ASSERT_EQ(Recover({image.string(), "--all", "--to", hashed.string()}).status, 0);
    const RecoverRun run = Recover({image.string(), "--all", "--to", plain.string(), "--no-hash"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto withDigests = ManifestLines(hashed);
    const auto lines = ManifestLines(plain);
    ASSERT_EQ(lines.size(), withDigests.size());
    for (const auto& [path, line] : lines) {
        SCOPED_TRACE(path);
        ASSERT_EQ(withDigests.count(path), 1u);
        const std::string& full = withDigests.at(path);
        const std::size_t digest = full.find(",\"sha256\":");
        ASSERT_NE(digest, std::string::npos);
        EXPECT_EQ(line, full.substr(0, digest) + "}");
        EXPECT_EQ(full.substr(digest + 11, 64), Sha256Of(plain / path));
    }
}

TEST(RecoverCommand, ChosenNodesByDisplayPathAndId) {
    const fs::path image = FatImage("fat16_volume.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path all = ScratchDir("recover-pick-all") / "out";
    ASSERT_EQ(Recover({image.string(), "--all", "--to", all.string()}).status, 0);
    const std::string volumeName = OnlySubfolder(all).filename().string();
    const fs::path dir = ScratchDir("recover-pick") / "out";
    // A folder by its display path below the drive node, a file by the same.
    const RecoverRun run = Recover({image.string(), volumeName + "/日本語のフォルダ",
                                    volumeName + "/README.TXT", "--to", dir.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir / "README.TXT"), FixtureContent("readme", 100));
    EXPECT_EQ(ReadAll(dir / "日本語のフォルダ" / "Sub Folder" / "深い階層" / "data.bin"),
              FixtureContent("deep", 12345));
}

TEST(RecoverCommand, BadUsageIsRefusedBeforeWriting) {
    const fs::path image = FatImage("fat12_volume.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path dir = ScratchDir("recover-refused") / "out";
    EXPECT_EQ(Recover({image.string(), "--all"}).status, 2);
    EXPECT_EQ(Recover({image.string(), "--to", dir.string()}).status, 2);
    EXPECT_EQ(Recover({image.string(), "0", "--all", "--to", dir.string()}).status, 2);
    EXPECT_EQ(Recover({image.string(), "--all", "--to", dir.string(), "--overwrite", "yes"}).status,
              2);
    EXPECT_EQ(Recover({image.string(), "no/such/node", "--to", dir.string()}).status, 2);
    EXPECT_FALSE(fs::exists(dir));
}

// An image that holds a file of its own name, recovered into the image's folder: written
// beside the image by default, but never over it, whatever the overwrite answer.
TEST(RecoverCommand, NeverReplacesTheSourceImage) {
    if (!HaveTool("mkfs.fat") || !HaveTool("mcopy"))
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path dir = ScratchDir("recover-victim");
    const fs::path image = dir / "victim.img";
    ASSERT_EQ(RunCommand("mkfs.fat -C " + Quote(image.string()) +
                         " 2048 >/dev/null && printf "
                         "12345678 >" +
                         Quote((dir / "payload").string()) + " && mcopy -i " +
                         Quote(image.string()) + " " + Quote((dir / "payload").string()) +
                         " ::victim.img && mcopy -i " + Quote(image.string()) + " " +
                         Quote((dir / "payload").string()) + " ::other.txt"),
              0);
    const std::string before = ReadAll(image);
    const RecoverRun run =
        Recover({image.string(), "1/0", "1/1", "--to", dir.string(), "--overwrite", "all"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(ReadAll(image) == before);
    EXPECT_NE(run.err.find("victim.img（回収元のイメージファイルと同じファイル"), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadAll(dir / "other.txt"), "12345678");
    // Through another name of the same file, too.
    fs::create_hard_link(image, dir / "alias.img");
    EXPECT_EQ(
        Recover({(dir / "alias.img").string(), "1/0", "--to", dir.string(), "--overwrite", "all"})
            .status,
        1);
    EXPECT_TRUE(ReadAll(image) == before);
}

// A destination inside a file system that a loop device reads from the source image is
// inside the image, even when the image's own file system is another one.
TEST(RecoverCommand, RefusesADestinationMountedFromTheSourceImage) {
    if (::geteuid() != 0 || !HaveTool("mkfs.fat") || !HaveTool("mcopy") || !HaveTool("mkfs.ext2") ||
        !HaveTool("mount"))
        GTEST_SKIP() << "root, mkfs.fat, mtools and mkfs.ext2 are needed";
    const fs::path dir = ScratchDir("recover-mounted");
    const fs::path image = dir / "two.img";
    const fs::path mount = dir / "mnt";
    fs::create_directories(mount);
    // A 2 MiB FAT volume followed by an ext2 file system, mounted through a loop device.
    const std::string build =
        "cd " + Quote(dir.string()) + " && mkfs.fat -C fat.img 2048 >/dev/null && echo hi >a " +
        "&& mcopy -i fat.img a ::A.TXT && truncate -s 4M ext.img && mkfs.ext2 -q ext.img && " +
        "cat fat.img ext.img >two.img && mount -o loop,offset=2097152 two.img mnt";
    if (RunCommand(build + " 2>/dev/null") != 0)
        GTEST_SKIP() << "an ext2 file system cannot be mounted here";
    const RecoverRun run = Recover({image.string(), "--all", "--to", (mount / "out").string()});
    const bool wrote = fs::exists(mount / "out");
    RunCommand("umount " + Quote(mount.string()));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("回収元のイメージファイルの中"), std::string::npos) << run.err;
    EXPECT_FALSE(wrote);
}

// A FAT32 image cut short: what lies past its end is reported missing, not recovered.
TEST(RecoverCommand, FilesCutShortArePartialWithTheirOwnExitCode) {
    if (!HaveTool("mkfs.fat") || !HaveTool("mcopy"))
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path dir = ScratchDir("recover-cut");
    const std::string image = Quote((dir / "cut.img").string());
    ASSERT_EQ(RunCommand("cd " + Quote(dir.string()) + " && mkfs.fat -F 32 -C cut.img 40000 " +
                         ">/dev/null && head -c 5000000 /dev/zero >big.bin && printf 12345678 " +
                         ">small.txt && mcopy -i cut.img big.bin small.txt :: && truncate -s 5M " +
                         image),
              0);
    const RecoverRun run =
        Recover({(dir / "cut.img").string(), "--all", "--to", (dir / "out").string()});
    EXPECT_EQ(run.status, 3) << run.err;
    const std::string manifest = ReadAll(dir / "out" / "manifest.jsonl");
    EXPECT_NE(manifest.find("\"status\":\"partial\",\"expected_size\":5000000,\"unread_bytes\":"),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("\"size\":0,\"condition\":6,\"deleted\":false,\"status\":\"partial\","
                            "\"expected_size\":8,\"unread_bytes\":8"),
              std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("\"status\":\"ok\""), std::string::npos);
    EXPECT_NE(run.err.find("一部のみ 2"), std::string::npos) << run.err;
}

// Small files whose manifest outgrows the file-size limit: every file is whole, but the
// manifest is not, and that is no success.
TEST(RecoverCommand, AManifestCutShortIsAFailure) {
    const fs::path image = FatImage("fat12_volume.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path dir = ScratchDir("recover-short-manifest") / "out";
    // README.TXT (100 bytes) forty times, each under its own name; the manifest passes the
    // 4 KiB limit, and ignoring SIGXFSZ turns a write past it into an error (EFBIG).
    std::string nodes;
    for (int i = 0; i < 40; ++i)
        nodes += " 1/3";
    const std::string command = "trap '' XFSZ; ulimit -f 4; " +
                                Quote(vantrel::testing::CliPath().string()) + " recover " +
                                Quote(image.string()) + nodes + " --to " + Quote(dir.string()) +
                                " >/dev/null 2>&1 </dev/null";
    EXPECT_EQ(RunCommand("bash -c " + Quote(command)), 1);
    // The line that ran into the limit was taken off again: no torn line is left.
    const std::string manifest = ReadAll(dir / "manifest.jsonl");
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(manifest.back(), '\n');
    EXPECT_LT(manifest.size(), 4096u);
}

// A read-only destination is refused before any file is tried, with the reason, and
// the summary names no manifest that was never made.
TEST(RecoverCommand, ReadOnlyDestinationIsRefusedWithTheReason) {
    const fs::path image = FatImage("fat12_volume.sh");
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat and mtools are needed";
    const fs::path dir = ScratchDir("recover-read-only");
    const bool root = ::geteuid() == 0;
    if (root ? RunCommand("mount -t tmpfs -o ro,size=64k tmpfs " + Quote(dir.string())) != 0
             : ::chmod(dir.c_str(), 0555) != 0)
        GTEST_SKIP() << "no read-only folder can be made here";
    const RecoverRun run = Recover({image.string(), "--all", "--to", dir.string()});
    if (root)
        RunCommand("umount " + Quote(dir.string()));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("回収先のフォルダに書き込めません（"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("フォルダを作成できませんでした"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("マニフェスト"), std::string::npos) << run.out;
}

namespace {

// byte i of pattern(seed) is (i * 31 + seed + (i >> 8)) mod 256, as the NTFS script makes it.
std::string NtfsPattern(unsigned seed, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed + (i >> 8)) & 255);
    return bytes;
}

} // namespace

TEST(RecoverCommand, NtfsVolumeWithCompressedAndSparseFilesComesBackWhole) {
    const fs::path tool =
        fs::path(VANTREL_BINARY_DIR) / "tests" / "fixtures" / "ntfs-tool" / "vantrel_ntfs_tool";
    if (!fs::exists(tool) || !HaveTool("mkntfs") || !HaveTool("ntfscp") || !HaveTool("perl"))
        GTEST_SKIP() << "the NTFS fixture tool and ntfs-3g are needed";
    ::setenv("VANTREL_NTFS_TOOL", tool.c_str(), 1);
    const fs::path image = BuildFixture("ntfs_volume.sh", "ntfs_volume.img");
    ASSERT_FALSE(image.empty());
    const fs::path dir = ScratchDir("recover-ntfs") / "out";
    const RecoverRun run = Recover({image.string(), "--all", "--to", dir.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path volume = OnlySubfolder(dir);
    // The list hides the file system's own files, and so does a volume salvage.
    EXPECT_FALSE(fs::exists(volume / "$MFT"));
    EXPECT_FALSE(fs::exists(volume / "$Extend"));
    EXPECT_EQ(ReadAll(volume / "small.txt"), "hello, resident world\n");
    EXPECT_EQ(ReadAll(volume / "binary.bin"), NtfsPattern(7, 150000));
    EXPECT_EQ(ReadAll(volume / "docs" / "sub" / "deep.bin"), NtfsPattern(3, 9000));
    EXPECT_EQ(ReadAll(volume / "docs" / "file-042.txt"), "contents of file 042\n");
    EXPECT_EQ(ReadAll(volume / "日本語フォルダ" / "ファイル.txt"), "japanese\n");
    std::string text;
    for (int i = 1; i <= 8000; ++i)
        text += "line " + std::to_string(i) + " of compressible text\n";
    EXPECT_EQ(ReadAll(volume / "packed" / "text.txt"), text);
    EXPECT_EQ(ReadAll(volume / "holey.bin"), std::string(300000, '\0') + "after the hole\n");
    const auto manifest = ManifestLines(dir);
    const std::string binary = (volume / "binary.bin").lexically_relative(dir).generic_string();
    ASSERT_EQ(manifest.count(binary), 1u);
    EXPECT_NE(manifest.at(binary).find(Sha256Of(volume / "binary.bin")), std::string::npos);
}

TEST(RecoverCommand, InterruptLeavesOnlyWholeFilesBehind) {
    const fs::path image = FatImage("fat32_volume.sh");
    if (image.empty() || !HaveTool("timeout"))
        GTEST_SKIP() << "mkfs.fat, mtools and timeout are needed";
    // Whenever the signal lands (while the source is read, between or inside files, or
    // after the end), what is left must be whole files only.
    for (const char* delay : {"0.02", "0.1", "0.15", "0.2", "0.3"}) {
        SCOPED_TRACE(delay);
        const fs::path dir = ScratchDir("recover-interrupt") / "out";
        const fs::path err = ScratchDir("recover-interrupt-log") / "err";
        const std::string command =
            // --foreground: one SIGINT to the program alone, as a terminal's Ctrl-C sends;
            // otherwise timeout signals the whole group too, and a second interrupt is the
            // user's way to end the program at once.
            std::string("timeout --foreground --preserve-status -s INT ") + delay + " " +
            Quote((fs::path(VANTREL_BINARY_DIR) / "src" / "cli" / "vantrel-cli").string()) +
            " recover " + Quote(image.string()) + " --all --to " + Quote(dir.string()) +
            " >/dev/null 2>" + Quote(err.string()) + " </dev/null";
        const int status = RunCommand(command);
        // A signal that arrives before the program has set up its handler ends it the
        // ordinary way; by then nothing may have been written.
        if (status >= 128) {
            EXPECT_FALSE(fs::exists(dir)) << status;
            continue;
        }
        EXPECT_TRUE(status == 0 || status == 1) << status << ReadAll(err);
        if (status == 1) {
            EXPECT_NE(ReadAll(err).find("中止"), std::string::npos) << ReadAll(err);
        }
        if (!fs::exists(dir))
            continue; // stopped before anything was written
        const auto manifest = ManifestLines(dir);
        for (const auto& item : fs::recursive_directory_iterator(dir)) {
            if (item.is_directory() || item.path().filename() == "manifest.jsonl")
                continue;
            const std::string relative = item.path().lexically_relative(dir).generic_string();
            EXPECT_EQ(item.path().filename().string().rfind(".vantrel-part-", 0), std::string::npos)
                << "temporary file left: " << relative;
            ASSERT_EQ(manifest.count(relative), 1u) << relative;
            EXPECT_NE(manifest.at(relative).find(Sha256Of(item.path())), std::string::npos)
                << relative;
        }
    }
}
