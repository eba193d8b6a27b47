// Image files opened through the frame as a user opens them: an E01 made at test time
// shows the same files as its raw image and its case metadata on the drive's row; with a
// rescue map, the file the map cuts is rated 悪い at best, the others are unchanged and
// recovering it logs the part never read; a missing segment, a malformed map and a map
// past the image's end each say so. Shutting down empties the list before the nodes go.

#include "../Screenshot.h"
#include "../TreeLookup.h"
#include "CliRunner.h"
#include "Fixtures.h"
#include "app/browse/BrowseScreen.h"
#include "app/browse/Commands.h"
#include "app/shell/CVntMFCFrameWnd.h"
#include "app/shell/ScreenHost.h"
#include "skin/Fonts.h"
#include "skin/ProgramLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vantrel;
using namespace vantrel::testing;
using vantrel::test::ChildLabelled;
namespace fs = std::filesystem;

namespace {

// "name: condition" of each file in the volume's Documents folder, once the tree shows
// the drive whose name holds imageName; empty when it never does.
QStringList DocumentsOf(BrowseScreen& browse, const QString& imageName) {
    CVntMFCView_TreeCtrl* tree = browse.folderTree();
    FolderTreeModel& model = *tree->model();
    auto waitFor = [](auto&& ready) { return QTest::qWaitFor(ready, 30000); };
    FolderTreeItem* root = nullptr;
    FolderTreeItem* partition = nullptr;
    FolderTreeItem* volume = nullptr;
    FolderTreeItem* documents = nullptr;
    if (!waitFor([&] {
            root = model.rootItem();
            return root && root->Label().contains(imageName) && !tree->selectionState().busy;
        }))
        return {};
    tree->treeView()->expand(model.indexOf(root));
    if (!waitFor(
            [&] { return (partition = ChildLabelled(root, QStringLiteral("パーティション"))); }))
        return {};
    tree->treeView()->expand(model.indexOf(partition));
    if (!waitFor(
            [&] { return (volume = ChildLabelled(partition, QStringLiteral("既存のフォルダ"))); }))
        return {};
    tree->treeView()->expand(model.indexOf(volume));
    if (!waitFor([&] { return (documents = ChildLabelled(volume, QStringLiteral("Documents"))); }))
        return {};
    tree->selectItem(documents);
    const FileListModel& files = *browse.listView()->fileList()->fileModel();
    if (!waitFor([&] { return !files.filling() && files.rowCount() > 0; }))
        return {};
    QStringList rows;
    for (int row = 0; row < files.rowCount(); ++row)
        rows << files.data(files.index(row, 0), Qt::DisplayRole).toString() + QStringLiteral(": ") +
                    files.data(files.index(row, 2), Qt::DisplayRole).toString();
    rows.sort();
    return rows;
}

// A map that marks the sector holding offset as bad and reads on past the image's end.
fs::path WriteMap(const fs::path& dir, std::uint64_t offset, std::uint64_t imageBytes) {
    const std::uint64_t sector = offset / 512 * 512;
    std::ostringstream map;
    map << std::hex << "# Mapfile\n0x0 +\n0x0 0x" << sector << " +\n0x" << sector << " 0x200 -\n0x"
        << sector + 512 << " 0x" << imageBytes + 0x100000 - sector - 512 << " +\n";
    const fs::path path = dir / "demo.map";
    std::ofstream(path) << map.str();
    return path;
}

} // namespace

class ImageSourcesTest : public QObject {
    Q_OBJECT
private slots:
    void e01AndMappedImagesThroughTheFrame() {
        if (!HaveTool("ewfacquirestream"))
            QSKIP("ewfacquirestream (ewf-tools) is needed");
        qputenv("TZ", "UTC");
        InstallFontSubstitutions();
        ApplyProgramLook(*qApp);
        const fs::path raw = BuildFixture("demo-image.sh", "demo.img");
        QVERIFY(!raw.empty());
        const fs::path work = ScratchDir("app-images");
        const fs::path target = work / "demo";
        QCOMPARE(RunCommand("ewfacquirestream -q -c none -S 1MiB -C CASE-9 -e 調査員 -t " +
                            ShellQuote(target.string()) + " <" + ShellQuote(raw.string()) +
                            " >/dev/null 2>&1"),
                 0);
        const QString e01 = QString::fromStdString(target.string() + ".E01");
        const fs::path second = target.string() + ".E02";
        QVERIFY(fs::exists(second));

        DriveList drives;
        std::vector<UnopenedDrive> unopened;
        CVntMFCFrameWnd frame(&drives, &unopened, false);
        auto* browse = new BrowseScreen(frame, frame.screenHost());
        frame.setBrowse(browse);
        QStringList messages;
        frame.setMessageBoxHook([&messages](QWidget*, QMessageBox::Icon, const QString& text,
                                            QMessageBox::StandardButtons) {
            messages << text;
            return QMessageBox::Yes;
        });
        // Changing the drive drops the results shown so far; the tree asks first.
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Yes)->click();
        });
        answerer.start(20);
        frame.resize(1024, 700);
        frame.show();
        QVERIFY(frame.openImageFile(QString::fromStdString(raw.string())));
        QVERIFY(frame.runCommand(cmd::kManualSearch));
        const QStringList plain = DocumentsOf(*browse, QStringLiteral("demo.img"));
        QVERIFY(plain.contains(QStringLiteral("report.txt: とても良い")));

        // A missing segment is named; once it is back the image opens.
        fs::rename(second, work / "away");
        QVERIFY(!frame.openImageFile(e01));
        QVERIFY2(messages.last().contains(QString::fromStdString(second.string())),
                 qPrintable(messages.last()));
        fs::rename(work / "away", second);
        QVERIFY(frame.openImageFile(e01));
        QCOMPARE(DocumentsOf(*browse, QStringLiteral("demo.E01")), plain);
        QVERIFY(
            browse->driveSelector()->itemText(0).startsWith(QStringLiteral("イメージファイル(")));
        QVERIFY(browse->driveSelector()->itemText(1).startsWith(
            QStringLiteral("E01 イメージファイル(")));
        const QString facts = browse->driveSelector()->itemData(1, Qt::ToolTipRole).toString();
        for (const QString& line :
             {QStringLiteral("形式: EnCase 6"), QStringLiteral("事件番号: CASE-9"),
              QStringLiteral("調査担当者: 調査員")})
            QVERIFY2(facts.contains(line), qPrintable(facts));
        test::SaveScreenshot(&frame, QStringLiteral("image-e01"));

        // The map cuts report.txt and runs past the image's end: clipped after a warning.
        QFile image(QString::fromStdString(raw.string()));
        QVERIFY(image.open(QIODevice::ReadOnly));
        const QByteArray bytes = image.readAll();
        const qsizetype report = bytes.indexOf("Quarterly report: all figures");
        QVERIFY(report > 0);
        const fs::path map = WriteMap(work, static_cast<std::uint64_t>(report),
                                      static_cast<std::uint64_t>(bytes.size()));
        const qsizetype before = messages.size();
        QVERIFY(frame.openImageFile(QString::fromStdString(raw.string()),
                                    QString::fromStdString(map.string())));
        QCOMPARE(messages.size(), before + 1);
        QVERIFY2(messages.last().contains(QStringLiteral("切り詰めます")),
                 qPrintable(messages.last()));
        QVERIFY(browse->driveSelector()->itemText(2).endsWith(QStringLiteral("(マップ付き)")));
        QStringList mapped = DocumentsOf(*browse, QStringLiteral("demo.img"));
        QVERIFY2(mapped.contains(QStringLiteral("report.txt: 悪い")),
                 qPrintable(mapped.join(u',')));
        mapped.replace(mapped.indexOf(QStringLiteral("report.txt: 悪い")),
                       QStringLiteral("report.txt: とても良い"));
        QCOMPARE(mapped, plain);
        test::SaveScreenshot(&frame, QStringLiteral("image-with-map"));

        // Recovered, the file says in the log which part of it was never read.
        FileListView* list = browse->listView()->fileList();
        for (int row = 0; row < list->fileModel()->rowCount(); ++row)
            if (list->fileModel()->data(list->fileModel()->index(row, 0), Qt::DisplayRole) ==
                QStringLiteral("report.txt"))
                list->selectionModel()->select(list->fileModel()->index(row, 0),
                                               QItemSelectionModel::Select |
                                                   QItemSelectionModel::Rows);
        const QString destination = QString::fromStdString((work / "recovered").string());
        QDir().mkpath(destination);
        browse->folderTree()->setFolderChooser([destination](QWidget*) { return destination; });
        browse->runListCommand(command::kRecoverFiles);
        const LogListModel& log = *browse->logList()->logModel();
        QTRY_VERIFY_WITH_TIMEOUT(log.rowCount() > 0 &&
                                     log.data(log.index(log.rowCount() - 1, 2), Qt::DisplayRole)
                                         .toString()
                                         .startsWith(QStringLiteral("回収したファイルは")),
                                 30000);
        bool named = false;
        for (int row = 0; row < log.rowCount(); ++row)
            named =
                named || log.data(log.index(row, 2), Qt::DisplayRole)
                             .toString()
                             .contains(QStringLiteral(
                                 "一部だけ回収しました: report.txt（58 バイトは読めなかった領域"));
        QVERIFY(named);

        std::ofstream(work / "bad.map") << "# Mapfile\n0x0 0x200\n";
        QVERIFY(!frame.openImageFile(QString::fromStdString(raw.string()),
                                     QString::fromStdString((work / "bad.map").string())));
        QVERIFY2(messages.last().contains(QStringLiteral("の 2 行目が正しくありません")),
                 qPrintable(messages.last()));
        QCOMPARE(drives.size(), 3u);

        // Shutting down frees the tree's nodes: the list, which showed entries of one of
        // them, holds none of them by the time the tree's handler returns.
        const FileListModel& files = *list->fileModel();
        QTRY_VERIFY_WITH_TIMEOUT(files.rowCount() > 0 && !files.filling(), 30000);
        PostUiRequest(browse->receivers().folderTree, msg::kShutDown);
        QCoreApplication::sendPostedEvents(browse->folderTree());
        QVERIFY(browse->folderTree()->model()->rootItem() == nullptr);
        QCOMPARE(files.rowCount(), 0);
        QVERIFY(!files.filling());
    }
};

QTEST_MAIN(ImageSourcesTest)
#include "ImageSourcesTest.moc"
