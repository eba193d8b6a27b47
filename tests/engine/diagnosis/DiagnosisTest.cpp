#include "Fixtures.h"
#include "MemoryDisk.h"
#include "engine/diagnosis/DdrescueMap.h"
#include "engine/diagnosis/DiagnosisWorker.h"
#include "engine/request/RequestQueue.h"
#include "platform/Utf.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// 4096 sectors of 512 bytes: 32 blocks of 64 KiB.
constexpr std::uint64_t kSectors = 4096;
const std::set<std::uint64_t> kBad = {5, 1000, 1001, 1002, 4095};

struct FaultyArea {
    FaultyArea() : memory(kSectors, 512), disk(memory) {
        for (const std::uint64_t lba : kBad)
            disk.MakeUnreadable(lba);
        if (!window.Open(&disk, 0, 0))
            ADD_FAILURE() << "window";
    }
    MemoryDisk memory;
    FaultyDisk disk;
    CDiskWindow window;
};

DiskCheckOptions SmallBlocks() {
    DiskCheckOptions options;
    options.blockBytes = 64 * 1024;
    return options;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(DiskCheck, MapsBlocksAndListsEveryUnreadableSectorOnce) {
    FaultyArea area;
    DiskCheck check(SmallBlocks());
    ASSERT_TRUE(check.SetUp(&area.window));
    EXPECT_EQ(check.BlockCount(), 32u);
    while (check.Step()) {
    }
    EXPECT_TRUE(check.Complete());
    const auto& lbas = check.BadSectors().Lbas();
    EXPECT_EQ(std::set<std::uint64_t>(lbas.begin(), lbas.end()), kBad);
    EXPECT_EQ(lbas.size(), kBad.size());
    EXPECT_EQ(check.Blocks()[0], BlockStatus::Unreadable);
    EXPECT_EQ(check.Blocks()[1], BlockStatus::Fine);
    EXPECT_EQ(check.Blocks()[7], BlockStatus::Unreadable); // 1000-1002 lie in block 7
    EXPECT_EQ(check.Blocks()[31], BlockStatus::Unreadable);
    EXPECT_EQ(check.CountBlocks(BlockStatus::Unreadable), 3u);
    // Only the failed blocks were read again sector by sector.
    EXPECT_EQ(area.disk.ReadCalls(), 32u + 3u * 128u);
}

TEST(DiskCheck, SlowBlocksAndAreaLimits) {
    FaultyArea area;
    std::uint64_t now = 0;
    DiskCheckOptions options = SmallBlocks();
    options.slowMicroseconds = 1000;
    // Every second block takes 2 ms.
    options.clock = [&now, calls = 0]() mutable { return now += (++calls % 4 == 0) ? 2000u : 1u; };
    DiskCheck check(options);
    EXPECT_FALSE(check.SetUp(&area.window, kSectors, 1));
    EXPECT_FALSE(check.SetUp(&area.window, 10, kSectors));
    ASSERT_TRUE(check.SetUp(&area.window, 128, 300)); // 3 blocks, the last one short
    while (check.Step()) {
    }
    EXPECT_EQ(check.Position(), 300u);
    EXPECT_EQ(check.Blocks(),
              (std::vector<BlockStatus>{BlockStatus::Fine, BlockStatus::Slow, BlockStatus::Fine}));
    EXPECT_GT(check.BytesPerSecond(), 0u);
}

// The map read back by GNU ddrescue's own ddrescuelog shows the same bad sectors; an
// unfinished check leaves the rest non-tried.
TEST(DdrescueMap, DdrescuelogReadsTheSameBadSectors) {
    FaultyArea area;
    DiskCheck check(SmallBlocks());
    ASSERT_TRUE(check.SetUp(&area.window));
    while (check.Step()) {
    }
    const auto folder = ScratchDir("ddrescue-map");
    const auto map = folder / "check.map";
    int error = 0;
    ASSERT_TRUE(WriteDdrescueMap(check, "test", map.string(), &error)) << error;
    const std::vector<MapArea> areas = CheckMapAreas(check);
    ASSERT_EQ(areas.size(), 6u);
    EXPECT_EQ(areas[3].position, 1000u * 512);
    EXPECT_EQ(areas[3].size, 3u * 512);
    EXPECT_EQ(areas[3].status, '-');
    if (!HaveTool("ddrescuelog"))
        GTEST_SKIP() << "ddrescuelog (gddrescue) is not installed";
    const auto listed = folder / "bad.txt";
    ASSERT_EQ(
        RunCommand("ddrescuelog -b 512 --list-blocks=- " + map.string() + " > " + listed.string()),
        0);
    EXPECT_EQ(ReadAll(listed), "5\n1000\n1001\n1002\n4095\n");

    DiskCheck partial(SmallBlocks());
    ASSERT_TRUE(partial.SetUp(&area.window));
    ASSERT_TRUE(partial.Step());
    ASSERT_TRUE(WriteDdrescueMap(partial, "test", map.string(), &error));
    ASSERT_EQ(
        RunCommand("ddrescuelog -b 512 --list-blocks=? " + map.string() + " > " + listed.string()),
        0);
    EXPECT_EQ(ReadAll(listed).substr(0, 4), "128\n"); // non-tried from the second block on
}

// The worker logs each unreadable sector once, shows screen 4 and then 2, posts the map
// while it waits and ends with 0x47D; a stop request ends it early as cancelled.
TEST(DiagnosisWorker, LogsMapsAndStops) {
    FaultyArea area;
    for (const bool stop : {false, true}) {
        DiskCheck check(SmallBlocks());
        ASSERT_TRUE(check.SetUp(&area.window));
        RequestQueue queue;
        int tree = 0;
        TreeItemRecord record(&queue, &tree);
        ASSERT_TRUE(StartDiagnosis(record, check));
        std::vector<std::string> logs;
        std::vector<std::uint64_t> screens;
        int maps = 0;
        bool finished = false;
        while (!finished) {
            UiRequest* request = queue.Take(std::chrono::milliseconds(5000));
            ASSERT_NE(request, nullptr);
            const auto message = request->Message();
            if (message == msg::kLogLine)
                logs.push_back(ToUtf8(request->strings.at(1)));
            if (message == msg::kShowScreen)
                screens.push_back(request->value);
            if (message == msg::kDiagnosisProgress) {
                EXPECT_EQ(request->pointer, &check);
                if (stop && ++maps == 1)
                    record.SetJobState(kJobCancel);
            }
            finished = message == msg::kScanFinished;
            UiRequest::CompleteAll(request); // every receiver's share at once
        }
        EXPECT_EQ(record.JoinWorker(), stop ? kWorkerExitFailed : kWorkerExitDone);
        EXPECT_EQ(screens, (std::vector<std::uint64_t>{4, 2}));
        std::size_t errors = 0;
        for (const auto& line : logs)
            errors += line.rfind("読み込みエラーが発生しました(LBA:", 0) == 0;
        EXPECT_EQ(errors, stop ? 0u : kBad.size());
        EXPECT_EQ(logs.front(), "ディスクの診断を開始しました");
        EXPECT_EQ(logs.back(), "ディスクの診断は終了しました");
        EXPECT_NE(logs.at(logs.size() - 2).find(stop ? "0 個" : "5 個"), std::string::npos);
    }
}
