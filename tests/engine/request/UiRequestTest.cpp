#include "engine/request/RequestQueue.h"
#include "engine/request/TreeItemRecord.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

// A sink that refuses everything, as a window that is gone would.
class ClosedSink : public RequestSink {
public:
    bool Post(UiRequest*) override { return false; }
};

} // namespace

TEST(UiRequest, ReceiverThatBringsTheCountToZeroDeletesAndNoOtherDoes) {
    RequestQueue queue;
    auto request = std::make_unique<UiRequest>(nullptr, msg::kLogLine, 3);
    request->strings = {u"ノード", u"解析を開始しました"};
    ASSERT_TRUE(PostAndForget(queue, std::move(request)));
    UiRequest* received = queue.Take(0ms);
    ASSERT_NE(received, nullptr);
    EXPECT_EQ(received->PendingCount(), 3);
    EXPECT_FALSE(UiRequest::Complete(received));
    EXPECT_FALSE(UiRequest::Complete(received));
    EXPECT_TRUE(UiRequest::Complete(received)); // freed here; LeakSanitizer checks the rest
}

TEST(UiRequest, WaitingSenderWakesWithTheAnswerAndCountNeverGoesBelowZero) {
    RequestQueue queue;
    std::thread receiver([&queue] {
        UiRequest* question = queue.Take(5s);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(question->Answer(), msg::kAnswerNone);
        std::this_thread::sleep_for(20ms); // the sender is really waiting by now
        question->SetAnswer(msg::kAnswerYesToAll);
        EXPECT_FALSE(UiRequest::Complete(question)); // a waited request is the sender's
        EXPECT_FALSE(UiRequest::Complete(question)); // a stray second completion
    });
    UiRequest question(nullptr, msg::kAskOverwrite);
    question.results = {msg::kAnswerNone};
    ASSERT_TRUE(PostAndWait(queue, question));
    receiver.join();
    EXPECT_EQ(question.PendingCount(), 0);
    EXPECT_EQ(question.Answer(), msg::kAnswerYesToAll);
}

TEST(UiRequest, ClosingTheQueueReleasesWaitingSendersAndRefusesLaterPosts) {
    RequestQueue queue;
    std::atomic<bool> answered{false};
    std::thread sender([&] {
        UiRequest question(nullptr, msg::kAskSizeLimit);
        question.results = {msg::kAnswerNone};
        EXPECT_TRUE(PostAndWait(queue, question));
        EXPECT_EQ(question.Answer(), msg::kAnswerNone); // nobody answered
        answered = true;
    });
    while (queue.Size() == 0)
        std::this_thread::sleep_for(1ms);
    queue.Close();
    sender.join();
    EXPECT_TRUE(answered);
    // A request not delivered stays the sender's and is freed by the helper.
    EXPECT_FALSE(PostAndForget(queue, std::make_unique<UiRequest>(nullptr, msg::kShowScreen)));
    ClosedSink gone;
    EXPECT_FALSE(PostLogLine(gone, nullptr, u"a", u"b"));
}

TEST(TreeItemRecord, StopTestWaitsWhilePausedAndAnswersByTheStateThatFollows) {
    TreeItemRecord record;
    record.SetJobState(kJobRunning);
    EXPECT_FALSE(record.StopRequested());

    for (const int answer : {static_cast<int>(kJobRunning), static_cast<int>(kJobCancel)}) {
        record.SetJobState(kJobPaused);
        std::atomic<bool> returned{false};
        bool stop = false;
        std::thread worker([&] {
            stop = record.StopRequested();
            returned = true;
        });
        std::this_thread::sleep_for(30ms);
        EXPECT_FALSE(returned) << "the stop test returned while the user was being asked";
        record.SetJobState(answer);
        worker.join();
        EXPECT_EQ(stop, answer == kJobCancel);
    }
    // A worker that ends must not turn a cancel into a failure.
    EXPECT_FALSE(record.ChangeJobState(kJobRunning, kJobFailed));
    EXPECT_EQ(record.GetJobState(), kJobCancel);
}

TEST(TreeItemRecord, WorkerSeesItselfStoredOneAtATimeAndReportsItsExitCode) {
    TreeItemRecord record;
    std::atomic<bool> release{false};
    std::atomic<bool> sawItselfRunning{false};
    ASSERT_TRUE(record.StartWorker([&](TreeItemRecord& self) {
        sawItselfRunning = self.WorkerRunning();
        while (!release)
            std::this_thread::sleep_for(1ms);
        return kWorkerExitDone;
    }));
    EXPECT_FALSE(record.StartWorker([](TreeItemRecord&) { return kWorkerExitFailed; }));
    release = true;
    EXPECT_EQ(record.JoinWorker(), kWorkerExitDone);
    EXPECT_TRUE(sawItselfRunning);
    EXPECT_FALSE(record.WorkerRunning());
    // After the first has ended a new worker may start.
    ASSERT_TRUE(record.StartWorker([](TreeItemRecord&) { return kWorkerExitFailed; }));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitFailed);
}

TEST(JobState, WordsIncludingUnknownValues) {
    EXPECT_EQ(JobStateWord(kJobCancel), u"キャンセル");
    EXPECT_EQ(JobStateWord(kJobDone), u"正常終了");
    EXPECT_EQ(JobStateWord(0), u"不明");
    EXPECT_EQ(JobStateWord(6), u"不明");
}
