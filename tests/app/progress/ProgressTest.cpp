// The progress widgets and screens on the offscreen platform, fed as the frame feeds
// them (request events), with screenshots of the scan, salvage and diagnosis screens.

#include "MemoryDisk.h"
#include "app/progress/DiagnosisScreen.h"
#include "app/progress/SalvageProgressScreen.h"
#include "app/progress/ScanProgressScreen.h"
#include "app/shell/UiRequestEvent.h"
#include "engine/salvage/SalvageJob.h"
#include "skin/Fonts.h"
#include "skin/ProgramLook.h"

#include <QApplication>
#include <QDir>
#include <QTest>

using namespace vantrel;

namespace {

// Delivers a request as the frame does and waits until the receiver has completed it.
void Deliver(QObject* receiver, msg::MessageId message, std::uint64_t value = 0,
             void* pointer = nullptr, const QString& text = {}) {
    auto request = std::make_unique<UiRequest>(receiver, message);
    request->value = value;
    request->pointer = pointer;
    request->text = text.toStdU16String();
    PostUiRequest(receiver, std::move(request));
    QCoreApplication::sendPostedEvents(receiver);
}

void Screenshot(QWidget& widget, const QString& name) {
    const QString folder = qEnvironmentVariable("VANTREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(widget.grab().save(folder + u'/' + name + QStringLiteral(".png")));
}

ResultNode::FileList Entries(const QStringList& names) {
    ResultNode::FileList list;
    std::uint64_t size = 0;
    for (const QString& name : names) {
        auto entry = std::make_unique<FileEntry>();
        entry->name = name.toStdU16String();
        entry->size = size;
        entry->condition = size ? 3 : 0;
        entry->deleted = true;
        entry->modifyTime = 1565776800;
        size += 70000;
        list.push_back(std::move(entry));
    }
    return list;
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class ProgressTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        InstallFontSubstitutions();
        ApplyProgramLook(*qApp);
    }

    void progressBarFillsWithoutOverflow() {
        const std::uint64_t top = ~std::uint64_t{0};
        QCOMPARE(ProgressBar::FillWidth(0, top, 0, 500), 0);
        QCOMPARE(ProgressBar::FillWidth(0, top, top, 500), 500);
        QCOMPARE(ProgressBar::FillWidth(0, top, top / 2, 500), 249);
        QCOMPARE(ProgressBar::FillWidth(7, 7, 7, 500), 0); // no span, no fill
        ProgressBar bar;
        bar.setRange(10, 20);
        bar.setPosition(99);
        QCOMPARE(bar.position(), 20u);
        bar.setRange(5, 8);
        QCOMPARE(bar.position(), 5u);
    }

    void blinkLabelBlinksAndStops() {
        BlinkLabel label;
        label.setText(QStringLiteral("フォルダを再構成しています"));
        label.setBlinking(true);
        QVERIFY(label.textVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!label.textVisible(), 30000);
        label.setBlinking(false);
        QVERIFY(label.textVisible());
        label.setShown(false);
        QVERIFY(!label.textVisible());
    }

    // The shift for large totals, an estimate that rises a second at a time and falls at
    // once, and the time texts only in detail mode.
    void scanScreenEstimateAndTexts() {
        std::int64_t now = 1000;
        ScanProgressScreen screen(nullptr, [&now] { return now; });
        Deliver(&screen, msg::kProgressStart, std::uint64_t{1} << 40);
        QCOMPARE(screen.estimate().Shift(), 9u);
        Deliver(&screen, msg::kProgressStart, 999);
        QCOMPARE(screen.estimate().Shift(), 0u);
        QCOMPARE(screen.statusLabel()->text(), QStringLiteral("0 / 999"));
        screen.setDetailMode(true);
        now += 10;
        Deliver(&screen, msg::kProgressPosition, 100); // 10 s for 100 of 999: 99 s
        QCOMPARE(screen.estimate().EstimatedDuration(), 99u);
        Deliver(&screen, msg::kProgressPosition, 120); // same second: text and bar only
        QCOMPARE(screen.estimate().EstimatedDuration(), 99u);
        QCOMPARE(screen.progressBar()->position(), 120u);
        QCOMPARE(screen.statusLabel()->text(),
                 QStringLiteral("120 / 999 経過時間00:00:10 予想時間00:01:39 残り時間00:01:29"));
        now += 10;
        Deliver(&screen, msg::kProgressPosition, 125); // 160 s: shown as 100
        QCOMPARE(screen.estimate().EstimatedDuration(), 100u);
        now += 4;
        Deliver(&screen, msg::kProgressPosition, 400); // 60 s: at once
        QCOMPARE(screen.estimate().EstimatedDuration(), 59u);
        screen.setDetailMode(false);
        Deliver(&screen, msg::kProgressPosition, 401);
        QCOMPARE(screen.statusLabel()->text(), QStringLiteral("401 / 999"));
        Deliver(&screen, msg::kPhaseText, 0, nullptr, QStringLiteral("フォルダを再構成しています"));
        QVERIFY(screen.statusLabel()->blinking());
    }

    // Found entries keep their order, empty ones are counted as filtered out, a settings
    // broadcast filters again, and the rows outlive the entries.
    void scanScreenFoundFiles() {
        ScanProgressScreen screen;
        screen.resize(1012, 610);
        Deliver(&screen, msg::kProgressStart, 49151);
        ScanSettings settings;
        settings.includeEmptyFiles = false;
        Deliver(screen.foundList(), msg::kSettingsChanged, 0, &settings);
        auto entries = Entries({QStringLiteral("00000000.jpg"), QStringLiteral("00000001.png"),
                                QStringLiteral("00000002.txt")});
        Deliver(&screen, msg::kFoundFiles, 0, &entries);
        entries.push_back(std::move(Entries({QStringLiteral("x"), QStringLiteral("写真.jpg")})[1]));
        Deliver(&screen, msg::kFoundFiles, 0, &entries);
        const FileListModel& model = *screen.foundList()->fileModel();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(),
                 QStringLiteral("00000001.png"));
        QCOMPARE(model.data(model.index(2, 0), Qt::DisplayRole).toString(),
                 QStringLiteral("写真.jpg"));
        QCOMPARE(screen.foundLabel()->text(), QStringLiteral("4 ( 対象外:1 ) "));
        entries.clear();
        QCOMPARE(model.data(model.index(2, 1), Qt::DisplayRole).toString(),
                 QStringLiteral("69 KB"));
        Deliver(&screen, msg::kProgressPosition, 20000);
        screen.show();
        Screenshot(screen, QStringLiteral("scan-screen"));
        screen.setDetailMode(true);
        Deliver(&screen, msg::kProgressPosition, 30000);
        Screenshot(screen, QStringLiteral("scan-screen-detail"));
    }

    void salvageScreenFollowsTheRun() {
        SalvageProgressScreen screen;
        screen.resize(1012, 610);
        auto entries = Entries({QStringLiteral("報告書.txt"), QStringLiteral("photo.jpg")});
        Deliver(&screen, msg::kSalvageStart, 2);
        QCOMPARE(screen.overallLabel()->text(), QStringLiteral("0 / 2"));
        Deliver(&screen, msg::kSalvageFileStart, 0, entries[1].get(), QStringLiteral("photo.jpg"));
        QCOMPARE(screen.fileLabel()->text(), QStringLiteral("0 / 70000"));
        Deliver(&screen, msg::kSalvageFileProgress, 35000);
        QCOMPARE(screen.fileBar()->position(), 35000u);
        RecoveredList recovered;
        for (auto& entry : entries)
            recovered.Add(entry.get());
        Deliver(&screen, msg::kSalvageRecovered, 2, &recovered);
        QCOMPARE(screen.recoveredList()->fileModel()->rowCount(), 2);
        QCOMPARE(screen.overallBar()->position(), 2u);
        screen.logList()->addLine(QStringLiteral("既存のフォルダ[VANTRELDEMO]"),
                                  QStringLiteral("ファイルの回収を開始しました"));
        screen.show();
        Screenshot(screen, QStringLiteral("salvage-screen"));
        SalvageSummary summary;
        summary.ok = 2;
        Deliver(&screen, msg::kSalvageEnd, 4, &summary);
        QVERIFY(screen.currentFileLabel()->text().contains(QStringLiteral("回収 2")));
    }

    // Many small files: the frame's loop runs between messages, yet the screen paints (and
    // adds rows to its list) on its own clock, not once per message, and paints the last
    // state when the run ends.
    void salvageScreenPaintsOnItsOwnClock() {
        SalvageProgressScreen screen;
        screen.resize(1012, 610);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        auto entries = Entries({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        RecoveredList recovered;
        Deliver(&screen, msg::kSalvageStart, 2);
        QCoreApplication::processEvents();
        PaintCounter counter;
        screen.recoveredList()->viewport()->installEventFilter(&counter);
        // The messages come faster than the clock: the loop between them runs without
        // timers, so a loaded machine cannot let the clock run out between two of them.
        const auto loopBetween = [] {
            QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
        };
        for (auto& entry : entries) {
            Deliver(&screen, msg::kSalvageFileStart, 0, entry.get(), QStringLiteral("x"));
            loopBetween();
            recovered.Add(entry.get());
            Deliver(&screen, msg::kSalvageRecovered, recovered.Size(), &recovered);
            loopBetween();
        }
        QCOMPARE(counter.paints, 0);
        QVERIFY(screen.paintHeld());
        // Rows join the list when it is painted: each addition lays out every row again.
        QCOMPARE(screen.recoveredList()->fileModel()->rowCount(), 0);
        QCOMPARE(screen.overallLabel()->text(), QStringLiteral("2 / 2"));
        QTRY_VERIFY(counter.paints > 0);
        QVERIFY(!screen.paintHeld());
        QCOMPARE(screen.recoveredList()->fileModel()->rowCount(), 2);
        Deliver(&screen, msg::kSalvageFileStart, 0, entries[0].get(), QStringLiteral("y"));
        SalvageSummary summary;
        Deliver(&screen, msg::kSalvageEnd, 2, &summary);
        QVERIFY(!screen.paintHeld());
        QVERIFY(screen.updatesEnabled());
    }

    void diagnosisScreenShowsTheMap() {
        QCOMPARE(GroupBlocks({BlockStatus::Fine, BlockStatus::Unreadable, BlockStatus::Unread,
                              BlockStatus::Unread, BlockStatus::Slow, BlockStatus::Fine},
                             3),
                 (std::vector<BlockStatus>{BlockStatus::Unreadable, BlockStatus::Unread,
                                           BlockStatus::Slow}));
        testing::MemoryDisk memory(20000, 512);
        testing::FaultyDisk disk(memory);
        for (std::uint64_t lba = 9000; lba < 9040; ++lba)
            disk.MakeUnreadable(lba);
        CDiskWindow window;
        QVERIFY(window.Open(&disk, 0, 0));
        DiskCheckOptions options;
        options.blockBytes = 16 * 512;
        DiskCheck check(options);
        QVERIFY(check.SetUp(&window));
        for (int i = 0; i < 900; ++i)
            QVERIFY(check.Step());
        DiagnosisScreen screen;
        screen.show();
        screen.resize(1100, 700);
        QCOMPARE(screen.view()->geometry(), QRect(44, 45, 1012, 610));
        screen.setTarget(QStringLiteral("ハードディスク(/dev/sdb)"));
        Deliver(&screen, msg::kDiagnosisProgress, 0, &check);
        QCOMPARE(screen.view()->picture().unreadableSectors, 40u);
        QCOMPARE(screen.view()->picture().position, 14400u);
        Screenshot(screen, QStringLiteral("diagnosis-screen"));
        screen.resize(800, 500);
        QCOMPARE(screen.view()->geometry(), QRect(0, 0, 800, 500));
    }
};

QTEST_MAIN(ProgressTest)
#include "ProgressTest.moc"
