#include "engine/worker/ScanWorker.h"

#include "ScriptedSink.h"
#include "WorkerTestNodes.h"
#include "engine/request/Messages.h"
#include "engine/tree/FileEntry.h"
#include "engine/worker/WorkerPosting.h"
#include "platform/Utf.h"

#include <gtest/gtest.h>
#include <thread>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

int window = 0; // stands for the tree window

class ScanWorkerTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetDetailMode(false);
        SetWorkerTickClock(nullptr);
    }

    SteppingMethod& Attach(ScriptedScanNode& node, std::uint64_t length) {
        auto method = std::make_unique<SteppingMethod>(length);
        SteppingMethod& ref = *method;
        node.AttachMethod(std::move(method));
        return ref;
    }

    ScriptedSink sink;
    TreeItemRecord record{&sink, &window};
};

std::vector<std::uint64_t> Values(const std::vector<ReceivedRequest>& requests) {
    std::vector<std::uint64_t> values;
    for (const auto& r : requests)
        values.push_back(r.value);
    return values;
}

} // namespace

TEST_F(ScanWorkerTest, EmptyRangeSkipsBothScanLoopsAndReconstructsAtOnce) {
    ScriptedScanNode node(0);
    SteppingMethod& method = Attach(node, 0);
    record.SetNode(&node);
    ASSERT_TRUE(StartScanWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitDone);
    ASSERT_TRUE(sink.WaitForMessage(msg::kScanFinished));
    EXPECT_EQ(record.GetJobState(), kJobDone);
    EXPECT_EQ(method.searchSteps, 0);
    EXPECT_EQ(method.detectSteps, 0);
    EXPECT_EQ(sink.LogTexts(),
              (std::vector<std::string>{"スキャンを開始しました", "不明な方式を使用します",
                                        "ファイルシステムを検出しています",
                                        "ファイル/フォルダを検出しています",
                                        "フォルダを再構成しています", "スキャンは終了しました"}));
    // Scanning screen first and browse screen last; the bar's maximum is range - 1.
    EXPECT_EQ(Values(sink.Messages(msg::kShowScreen)),
              (std::vector<std::uint64_t>{msg::kScreenScan, msg::kScreenBrowse}));
    EXPECT_EQ(Values(sink.Messages(msg::kProgressStart)),
              (std::vector<std::uint64_t>{~0ull, ~0ull}));
    const auto received = sink.Received();
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().message, msg::kScanFinished);
    EXPECT_EQ(received.back().pointer, &record);
    EXPECT_FALSE(received.back().senderWaits);
    for (const auto& r : received) {
        if (r.message == msg::kLogLine) {
            EXPECT_EQ(ToUtf8(r.strings[0]), "スキャン結果");
        }
    }
}

TEST_F(ScanWorkerTest, StopDuringTheSearchEndsWithTheCancelSuffixAndTheEndMessages) {
    SetDetailMode(true);
    ScriptedScanNode node(100);
    SteppingMethod& method = Attach(node, 100);
    method.searchResult = 5; // the search would go on for ever
    method.onSearch = [&](SteppingMethod& m) {
        if (m.searchSteps == 3)
            record.SetJobState(kJobCancel);
    };
    record.SetNode(&node);
    ASSERT_TRUE(StartScanWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitFailed);
    EXPECT_EQ(record.GetJobState(), kJobCancel);
    EXPECT_EQ(method.searchSteps, 3);
    EXPECT_EQ(method.detectSteps, 0);
    const auto logs = sink.LogTexts();
    ASSERT_FALSE(logs.empty());
    EXPECT_EQ(logs.back(), "スキャンは終了しました(キャンセル)");
    EXPECT_EQ(Values(sink.Messages(msg::kShowScreen)).back(), msg::kScreenBrowse);
    EXPECT_TRUE(sink.WaitForMessage(msg::kScanFinished));
    EXPECT_EQ(sink.Messages(msg::kScanFinished).size(), 1u);
}

TEST_F(ScanWorkerTest, FailedPhasesAndAMissingMethodEndAsFailed) {
    SetDetailMode(true);
    {
        ScriptedScanNode node(10);
        Attach(node, 10).searchResult = kStepFailed;
        record.SetNode(&node);
        ASSERT_TRUE(StartScanWorker(record));
        EXPECT_EQ(record.JoinWorker(), kWorkerExitFailed);
        const auto logs = sink.LogTexts();
        ASSERT_GE(logs.size(), 2u);
        EXPECT_EQ(logs[logs.size() - 2], "ファイルシステムの検出に失敗しました");
        EXPECT_EQ(logs.back(), "スキャンは終了しました(失敗)");
    }
    {
        ScriptedScanNode node(10);
        SteppingMethod& method = Attach(node, 10);
        method.detectFailsAt = 4;
        record.SetNode(&node);
        ASSERT_TRUE(StartScanWorker(record));
        EXPECT_EQ(record.JoinWorker(), kWorkerExitFailed);
        EXPECT_EQ(record.GetJobState(), kJobFailed);
        const auto logs = sink.LogTexts();
        EXPECT_EQ(logs[logs.size() - 2], "ファイル/フォルダの検出に失敗しました");
        EXPECT_TRUE(sink.Messages(msg::kFoundFiles).empty()); // nothing was found
    }
    {
        ScriptedScanNode node(10); // no method attached
        record.SetNode(&node);
        const std::size_t before = sink.LogTexts().size();
        ASSERT_TRUE(StartScanWorker(record));
        EXPECT_EQ(record.JoinWorker(), kWorkerExitFailed);
        EXPECT_EQ(record.GetJobState(), kJobFailed);
        const auto logs = sink.LogTexts();
        EXPECT_EQ(std::vector<std::string>(logs.begin() + static_cast<long>(before), logs.end()),
                  (std::vector<std::string>{"スキャンを開始しました", "を使用します",
                                            "スキャンは終了しました(失敗)"}));
    }
}

TEST_F(ScanWorkerTest, PauseAnsweredNoResumesAndYesStops) {
    for (const int answer : {static_cast<int>(kJobRunning), static_cast<int>(kJobCancel)}) {
        ScriptedSink local;
        TreeItemRecord item(&local, &window);
        ScriptedScanNode node(10);
        SteppingMethod& method = Attach(node, 10);
        // The tree asks "終了してよろしいですか？" as detection begins.
        local.SetHook([&](const ReceivedRequest& r) {
            if (r.message == msg::kPhaseText &&
                ToUtf8(r.text) == "ファイル/フォルダを検出しています")
                item.SetJobState(kJobPaused);
        });
        item.SetNode(&node);
        ASSERT_TRUE(StartScanWorker(item));
        ASSERT_TRUE(local.WaitForLog("ファイル/フォルダを検出しています"));
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(method.detectSteps, 0); // paused at its stop test
        EXPECT_TRUE(item.WorkerRunning());
        item.SetJobState(answer);
        const int code = item.JoinWorker();
        if (answer == kJobRunning) {
            EXPECT_EQ(code, kWorkerExitDone);
            EXPECT_EQ(item.GetJobState(), kJobDone);
            EXPECT_EQ(method.detectSteps, 10);
            EXPECT_EQ(method.detectStops, 0);
        } else {
            EXPECT_EQ(code, kWorkerExitFailed);
            EXPECT_EQ(item.GetJobState(), kJobCancel);
            EXPECT_EQ(method.detectSteps, 0);
            EXPECT_EQ(method.detectStops, 1); // adds what it met before the stop
        }
    }
}

TEST_F(ScanWorkerTest, PositionAndFoundFilesMessagesAreRateLimitedTo50Milliseconds) {
    std::atomic<std::uint64_t> now{1000};
    SetWorkerTickClock([&] { return now.load(); });
    ScriptedScanNode node(10);
    SteppingMethod& method = Attach(node, 10);
    method.onDetect = [&](SteppingMethod& m) {
        now += 20; // each step takes 20 ms
        if (m.detectSteps != 2)
            node.AddFile(std::make_unique<FileEntry>()); // every step but the second finds one
    };
    std::vector<std::size_t> shown; // files in the list each time the screen may show them
    sink.SetHook([&](const ReceivedRequest& r) {
        if (r.message == msg::kFoundFiles)
            shown.push_back(static_cast<const ResultNode::FileList*>(r.pointer)->size());
    });
    record.SetNode(&node);
    ASSERT_TRUE(StartScanWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitDone);
    // Steps end at +20 ... +200 ms: positions are due at +60, +120 and +180, then the bar
    // is filled; found files at +20, +80, +140 and when detection ends.
    EXPECT_EQ(Values(sink.Messages(msg::kProgressPosition)),
              (std::vector<std::uint64_t>{2, 5, 8, 9}));
    EXPECT_EQ(shown, (std::vector<std::size_t>{1, 3, 6, 9}));
}

// A phase whose step answers "complete" (all ones) leaves the bar at its maximum, never
// at all ones minus one.
TEST_F(ScanWorkerTest, LastPositionOfAPhaseIsClampedToTheRange) {
    std::atomic<std::uint64_t> now{1000};
    SetWorkerTickClock([&] { return now += 100; }); // every position is due
    ScriptedScanNode node(10);
    Attach(node, 10).searchResult = kStepComplete;
    record.SetNode(&node);
    ASSERT_TRUE(StartScanWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitDone);
    const auto positions = Values(sink.Messages(msg::kProgressPosition));
    ASSERT_FALSE(positions.empty());
    for (std::uint64_t position : positions)
        EXPECT_LE(position, 9u);
}
