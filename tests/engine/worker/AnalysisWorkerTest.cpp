#include "engine/worker/AnalysisWorker.h"

#include "ScriptedSink.h"
#include "WorkerTestNodes.h"
#include "engine/request/Messages.h"
#include "engine/settings/ScanSettings.h"
#include "engine/worker/WorkerPosting.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

int window = 0;

// A chain of folders, each the only child of the one before; returns the deepest.
ScriptedFolder* BuildChain(ScriptedFolder& top, int levels) {
    ScriptedFolder* at = &top;
    for (int i = 0; i < levels; ++i)
        at = static_cast<ScriptedFolder*>(&at->AddChild(std::make_unique<ScriptedFolder>(
            u"f" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)))));
    return at;
}

} // namespace

TEST(AnalysisWorker, FolderAnalysisAnalysesTheNodeOnlyAndAlreadyAnalysedNodesAreNotLogged) {
    ScriptedSink sink;
    TreeItemRecord record(&sink, &window);
    ScriptedFolder top(u"top", 3);
    ScriptedFolder* child = BuildChain(top, 1);
    record.SetNode(&top);
    ASSERT_TRUE(StartFolderAnalysisWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitDone);
    EXPECT_EQ(record.GetJobState(), kJobDone);
    EXPECT_EQ(top.stepsTaken, 3);
    EXPECT_EQ(child->stepsTaken, 0);
    EXPECT_EQ(sink.LogTexts(), (std::vector<std::string>{"解析を開始しました", "解析をしています",
                                                         "解析は終了しました"}));
    EXPECT_TRUE(sink.WaitForMessage(msg::kScanFinished));
    EXPECT_EQ(sink.Messages(msg::kScanFinished).size(), 1u);

    ASSERT_TRUE(StartFolderAnalysisWorker(record)); // again: nothing left to analyse
    EXPECT_EQ(record.JoinWorker(), kWorkerExitDone);
    EXPECT_EQ(top.stepsTaken, 3);
    EXPECT_EQ(sink.LogTexts().size(), 5u);
}

TEST(AnalysisWorker, DeepAnalysisGoesDownToTheSettingsDepthAndStopsAtTheFirstFailure) {
    ScriptedSink sink;
    TreeItemRecord record(&sink, &window);
    const ScanSettings settings(0);
    record.SetSettings(&settings);
    ScriptedFolder top(u"top");
    ScriptedFolder* level101 = BuildChain(top, 101);
    record.SetNode(&top);
    ASSERT_TRUE(StartDeepAnalysisWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitDone);
    ASSERT_NE(level101->Parent(), nullptr);
    EXPECT_EQ(static_cast<ScriptedFolder*>(level101->Parent())->stepsTaken, 1); // level 100
    EXPECT_EQ(level101->stepsTaken, 0);

    ScriptedFolder root(u"root");
    root.AddChild(std::make_unique<ScriptedFolder>(u"bad", 1, true));
    auto& after =
        static_cast<ScriptedFolder&>(root.AddChild(std::make_unique<ScriptedFolder>(u"after")));
    record.SetNode(&root);
    ASSERT_TRUE(StartDeepAnalysisWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitFailed);
    EXPECT_EQ(record.GetJobState(), kJobFailed);
    EXPECT_EQ(after.stepsTaken, 0);
    const auto logs = sink.LogTexts();
    EXPECT_EQ(logs[logs.size() - 2], "解析に失敗しました");

    record.SetSettings(nullptr); // a deep analysis needs the settings
    ScriptedFolder lone(u"lone");
    record.SetNode(&lone);
    ASSERT_TRUE(StartDeepAnalysisWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitFailed);
    EXPECT_EQ(lone.stepsTaken, 0);
}

TEST(AnalysisWorker, StoppedAnalysisPostsNoEndMessage) {
    SetDetailMode(true);
    ScriptedSink sink;
    TreeItemRecord record(&sink, &window);
    ScriptedFolder top(u"top", 1000);
    sink.SetHook([&](const ReceivedRequest& r) {
        if (r.message == msg::kLogLine && r.strings.size() == 2 &&
            r.strings[1] == u"解析をしています")
            record.SetJobState(kJobCancel);
    });
    record.SetNode(&top);
    ASSERT_TRUE(StartFolderAnalysisWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitFailed);
    SetDetailMode(false);
    EXPECT_EQ(record.GetJobState(), kJobCancel);
    EXPECT_EQ(top.stepsTaken, 0);
    EXPECT_EQ(sink.LogTexts().back(), "解析は終了しました(キャンセル)");
    EXPECT_TRUE(sink.Messages(msg::kScanFinished).empty());
}
