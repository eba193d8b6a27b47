#include "CliRunner.h"
#include "Fixtures.h"
#include "LoopDevice.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
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

using CliResult = vantrel::testing::CliRun;
using vantrel::testing::CliPath;
using vantrel::testing::RunCli;

std::string Slurp(const fs::path& path) {
    return vantrel::testing::ReadFileBytes(path);
}
std::string Quote(const std::string& text) {
    return vantrel::testing::ShellQuote(text);
}

std::size_t Lines(const std::string& text) {
    std::size_t n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

// One clear message on stderr, nothing on stdout, exit status 2.
void ExpectUnusableSource(const CliResult& r, const std::string& path) {
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(Lines(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
    EXPECT_EQ(r.err.rfind("vantrel-cli: ", 0), 0u) << r.err;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(CliPath()))
            GTEST_SKIP() << "vantrel-cli is not built at " << CliPath();
    }
};

} // namespace

TEST_F(Cli, InfoOnTheDemoImageLeavesItUntouched) {
    const fs::path image = BuildFixture("demo-image.sh", "demo.img");
    ASSERT_FALSE(image.empty()) << "scripts/make-demo-image failed";
    const std::string before = Slurp(image);
    const auto mtime = fs::last_write_time(image);

    const CliResult r = RunCli({"info", image.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_NE(r.out.find("種類: ハードディスク（イメージファイル）\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("パス: " + image.string() + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("セクタサイズ: 512\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("最終LBA: 49151\n"), std::string::npos) << r.out; // 24 MiB
    EXPECT_NE(r.out.find("容量: 24 MB\n"), std::string::npos) << r.out;

    EXPECT_TRUE(Slurp(image) == before);
    EXPECT_EQ(fs::last_write_time(image), mtime);
}

TEST_F(Cli, UnusableSourcesGiveOneMessageAndStatus2) {
    const fs::path dir = ScratchDir("cli-sources");
    ExpectUnusableSource(RunCli({"info", (dir / "no-such.img").string()}), "no-such.img");
    ExpectUnusableSource(RunCli({"info", dir.string()}), dir.string());

    const fs::path empty = dir / "empty.img";
    std::ofstream(empty).close();
    ExpectUnusableSource(RunCli({"info", empty.string()}), empty.string());

    // Less than one sector: there is no sector to read.
    const fs::path tiny = dir / "tiny.img";
    std::ofstream(tiny) << "not a disk";
    ExpectUnusableSource(RunCli({"info", tiny.string()}), tiny.string());

    // A FIFO is no disk, and asking about one must not hang.
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectUnusableSource(RunCli({"info", fifo.string()}), fifo.string());
}

TEST_F(Cli, UnreadableFileGivesOneMessageAndStatus2) {
    const fs::path dir = ScratchDir("cli-unreadable");
    const fs::path locked = dir / "locked.img";
    std::ofstream(locked) << std::string(4096, 'x');
    fs::permissions(locked, fs::perms::none);

    std::string prefix;
    if (::geteuid() == 0) {
        // Root reads everything; run the program as an ordinary user instead, which is
        // exactly the situation of a user without rights on a disk.
        if (!HaveTool("setpriv"))
            GTEST_SKIP() << "running as root and setpriv is missing";
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        // The ordinary user must be able to reach the program and the file's folder.
        if (RunCommand(prefix + Quote(CliPath().string()) + " --help >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "an unprivileged user cannot run " << CliPath();
        // (Only folders inside the build tree are touched.)
        std::error_code ec;
        const fs::path top = fs::path(VANTREL_BINARY_DIR);
        for (fs::path p = dir; p != top && p.string().rfind(top.string(), 0) == 0;
             p = p.parent_path())
            fs::permissions(p, fs::perms::others_exec, fs::perm_options::add, ec);
    }
    const CliResult r = RunCli({"info", locked.string()}, prefix);
    ExpectUnusableSource(r, locked.string());
    EXPECT_NE(r.err.find("権限"), std::string::npos) << r.err;
}

TEST_F(Cli, EveryCommandAnswersHelp) {
    const CliResult overview = RunCli({"--help"});
    ASSERT_EQ(overview.status, 0);
    // Commands are listed as "  name  summary" after the "コマンド:" line.
    std::istringstream lines(overview.out.substr(overview.out.find("コマンド:")));
    std::string line;
    std::vector<std::string> commands;
    std::getline(lines, line);
    while (std::getline(lines, line) && line.rfind("  ", 0) == 0) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        commands.push_back(name);
    }
    ASSERT_FALSE(commands.empty()) << overview.out;
    EXPECT_NE(std::find(commands.begin(), commands.end(), "info"), commands.end());
    // The exit codes are explained, and the version is one line.
    EXPECT_NE(overview.out.find("3 すべて書き込んだが"), std::string::npos) << overview.out;
    const CliResult version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("vantrel-cli ", 0), 0u) << version.out;
    for (const auto& name : commands) {
        const CliResult r = RunCli({name, "--help"});
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_TRUE(r.err.empty()) << name << ": " << r.err;
        EXPECT_EQ(r.out.rfind("使い方: vantrel-cli " + name, 0), 0u) << name << ": " << r.out;
    }
}

TEST_F(Cli, BadUsageIsStatus2) {
    EXPECT_EQ(RunCli({}).status, 2);
    EXPECT_EQ(RunCli({"no-such-command"}).status, 2);
    const CliResult missing = RunCli({"info"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(Lines(missing.err), 1u) << missing.err;
    EXPECT_EQ(RunCli({"info", "--no-such-option", "x.img"}).status, 2);
}

// A drive of the list is a source by its number, read through the class the list chose.
TEST_F(Cli, DrivesAreSourcesByTheirNumber) {
    EXPECT_EQ(RunCli({"info", "drive:x"}).status, 2);
    EXPECT_EQ(RunCli({"info", "drive:9999"}).status, 2);
    if (::geteuid() != 0 || !HaveTool("mkfs.fat"))
        GTEST_SKIP() << "attaching a loop device needs root and mkfs.fat";
    const fs::path image = BuildFixture("fat12_volume.sh", "fat12_volume.img");
    ASSERT_FALSE(image.empty());
    const vantrel::testing::LoopDevice loop(image);
    if (loop.Node().empty())
        GTEST_SKIP() << "no loop device could be attached";
    const CliResult drives = RunCli({"drives", "--json"});
    // {"index":N,...,"node":"/dev/loopM"}: the index of the object that names our node.
    const std::size_t node = drives.out.find("\"node\":\"" + loop.Node() + "\"");
    ASSERT_NE(node, std::string::npos) << drives.out;
    const std::size_t index = drives.out.rfind("{\"index\":", node);
    ASSERT_NE(index, std::string::npos);
    const std::string number =
        drives.out.substr(index + 9, drives.out.find(',', index) - index - 9);
    const CliResult listed = RunCli({"ls", "drive:" + number});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("README.TXT"), std::string::npos) << listed.out;
}
