// scan run as a user would run it, on the quick-formatted FAT fixture.

#include "CliRunner.h"
#include "Fixtures.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <system_error>
#include <unistd.h>

using namespace vantrel::testing;
namespace fs = std::filesystem;

namespace {

using ScanRun = CliRun;

std::string Quoted(const std::string& text) {
    return ShellQuote(text);
}
std::string Slurped(const fs::path& path) {
    return ReadFileBytes(path);
}
ScanRun Scan(const std::string& arguments) {
    return RunCliLine("scan " + arguments, "TZ=UTC ");
}

fs::path ReformattedImage() {
    if (!HaveTool("mkfs.fat") || !HaveTool("mcopy"))
        return {};
    return BuildFixture("scan-fat-reformatted.sh", "scan-fat-reformatted.sh.img");
}

bool HasLine(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(ScanCommand, FatScanLogsEveryPhaseAndListsTheOldFoldersWithTheirFirstSector) {
    const fs::path image = ReformattedImage();
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat or mtools missing";
    const ScanRun run = Scan(Quoted(image.string()) + " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(HasLine(run.err, "日時\t対象\t内容\n"));
    for (const char* text :
         {"\tスキャン結果\tスキャンを開始しました\n", "\tスキャン結果\tFAT方式を使用します\n",
          "\tスキャン結果\tフォルダを再構成しています\n",
          "\tスキャン結果\tスキャンは終了しました\n"})
        EXPECT_TRUE(HasLine(run.err, text)) << text;
    EXPECT_TRUE(HasLine(run.out, "/スキャン結果/TRIP\",\"id\":"));
    EXPECT_TRUE(HasLine(run.out, "\"name\":\"C.TXT\",\"type\":\"file\",\"size\":1200,"));
    EXPECT_TRUE(HasLine(run.out, "\"first_lba\":"));
    EXPECT_FALSE(HasLine(run.out, "\"first_lba\":null,\"type\":\"file\""));
    // Each file once: C.TXT is listed under TRIP/DEEP only.
    std::size_t count = 0;
    for (std::size_t at = run.out.find("\"C.TXT\""); at != std::string::npos;
         at = run.out.find("\"C.TXT\"", at + 1))
        ++count;
    EXPECT_EQ(count, 1u);
}

TEST(ScanCommand, DatabaseScanRecoversWhatItCarvesWithAManifest) {
    const fs::path image = ReformattedImage();
    if (image.empty())
        GTEST_SKIP() << "fixture tools missing";
    const fs::path destination = ScratchDir("cli-scan-recovered") / "out";
    const std::string scan =
        Quoted(image.string()) + " --method database --recover-to " + Quoted(destination.string());
    const ScanRun run = Scan(scan);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(HasLine(run.err, "データベース方式を使用します"));
    // The 20 000-byte picture file of the old volume is text to the database: carved
    // whole from its first sector, and recovered byte for byte.
    const std::string manifest = Slurped(destination / "manifest.jsonl");
    EXPECT_TRUE(HasLine(manifest, "\"size\":20000,")) << manifest;
    EXPECT_TRUE(HasLine(manifest, "\"status\":\"ok\""));
    EXPECT_FALSE(HasLine(manifest, "\"status\":\"failed\""));
    // NEW.TXT, which the new volume's root still lists, is recovered under its own name.
    EXPECT_TRUE(HasLine(manifest, "\"path\":\"NEW.TXT\"")) << manifest;
    EXPECT_TRUE(HasLine(manifest, "\"carved_name\":\"")) << manifest;

    // Again into the same folder, as the demo does: overwriting, and only what the filter
    // lets through; its lines follow the first run's.
    const ScanRun again = Scan(scan + " --overwrite all --min-size 20000 --max-size 20000");
    ASSERT_EQ(again.status, 0) << again.err;
    const std::string whole = Slurped(destination / "manifest.jsonl");
    ASSERT_EQ(whole.substr(0, manifest.size()), manifest);
    const std::string second = whole.substr(manifest.size());
    EXPECT_TRUE(HasLine(second, "\"size\":20000,")) << second;
    EXPECT_EQ(second.find("\"size\":1200,"), std::string::npos) << second;
}

TEST(ScanCommand, UnknownMethodAndAreaAreUsageErrors) {
    const fs::path image = ReformattedImage();
    if (image.empty())
        GTEST_SKIP() << "mkfs.fat or mtools missing";
    EXPECT_EQ(Scan(Quoted(image.string()) + " --method fast").status, 2);
    EXPECT_EQ(Scan(Quoted(image.string()) + " 9/9").status, 2);
    EXPECT_EQ(Scan("/nonexistent/image.img").status, 2);
}
