// The real frame with the real browse screen on the demo image: the frame's routing
// brings the tree up, its command rules enable the disk check for the drive item, and
// the check shows screen 4 and returns to the browse screen.

#include "Fixtures.h"
#include "app/browse/BrowseScreen.h"
#include "app/shell/CVntMFCFrameWnd.h"
#include "app/shell/ScreenHost.h"
#include "device/HandleDisk.h"
#include "skin/Fonts.h"

#include <QApplication>
#include <QTest>

using namespace vantrel;

class FrameBrowseTest : public QObject {
    Q_OBJECT
private slots:
    void diskCheckThroughTheFrame() {
        InstallFontSubstitutions();
        DriveList drives;
        std::vector<UnopenedDrive> unopened;
        auto disk = std::make_unique<CHandleDisk>();
        QVERIFY(disk->Open(testing::BuildFixture("demo-image.sh", "demo.img").string()));
        drives.push_back(std::move(disk));
        CVntMFCFrameWnd frame(&drives, &unopened, false);
        auto* browse = new BrowseScreen(frame, frame.screenHost());
        frame.setBrowse(browse);
        QCOMPARE(frame.screenHost()->screen(4), browse->diagnosisScreen());
        frame.resize(1024, 760);
        frame.show();
        PostUiRequest(&frame, msg::kSelectDriveIndex, 0);
        QVERIFY(frame.runCommand(cmd::kManualSearch));
        QTRY_COMPARE(frame.screenHost()->currentScreen(), 2);
        CVntMFCView_TreeCtrl* tree = browse->folderTree();
        QTRY_VERIFY(tree->model()->rootItem() && !tree->selectionState().busy);
        frame.updateCommandStates();
        QVERIFY(frame.commandStates().enabled(cmd::kDiagnose));
        QVERIFY(!frame.commandStates().enabled(cmd::kSalvageFolder));

        std::vector<int> screens;
        connect(frame.screenHost(), &ScreenHost::screenChanged, this,
                [&screens](int number) { screens.push_back(number); });
        QVERIFY(frame.runCommand(cmd::kDiagnose));
        QTRY_VERIFY_WITH_TIMEOUT(
            !tree->selectionState().busy && frame.screenHost()->currentScreen() == 2, 60000);
        QCOMPARE(screens, (std::vector<int>{4, 2}));
        QCOMPARE(browse->diagnosisScreen()->view()->picture().position, 49152u);
        QTRY_VERIFY(browse->logList()->logModel()->rowCount() > 0);
        const QAbstractItemModel& log = *browse->logList()->logModel();
        QCOMPARE(log.data(log.index(log.rowCount() - 1, 2)).toString(),
                 QStringLiteral("ディスクの診断は終了しました"));
        // What the frame's shut-down does: the tree stops its workers and frees its items.
        PostUiRequest(browse->receivers().folderTree, msg::kShutDown);
        QTRY_VERIFY(tree->model()->rootItem() == nullptr);
    }
};

QTEST_MAIN(FrameBrowseTest)
#include "FrameBrowseTest.moc"
