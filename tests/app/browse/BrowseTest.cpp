// The browse screen end to end on the demo image: real widgets, real engine workers, the
// frame's routing played by TestFrame. Screenshots of the expanded tree, the guidance
// panels and the scan screen during a scan.

#include "../TreeLookup.h"
#include "Fixtures.h"
#include "TestFrame.h"
#include "app/browse/Commands.h"
#include "app/browse/DriveSelector.h"
#include "device/HandleDisk.h"
#include "engine/worker/WorkerPosting.h"
#include "skin/Fonts.h"
#include "skin/ProgramLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <ctime>

using namespace vantrel;
using namespace vantrel::testing;
using vantrel::test::ChildLabelled;

namespace {

void Screenshot(QWidget& widget, const QString& name) {
    const QString folder = qEnvironmentVariable("VANTREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(widget.grab().save(folder + u'/' + name + QStringLiteral(".png")));
}

QStringList Column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row, column), Qt::DisplayRole).toString();
    return texts;
}

// Answers the next modal message box with the given button once it appears.
void AnswerNextQuestion(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box)
            box->button(button)->click();
        else
            AnswerNextQuestion(button);
    });
}

} // namespace

class BrowseTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        InstallFontSubstitutions();
        ApplyProgramLook(*qApp);
        image_ = BuildFixture("demo-image.sh", "demo.img");
        QVERIFY(!image_.empty());
        auto disk = std::make_unique<CHandleDisk>();
        QVERIFY(disk->Open(image_.string()));
        QVERIFY(disk->GetCapacity(nullptr, nullptr));
        frame_.driveList.push_back(std::move(disk));
        browse_ = new BrowseScreen(frame_, frame_.host());
        frame_.attach(browse_);
        frame_.host()->show();
        PostUiRequest(browse_->driveSelector(), msg::kSelectDriveIndex, 0);
        tree_ = browse_->folderTree();
        QTRY_VERIFY(tree_->model()->rootItem() != nullptr);
    }

    // The selector lists the image; the disk item shows guidance panel 2, an unscanned
    // scan area panel 1; the disk and the partition expand to the volume's folders.
    void driveTreeAndGuidance() {
        QCOMPARE(browse_->driveSelector()->count(), 1);
        QVERIFY(browse_->driveSelector()->itemText(0).contains(QStringLiteral("demo.img")));
        FolderTreeItem* root = tree_->model()->rootItem();
        QTRY_COMPARE(browse_->listView()->currentIndex(), 2);
        Screenshot(*browse_, QStringLiteral("guidance-panel-drive"));
        QTRY_VERIFY(ChildLabelled(root, QStringLiteral("パーティション")) != nullptr);
        FolderTreeItem* area = ChildLabelled(root, QStringLiteral("スキャン結果"));
        QVERIFY(area);
        tree_->selectItem(area);
        QTRY_COMPARE(browse_->listView()->currentIndex(), 1);
        Screenshot(*browse_, QStringLiteral("guidance-panel-scan"));

        FolderTreeItem* partition = ChildLabelled(root, QStringLiteral("パーティション"));
        tree_->treeView()->expand(tree_->model()->indexOf(root));
        tree_->treeView()->expand(tree_->model()->indexOf(partition));
        QTRY_VERIFY(ChildLabelled(partition, QStringLiteral("既存のフォルダ[VANTRELDEMO]")));
        volume_ = ChildLabelled(partition, QStringLiteral("既存のフォルダ"));
        tree_->treeView()->expand(tree_->model()->indexOf(volume_));
        QTRY_VERIFY(ChildLabelled(volume_, QStringLiteral("Documents")) != nullptr);
        QVERIFY(ChildLabelled(volume_, QStringLiteral("写真")));
    }

    // The image is named as one; the closed selector shows it whole where there is room,
    // else shortened in the middle with the whole name in its tooltip.
    void selectorFitsTheImageName() {
        DriveSelector* selector = browse_->driveSelector();
        const QString name = selector->itemText(0);
        QVERIFY2(name.startsWith(QStringLiteral("イメージファイル(/")) &&
                     name.endsWith(QStringLiteral("/demo.img)")),
                 qPrintable(name));
        const QSize before = browse_->size();
        browse_->resize(1400, 700);
        QCOMPARE(selector->shownText(), name);
        QVERIFY(selector->width() > 256);
        QVERIFY(selector->toolTip().isEmpty());
        browse_->resize(selector->x() + 320 + 16, 400);
        QCOMPARE(selector->geometry().right() + 1, browse_->width() - 16);
        const QString shown = selector->shownText();
        QVERIFY2(shown.startsWith(QStringLiteral("イメージファイル(")) && shown.contains(u'…') &&
                     shown.endsWith(QStringLiteral("demo.img)")),
                 qPrintable(shown));
        QCOMPARE(selector->toolTip(), name);
        Screenshot(*browse_, QStringLiteral("drive-selector-elided"));
        browse_->resize(before);
    }

    // A folder's files with their sizes, condition words and grey deleted rows; a changed
    // setting filters at once; header clicks follow the first-click rule.
    void filesFilterAndSort() {
        tree_->selectItem(volume_);
        const FileListModel& model = *browse_->listView()->fileList()->fileModel();
        QTRY_VERIFY(!model.filling() && model.rowCount() == 6);
        QCOMPARE(browse_->listView()->currentIndex(), 0);
        const QStringList names = Column(model, 0);
        const int memo = static_cast<int>(names.indexOf(QStringLiteral("削除されたメモ.txt")));
        QVERIFY(memo >= 0);
        QCOMPARE(Column(model, 2)[memo], QStringLiteral("悪い"));
        QCOMPARE(model.data(model.index(memo, 0), Qt::ForegroundRole).value<QColor>(),
                 QColor(160, 160, 160));
        QCOMPARE(Column(model, 1)[static_cast<int>(names.indexOf(QStringLiteral("EMPTY.DAT")))],
                 QStringLiteral("0 KB"));
        QCOMPARE(browse_->entryCountBeforeFilter(), 6);

        ScanSettings settings = frame_.settings;
        settings.includeEmptyFiles = false;
        frame_.broadcastSettings(settings);
        QTRY_COMPARE(model.rowCount(), 5);
        QVERIFY(!Column(model, 0).contains(QStringLiteral("EMPTY.DAT")));
        frame_.broadcastSettings(ScanSettings());
        QTRY_COMPARE(model.rowCount(), 6);

        FileListModel::SortDirections() = {};
        QHeaderView* header = browse_->listView()->fileList()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
        QCOMPARE(Column(model, 0).first(), QStringLiteral("EMPTY.DAT"));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
        QCOMPARE(Column(model, 0).first(), QStringLiteral("削除されたメモ.txt"));

        FolderTreeItem* documents = ChildLabelled(volume_, QStringLiteral("Documents"));
        tree_->treeView()->expand(tree_->model()->indexOf(documents));
        tree_->selectItem(documents);
        QTRY_VERIFY(ChildLabelled(documents, QStringLiteral("Old Drafts")) != nullptr);
        QTRY_VERIFY(!model.filling() && model.rowCount() == 4);
        Screenshot(*browse_, QStringLiteral("browse-screen"));
    }

    // Two selected files recovered into a folder, byte for byte, with the manifest; the
    // salvage screen is shown meanwhile and the browse screen returns.
    void recoverTwoFiles() {
        FolderTreeItem* documents = ChildLabelled(volume_, QStringLiteral("Documents"));
        tree_->selectItem(documents);
        FileListView* list = browse_->listView()->fileList();
        QTRY_VERIFY(!list->fileModel()->filling() && list->fileModel()->rowCount() == 4);
        const QStringList names = Column(*list->fileModel(), 0);
        for (const QString& name :
             {QStringLiteral("Meeting Notes.txt"), QStringLiteral("report.txt")})
            list->selectionModel()->select(
                list->fileModel()->index(static_cast<int>(names.indexOf(name)), 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(browse_->selectedRowCount(), 2);
        const QString destination = QString::fromStdString(ScratchDir("browse-recover").string());
        tree_->setFolderChooser([destination](QWidget*) { return destination; });
        frame_.screensShown.clear();
        browse_->runListCommand(command::kRecoverFiles);
        QTRY_VERIFY(std::ranges::count(frame_.screensShown, 5) > 0 && frame_.currentScreen() == 2 &&
                    !tree_->selectionState().busy);
        auto read = [&destination](const QString& name) {
            QFile file(destination + u'/' + name);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QCOMPARE(read(QStringLiteral("Meeting Notes.txt")),
                 QByteArray("Meeting notes\r\n1. Budget\r\n2. Schedule\r\n"));
        QCOMPARE(read(QStringLiteral("report.txt")),
                 QByteArray("Quarterly report: all figures are in the attached sheet.\r\n"));
        QCOMPARE(read(QStringLiteral("manifest.jsonl")).count('\n'), 2);
        QCOMPARE(browse_->salvageScreen()->recoveredList()->fileModel()->rowCount(), 2);
        QTRY_VERIFY(
            Column(*browse_->logList()->logModel(), 2)
                .contains(QStringLiteral("回収したファイルは %1 にあります").arg(destination)));
    }

    // A database scan of the whole device: screen 3 with progress and found files, then
    // screen 2 with the results under スキャン結果, expanded.
    void databaseScanOfTheDevice() {
        FolderTreeItem* area =
            ChildLabelled(tree_->model()->rootItem(), QStringLiteral("スキャン結果"));
        tree_->selectItem(area);
        tree_->setMethodChooser([](QWidget*) { return std::optional<int>(kMethodSignature); });
        bool scanShown = false;
        bool screenshotTaken = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (frame_.currentScreen() == 3) {
                scanShown = true;
                if (!screenshotTaken && browse_->scanScreen()->takenCount() > 0) {
                    screenshotTaken = true;
                    Screenshot(*browse_->scanScreen(), QStringLiteral("scan-screen-demo"));
                }
            }
        });
        poll.start(1);
        frame_.screensShown.clear();
        browse_->runTreeCommand(command::kScan);
        QVERIFY(tree_->selectionState().busy);
        QTRY_VERIFY_WITH_TIMEOUT(!tree_->selectionState().busy && frame_.currentScreen() == 2,
                                 60000);
        poll.stop();
        QVERIFY(scanShown || std::ranges::count(frame_.screensShown, 3) > 0);
        QVERIFY(browse_->scanScreen()->progressBar()->maximum() > 0);
        QVERIFY(browse_->scanScreen()->takenCount() > 0);
        QVERIFY(area->HasFoldersOrFiles());
        QTRY_VERIFY(tree_->treeView()->isExpanded(tree_->model()->indexOf(area)));
        const FileListModel& model = *browse_->listView()->fileList()->fileModel();
        QTRY_VERIFY(!model.filling() && model.rowCount() > 0);
        QVERIFY2(Column(model, 0).join(u' ').contains(QStringLiteral(".JPG")),
                 qPrintable(Column(model, 0).join(u' ')));
        // Carved names differ only in their last digits: the column shows them whole.
        const FileListView& view = *browse_->listView()->fileList();
        for (const QString& name : Column(model, 0))
            if (QRegularExpression(QStringLiteral("^[0-9A-F]{16}\\.")).match(name).hasMatch())
                QVERIFY2(view.fontMetrics().horizontalAdvance(name) + 24 <= view.columnWidth(0),
                         qPrintable(name));
        // Carved pictures whose entries the volume still holds show under those names.
        QVERIFY2(Column(model, 0).contains(QStringLiteral("Holiday Photo 2019.jpg")),
                 qPrintable(Column(model, 0).join(u' ')));
        QVERIFY(tree_->holdsResults());
    }

    // Abort asks and stops the scan; the log ends it.
    void abortAsksAndStops() {
        FolderTreeItem* area =
            ChildLabelled(tree_->model()->rootItem(), QStringLiteral("スキャン結果"));
        tree_->selectItem(area);
        SetDetailMode(true);
        browse_->runTreeCommand(command::kScan);
        QVERIFY(tree_->selectionState().busy);
        AnswerNextQuestion(QMessageBox::Yes);
        browse_->runTreeCommand(command::kAbort);
        QTRY_VERIFY_WITH_TIMEOUT(!tree_->selectionState().busy && frame_.currentScreen() == 2,
                                 60000);
        SetDetailMode(false);
        QCOMPARE(area->GetJobState(), static_cast<int>(kJobCancel));
        QTRY_VERIFY(Column(*browse_->logList()->logModel(), 2)
                        .contains(QStringLiteral("スキャンは終了しました(キャンセル)")));
    }

    // The disk check of the drive: screen 4 while it reads, the map complete, the browse
    // screen and a summary afterwards.
    void diagnosisOfTheDrive() {
        FolderTreeItem* root = tree_->model()->rootItem();
        tree_->selectItem(root);
        QVERIFY(tree_->commandEnabled(command::kDiagnose));
        bool shown = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this,
                [&] { shown = shown || frame_.currentScreen() == 4; });
        poll.start(1);
        tree_->runCommand(command::kDiagnose);
        QTRY_VERIFY_WITH_TIMEOUT(!tree_->selectionState().busy && frame_.currentScreen() == 2,
                                 60000);
        QVERIFY(shown);
        const DiagnosisPicture& picture = browse_->diagnosisScreen()->view()->picture();
        QCOMPARE(picture.position, 49152u);
        QCOMPARE(picture.unreadableSectors, 0u);
        QTRY_VERIFY(Column(*browse_->logList()->logModel(), 2)
                        .contains(QStringLiteral("ディスクの診断は終了しました")));
        browse_->diagnosisScreen()->show();
        Screenshot(*browse_->diagnosisScreen(), QStringLiteral("diagnosis-screen-demo"));
        browse_->diagnosisScreen()->hide();
    }

    // Deleting the tree while a salvage worker waits for the overwrite question: the tree
    // answers it itself and the worker ends; nothing hangs.
    void deletionWhileAWorkerAsks() {
        FolderTreeItem* documents = ChildLabelled(volume_, QStringLiteral("Documents"));
        const QString destination = QString::fromStdString(ScratchDir("browse-overwrite").string());
        QFile existing(destination + QStringLiteral("/report.txt"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        tree_->setFolderChooser([destination](QWidget*) { return destination; });
        const int asked = frame_.questionsAsked;
        tree_->selectItem(documents);
        tree_->runCommand(command::kRecoverFolder);
        QVERIFY(documents->WorkerRunning());
        tree_->clearTree();
        QCOMPARE(tree_->model()->rootItem(), nullptr);
        QCOMPARE(frame_.questionsAsked, asked);
        QCOMPARE(frame_.currentScreen() == 5, false);
    }

    void cleanupTestCase() {
        frame_.attach(nullptr);
        delete browse_;
        browse_ = nullptr;
    }

private:
    TestFrame frame_;
    BrowseScreen* browse_ = nullptr;
    CVntMFCView_TreeCtrl* tree_ = nullptr;
    FolderTreeItem* volume_ = nullptr;
    std::filesystem::path image_;
};

QTEST_MAIN(BrowseTest)
#include "BrowseTest.moc"
