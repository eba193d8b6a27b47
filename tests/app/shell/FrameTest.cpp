#include "../Screenshot.h"
#include "FakeBrowse.h"
#include "app/dialogs/AboutWindow.h"
#include "app/dialogs/QuestionDialog.h"
#include "app/settings/ConfigPages.h"
#include "app/settings/EasySearchWizard.h"
#include "app/settings/NumberSpinEdit.h"
#include "app/settings/SettingsSheet.h"
#include "app/shell/CVntMFCFrameWnd.h"
#include "app/shell/ScreenHost.h"
#include "app/shell/StartPage.h"
#include "app/shell/UiRequestEvent.h"
#include "device/HandleDisk.h"
#include "engine/tree/FileEntry.h"
#include "skin/TesselBitmapFormWindow.h"
#include "skin/TesselToolBarWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <functional>
#include <thread>

using namespace vantrel;
using vantrel::test::FakeBrowse;
using Focus = BrowseScreenPort::Focus;

namespace {

// Runs `act` on the next modal dialog of type T once it is up (polled: the dialog may
// come from a request that has not arrived yet).
template <typename T>
void WhenModal(std::function<void(T*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start();
}

struct Harness {
    DriveList drives;
    std::vector<UnopenedDrive> unopened;
    FakeBrowse browse;
    std::unique_ptr<CVntMFCFrameWnd> frame;
    QStringList messages;
    QMessageBox::StandardButton reply = QMessageBox::No;

    Harness() {
        auto image = std::make_unique<CHandleDisk>();
        if (image->Open(VANTREL_SOURCE_DIR "/res/art/149.svg")) // any readable file
            drives.push_back(std::move(image));
        frame = std::make_unique<CVntMFCFrameWnd>(&drives, &unopened, false);
        frame->setBrowse(&browse);
        browse.tree.shutDownReplyTo = frame.get();
        frame->setMessageBoxHook(
            [this](QWidget*, QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
                messages.append(text);
                return reply;
            });
        frame->resize(1024, 700);
        frame->show();
    }
    void showScreen(int number) {
        frame->screenHost()->showScreen(number);
        frame->updateCommandStates();
        frame->updateStatusText();
    }
    std::vector<int> enabled() {
        std::vector<int> on;
        for (int id = cmd::kFirst; id <= cmd::kLast; ++id)
            if (frame->commandStates().enabled(id))
                on.push_back(id);
        return on;
    }
};

} // namespace

class FrameTest : public QObject {
    Q_OBJECT

private slots:
    // The rules of the command table, with the toolbar and menu following them.
    void commandStatesFollowScreenFocusAndSelection() {
        Harness h;
        h.showScreen(1);
        QCOMPARE(h.enabled(), (std::vector<int>{33001, 33002, 33010}));
        QVERIFY(!h.frame->action(cmd::kReturnToStart)->isEnabled());
        QVERIFY(h.frame->action(cmd::kAbout)->isEnabled() &&
                h.frame->action(cmd::kExit)->isEnabled());
        QVERIFY(h.frame->screenHost()->toolbar()->isCommandEnabled(33001));
        test::SaveScreenshot(h.frame.get(), QStringLiteral("main_window_start"));

        h.browse.focusOn = Focus::List;
        h.browse.selected = 1;
        h.showScreen(2);
        QCOMPARE(h.enabled(), (std::vector<int>{33000, 33006, 33007, 33008, 33009, 33010}));
        h.browse.selected = 2;
        h.frame->updateCommandStates();
        QCOMPARE(h.enabled(), (std::vector<int>{33000, 33006, 33009, 33010}));
        QVERIFY(!h.frame->screenHost()->toolbar()->isCommandEnabled(33007));

        // Focus moves to the tree, selection unchanged: the file commands go off.
        h.browse.focusOn = Focus::Tree;
        h.browse.selection = {true, false, true, false, false};
        h.frame->stateChanged();
        QTRY_COMPARE(h.enabled(), (std::vector<int>{33000, 33003, 33009, 33010}));
        h.browse.selection = {true, false, false, false, true}; // a folder with files
        h.frame->updateCommandStates();
        QCOMPARE(h.enabled(), (std::vector<int>{33000, 33005, 33009, 33010}));
        h.browse.selection.diskOrPartition = true;
        h.frame->updateCommandStates();
        QCOMPARE(h.enabled(), (std::vector<int>{33000, 33009, 33010}));

        h.browse.selection = {true, true, true, false, true};
        for (int screen : {3, 5}) {
            h.showScreen(screen);
            QCOMPARE(h.enabled(), (std::vector<int>{33004, 33010}));
        }
        h.showScreen(4);
        QCOMPARE(h.enabled(), (std::vector<int>{33010}));
        // A disabled command posted to the frame does nothing.
        QVERIFY(!h.frame->runCommand(cmd::kSalvageFiles));
    }

    void statusTextCountsRows() {
        Harness h;
        h.browse.shown = 12;
        h.browse.total = 15;
        h.frame->updateStatusText();
        QCOMPARE(h.frame->statusText(),
                 QStringLiteral("12個のファイル / 総ファイル数15 ( 対象外:3 ) "));
        h.browse.selected = 3;
        h.frame->updateStatusText();
        QCOMPARE(h.frame->statusText(), QStringLiteral("3個のファイルを選択"));
        QCOMPARE(StatusText(0, 0, 0),
                 QStringLiteral("0個のファイル / 総ファイル数0 ( 対象外:0 ) "));
    }

    void exitIsRefusedWhileWorkRunsAndConfirmedOtherwise() {
        Harness h;
        const char* refusals[] = {"スキャン中に終了することはできません。",
                                  "診断中に終了することはできません。",
                                  "回収中に終了することはできません。"};
        for (int screen : {3, 4, 5}) {
            h.showScreen(screen);
            QVERIFY(!h.frame->close());
            QCOMPARE(h.messages.takeLast(), QString::fromUtf8(refusals[screen - 3]));
        }
        QVERIFY(h.frame->isVisible());
        QVERIFY(h.browse.tree.messages.empty()); // the scan's tree is left alone

        h.showScreen(2);
        h.reply = QMessageBox::No;
        h.frame->close();
        QCOMPARE(h.messages.takeLast(), QStringLiteral("終了してよろしいですか？"));
        QCoreApplication::processEvents();
        QVERIFY(h.frame->isVisible() && h.browse.fillStops == 0);

        h.reply = QMessageBox::Yes;
        QSignalSpy closed(h.frame.get(), &CVntMFCFrameWnd::shutDownConfirmed);
        h.frame->close();
        QCOMPARE(h.browse.fillStops, 1);
        QTRY_COMPARE(closed.size(), 1); // tree answered 0x475
        QCOMPARE(h.browse.tree.messages.back(), msg::kShutDown);
        QVERIFY(!h.frame->isVisible());
    }

    void returnToStartAsksOnlyWhenResultsExist() {
        Harness h;
        h.showScreen(2);
        h.frame->runCommand(cmd::kReturnToStart);
        QTRY_COMPARE(h.frame->screenHost()->currentScreen(), 1);
        QVERIFY(h.messages.isEmpty());
        QCOMPARE(h.browse.tree.messages, std::vector<msg::MessageId>{msg::kReset});

        h.showScreen(2);
        h.browse.results = true;
        h.reply = QMessageBox::No;
        h.frame->runCommand(cmd::kReturnToStart);
        QCOMPARE(h.messages.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(h.frame->screenHost()->currentScreen(), 2);
    }

    // OK copies the pages back and broadcasts to the four receivers; Cancel changes
    // nothing even after edits.
    void settingsSheetCopiesBackOnOkOnly() {
        Harness h;
        h.showScreen(2);
        const ScanSettings before = h.frame->scanSettings();
        WhenModal<SettingsSheet>([](SettingsSheet* sheet) {
            sheet->basePage()->sizeFilter()->setChecked(true);
            sheet->reject();
        });
        h.frame->runCommand(cmd::kSettings);
        QVERIFY(h.frame->scanSettings() == before);
        QCoreApplication::processEvents();
        QVERIFY(h.browse.tree.messages.empty());

        WhenModal<SettingsSheet>([](SettingsSheet* sheet) {
            sheet->basePage()->sizeFilter()->setChecked(true);
            sheet->basePage()->maximumSize()->lineEdit()->setText(QStringLiteral("4096"));
            test::SaveScreenshot(sheet, QStringLiteral("settings_from_frame"));
            sheet->accept();
        });
        h.frame->runCommand(cmd::kSettings);
        QVERIFY(h.frame->scanSettings().sizeFilterOn);
        QCOMPARE(h.frame->scanSettings().maximumSize, 4096u);
        for (test::Recorder* receiver :
             {&h.browse.tree, &h.browse.list, &h.browse.foundFiles, &h.browse.recoveredFiles}) {
            QTRY_COMPARE(receiver->messages.size(), std::size_t{1});
            QCOMPARE(receiver->messages[0], msg::kSettingsChanged);
            QCOMPARE(receiver->pointers[0], static_cast<const void*>(&h.frame->scanSettings()));
        }
    }

    // Finish replaces the settings with the wizard's fresh record, resets to the chosen
    // drive and asks the tree to scan once ready; Cancel leaves everything as it was.
    void wizardReplacesSettingsAndStartsTheScan() {
        Harness h;
        QVERIFY(!h.drives.empty());
        h.showScreen(1);
        WhenModal<EasySearchWizard>([](EasySearchWizard* wizard) {
            wizard->typePage()->includeSwitch()->setChecked(true);
            wizard->reject();
        });
        h.frame->runCommand(cmd::kEasySearch);
        QVERIFY(!h.frame->scanSettings().includePatternsOn);

        ScanSettings narrowed = h.frame->scanSettings();
        narrowed.sizeFilterOn = true;
        h.frame->replaceSettings(narrowed);
        QCoreApplication::processEvents();
        h.browse.tree.messages.clear();
        WhenModal<EasySearchWizard>([](EasySearchWizard* wizard) {
            wizard->next();
            wizard->typePage()->includeSwitch()->setChecked(true);
            wizard->accept();
        });
        h.frame->runCommand(cmd::kEasySearch);
        QVERIFY(h.frame->scanSettings().includePatternsOn);
        QVERIFY(!h.frame->scanSettings().sizeFilterOn);
        QCOMPARE(
            h.browse.tree.messages,
            (std::vector<msg::MessageId>{msg::kSettingsChanged, msg::kReset, msg::kScanWhenReady}));
        QCOMPARE(h.browse.tree.values[1], 0u);
    }

    // A worker's question reaches the frame through the tree; the answer comes back
    // while the window kept working; log lines reach the three lists.
    void workerRequestsAreRoutedAndAnswered() {
        Harness h;
        QtRequestSink sink(h.frame.get()); // the tree relays everything to the frame
        FileEntry* entry = nullptr;
        std::atomic<int> answer{0};
        std::thread worker([&] {
            PostLogLine(sink, h.frame.get(), u"ドライブ", u"スキャンを開始しました");
            UiRequest question(h.frame.get(), msg::kAskSizeLimit, 1, true);
            question.pointer = entry;
            PostAndWait(sink, question);
            answer = question.Answer();
        });
        WhenModal<QuestionDialog>([](QuestionDialog* dialog) {
            test::SaveScreenshot(dialog, QStringLiteral("question_103_empty"));
            QVERIFY(dialog->press(msg::kAnswerYesToAll));
        });
        QTRY_COMPARE(answer.load(), msg::kAnswerYesToAll);
        worker.join();
        for (test::Recorder* list : {&h.browse.browseLog, &h.browse.scanLog, &h.browse.salvageLog})
            QTRY_COMPARE(list->messages.size(), std::size_t{1});

        PostUiRequest(h.frame.get(), msg::kProgressPosition, 41);
        PostUiRequest(h.frame.get(), msg::kSelectDriveIndex, 1);
        PostUiRequest(h.frame.get(), msg::kShowScreen, 3);
        h.frame->flush(); // everything posted before has been handled
        QCOMPARE(h.browse.scanProgress.values, std::vector<std::uint64_t>{41});
        QCOMPARE(h.browse.selector.values, std::vector<std::uint64_t>{1});
        QCOMPARE(h.frame->screenHost()->currentScreen(), 3);
    }

    void questionDialogsShowTheirFiles() {
        FileEntry entry;
        entry.name = u"写真.JPG";
        entry.size = 1025;
        entry.modifyTime = 1'700'000'000;
        const QuestionFile shown = DescribeEntry(entry);
        QVERIFY(shown.sizeAndTime.startsWith(QStringLiteral("1 KB\n更新日時: 2023年11月")));
        const QuestionFile missing = DescribeExistingFile(QStringLiteral("/nonexistent/写真.JPG"));
        QCOMPARE(missing.sizeAndTime, QStringLiteral("(不明な日付とサイズ)"));

        QuestionDialog overwrite(
            QuestionDialog::Kind::Overwrite, shown,
            DescribeExistingFile(QStringLiteral(VANTREL_SOURCE_DIR "/README.md")), {});
        test::SaveScreenshot(&overwrite, QStringLiteral("question_101_overwrite"));
        QVERIFY(overwrite.press(msg::kAnswerCancel));
        QCOMPARE(overwrite.answer(), msg::kAnswerCancel);
        QuestionDialog limit(QuestionDialog::Kind::SizeLimit, shown, {}, {});
        test::SaveScreenshot(&limit, QStringLiteral("question_103_size_limit"));
        QVERIFY(!limit.press(msg::kAnswerCancel)); // no cancel button on this one
        QuestionDialog failed(QuestionDialog::Kind::ContinueAfterFailure, shown, {},
                              QStringLiteral("読み込みエラー"));
        test::SaveScreenshot(&failed, QStringLiteral("question_failure"));
        failed.reject();
        QCOMPARE(failed.answer(), msg::kAnswerNo);
    }

    void aboutBoxAndStartPage() {
        AboutWindow about(AboutWindow::Role::About);
        QCOMPARE(about.versionText(),
                 QStringLiteral("Ver.") + QStringLiteral(VANTREL_VERSION_TEXT));
        test::SaveScreenshot(&about, QStringLiteral("about_box"));
        QTest::mouseClick(&about, Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));

        StartPage plain(false), detail(true);
        detail.resize(StartPage::kWidth, StartPage::kHeight);
        test::SaveScreenshot(&detail, QStringLiteral("start_page"));
        for (StartPage* page : {&plain, &detail})
            emit page->easySearchButton()->hoverChanged(true);
        QCOMPARE(plain.sidePicture(), 158);
        QCOMPARE(detail.sidePicture(), 159);
        QSignalSpy requested(&detail, &StartPage::commandRequested);
        emit detail.manualSearchButton()->clicked(33002);
        QCOMPARE(requested.size(), 1);
    }

    // Without the disk service (no system bus here) a drive that needs root is
    // explained with what to do; nothing is added to the drive list.
    void unopenedDriveIsExplained() {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
        Harness h;
        UnopenedDrive drive;
        drive.node = "/dev/sdz";
        drive.errnoValue = 13;
        drive.needsRoot = true;
        h.unopened.push_back(drive);
        const std::size_t before = h.drives.size();
        QCOMPARE(h.frame->openUnopenedDrive(0, nullptr), -1);
        QCOMPARE(h.drives.size(), before);
        QVERIFY(h.messages.last().contains(QStringLiteral("/dev/sdz")));
        QVERIFY(h.messages.last().contains(QStringLiteral("管理者の権限で Vantrel を起動")));
        QVERIFY(!h.frame->openImageFile(QStringLiteral("/nonexistent/disk.img")));
        QVERIFY(h.messages.last().contains(QStringLiteral("/nonexistent/disk.img")));
        QCOMPARE(h.frame->screenHost()->currentScreen(), 1);
        QVERIFY(h.frame->openImageFile(QStringLiteral(VANTREL_SOURCE_DIR "/res/art/149.svg")));
        QCOMPARE(h.drives.size(), before + 1);
        QCOMPARE(h.browse.driveListChanges, 1);
        h.frame->flush();
        QCOMPARE(h.browse.selector.values.back(), before);
        QCOMPARE(h.frame->screenHost()->currentScreen(), 2);
    }

    void menuHasEveryEntry() {
        Harness h;
        QStringList titles;
        for (QAction* menu : h.frame->menuBar()->actions())
            titles.append(menu->text());
        QCOMPARE(titles, (QStringList{QStringLiteral("ファイル(&F)"), QStringLiteral("操作(&O)"),
                                      QStringLiteral("表示(&V)"), QStringLiteral("ヘルプ(&H)")}));
        for (int id = cmd::kFirst; id <= cmd::kLast; ++id)
            QVERIFY2(h.frame->action(id) && !h.frame->action(id)->statusTip().isEmpty(),
                     qPrintable(QString::number(id)));
        QCOMPARE(h.frame->minimumSize(), QSize(640, 480));

        // Opening an image selects it; not while a scan or a recovery is shown running.
        QAction* open = h.frame->menuBar()->actions().first()->menu()->actions().at(3);
        QVERIFY(open->text().startsWith(QStringLiteral("イメージファイルを開く")));
        for (const int screen : {1, 2, 3, 4, 5}) {
            h.frame->screenHost()->showScreen(screen);
            h.frame->updateCommandStates();
            QCOMPARE(open->isEnabled(), screen <= 2);
        }
    }
};

QTEST_MAIN(FrameTest)
#include "FrameTest.moc"
