#include "app/shell/UiRequestEvent.h"

#include <QCoreApplication>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace vantrel;

namespace {

// Answers questions and records what reached it.
class Receiver : public QObject {
public:
    int answer = msg::kAnswerYes;
    QStringList texts;
    std::vector<msg::MessageId> messages;
    QObject* a = nullptr;
    QObject* b = nullptr;
    QObject* c = nullptr;

protected:
    void customEvent(QEvent* event) override {
        auto* request = UiRequestEvent::Cast(event);
        if (!request)
            return;
        messages.push_back(request->message());
        texts.append(request->text() + request->strings().join(QLatin1Char('|')));
        if (request->message() == msg::kLogLine && a) {
            request->relayTo({a, b, c});
            return;
        }
        request->setAnswer(answer);
        request->complete();
    }
};

} // namespace

class UiRequestEventTest : public QObject {
    Q_OBJECT

private slots:
    void typesCarryTheMessageNumber() {
        QCOMPARE(static_cast<int>(UiRequestEvent::TypeFor(msg::kLogLine)), QEvent::User + 0x474);
        QEvent other(QEvent::MouseMove);
        QVERIFY(UiRequestEvent::Cast(&other) == nullptr);
    }

    // A worker thread asks and waits; the window thread answers; the worker reads the
    // answer. A request not waited for is deleted by its completion (ASan checks).
    void workerQuestionIsAnsweredOnTheWindowThread() {
        Receiver receiver;
        receiver.answer = msg::kAnswerYesToAll;
        QtRequestSink sink(&receiver);
        std::atomic<int> answer{0};
        std::atomic<bool> done{false};
        std::thread worker([&] {
            auto forget = std::make_unique<UiRequest>(&receiver, msg::kPhaseText);
            forget->text = u"ファイルシステムを検出しています";
            PostAndForget(sink, std::move(forget));
            UiRequest question(&receiver, msg::kAskOverwrite, 1, true);
            question.SetAnswer(msg::kAnswerNone);
            PostAndWait(sink, question);
            answer = question.Answer();
            done = true;
        });
        QTRY_VERIFY(done.load());
        worker.join();
        QCOMPARE(answer.load(), msg::kAnswerYesToAll);
        QCOMPARE(receiver.messages.front(), msg::kPhaseText);
        QCOMPARE(receiver.texts.front(), QStringLiteral("ファイルシステムを検出しています"));
    }

    // A log line reaches the tree once and is spread over three lists; the worker is
    // released only after all three have it, and a missing list does not hold it up.
    void logLineRelayedToThreeListsReleasesTheWorker() {
        Receiver tree, list1, list2;
        tree.a = &list1;
        tree.b = &list2;
        tree.c = nullptr;
        QtRequestSink sink(&tree);
        std::atomic<bool> done{false};
        std::thread worker([&] {
            PostLogLine(sink, &tree, u"パーティション1", u"スキャンを開始しました");
            done = true;
        });
        QTRY_VERIFY(done.load());
        worker.join();
        QCOMPARE(list1.texts,
                 QStringList{QStringLiteral("パーティション1|スキャンを開始しました")});
        QCOMPARE(list2.texts.size(), 1);
    }

    // The receiver is destroyed with a question still queued: the waiting worker wakes
    // with no answer, and later posts are refused (the sender keeps its request).
    void destroyedReceiverReleasesWaitersAndRefusesPosts() {
        auto* receiver = new Receiver;
        QtRequestSink sink(receiver);
        UiRequest question(receiver, msg::kAskSizeLimit, 1, true);
        question.SetAnswer(msg::kAnswerNone);
        std::atomic<bool> done{false};
        std::thread worker([&] {
            PostAndWait(sink, question);
            done = true;
        });
        while (question.PendingCount() == 0 && !done)
            std::this_thread::yield();
        delete receiver; // the queued event is dropped unhandled
        worker.join();
        QCOMPARE(question.Answer(), msg::kAnswerNone);
        QVERIFY(!sink.attached());
        UiRequest late(nullptr, msg::kMessageBox);
        QVERIFY(!PostRequest(sink, &late));
    }

    void frameRequestToNullReceiverIsFreed() {
        PostUiRequest(nullptr, msg::kShowScreen, 2); // ASan reports a leak if kept
        Receiver receiver;
        PostUiRequest(&receiver, msg::kShowScreen, 2);
        QCoreApplication::sendPostedEvents(&receiver);
        QCOMPARE(receiver.messages.size(), std::size_t{1});
    }
};

QTEST_GUILESS_MAIN(UiRequestEventTest)
#include "UiRequestEventTest.moc"
