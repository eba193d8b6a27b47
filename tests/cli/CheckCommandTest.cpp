// vantrel-cli check on the demo image: the summary, the ddrescue map read back by
// ddrescuelog, and the map path refusals.

#include "CliRunner.h"
#include "Fixtures.h"

#include <gtest/gtest.h>

using namespace vantrel::testing;

TEST(CheckCommand, WholeImageReadsAndWritesAMapDdrescuelogReads) {
    const auto image = BuildFixture("demo-image.sh", "demo.img");
    ASSERT_FALSE(image.empty());
    const auto folder = ScratchDir("cli-check");
    const auto map = folder / "demo.map";
    const CliRun run = RunCli({"check", image.string(), "--map", map.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("読み込めないセクタ 0 個"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("49152 / 49152 セクタ"), std::string::npos) << run.out;
    if (!HaveTool("ddrescuelog"))
        GTEST_SKIP() << "ddrescuelog (gddrescue) is not installed";
    const auto summary = folder / "summary.txt";
    ASSERT_EQ(RunCommand("ddrescuelog -t " + ShellQuote(map.string()) + " > " +
                         ShellQuote(summary.string())),
              0);
    EXPECT_NE(ReadFileBytes(summary).find("rescued:   25165 kB"), std::string::npos)
        << ReadFileBytes(summary);
}

TEST(CheckCommand, RefusesToWriteTheMapOverTheSourceAndBadUsage) {
    const auto image = BuildFixture("demo-image.sh", "demo.img");
    ASSERT_FALSE(image.empty());
    const auto before = ReadFileBytes(image);
    const CliRun over = RunCli({"check", image.string(), "--map", image.string()});
    EXPECT_EQ(over.status, 2);
    EXPECT_NE(over.err.find("診断対象そのもの"), std::string::npos) << over.err;
    EXPECT_EQ(ReadFileBytes(image), before);
    EXPECT_EQ(RunCli({"check"}).status, 2);
    EXPECT_EQ(RunCli({"check", "/nonexistent/disk.img"}).status, 2);
    EXPECT_EQ(RunCli({"check", image.string(), "--map="}).status, 2);
}
