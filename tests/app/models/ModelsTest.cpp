// The file-list, log and folder-tree models on the demo image's real result tree, each
// checked by QAbstractItemModelTester.

#include "Fixtures.h"
#include "app/models/FileListModel.h"
#include "app/models/FileListView.h"
#include "app/models/FolderTreeModel.h"
#include "app/models/LogListModel.h"
#include "device/HandleDisk.h"
#include "engine/partition/DriveNode.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QColor>
#include <QSignalSpy>
#include <QTest>
#include <ctime>

using namespace vantrel;

namespace {

ResultNode* ChildNamed(ResultNode& node, const QString& prefix) {
    if (!AnalyseCompletely(node))
        return nullptr;
    for (const auto& child : node.Children())
        if (ToQString(child->Name()).startsWith(prefix))
            return child.get();
    return nullptr;
}

QString Cell(const QAbstractItemModel& model, int row, int column, int role = Qt::DisplayRole) {
    return model.data(model.index(row, column), role).toString();
}

QStringList Names(const FileListModel& model) {
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << Cell(model, row, 0);
    return names;
}

ResultNode::FileList ManyEntries(int count, const QString& prefix) {
    ResultNode::FileList list;
    for (int i = 0; i < count; ++i) {
        auto entry = std::make_unique<FileEntry>();
        entry->name = ToU16(prefix + QString::number(i) + QStringLiteral(".jpg"));
        entry->size = static_cast<std::uint64_t>(i % 7) * 1000;
        entry->condition = 3;
        list.push_back(std::move(entry));
    }
    return list;
}

} // namespace

class ModelsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
        const auto image = testing::BuildFixture("demo-image.sh", "demo.img");
        QVERIFY(!image.empty());
        QVERIFY(disk_.Open(image.string()));
        QVERIFY(root_.OpenDevice(&disk_));
        ResultNode* partition = ChildNamed(root_, QStringLiteral("パーティション"));
        QVERIFY(partition);
        volume_ = ChildNamed(*partition, QStringLiteral("既存のフォルダ"));
        QVERIFY(volume_);
        documents_ = ChildNamed(*volume_, QStringLiteral("Documents"));
        QVERIFY(documents_ && AnalyseCompletely(*documents_) && AnalyseCompletely(*volume_));
    }

    // Texts, grey deleted rows, settings that re-filter, and the first-click sort rule.
    void fileListOfTheDemoRoot() {
        FileListModel model;
        QAbstractItemModelTester tester(&model);
        QSignalSpy finished(&model, &FileListModel::fillFinished);
        model.fill(&volume_->Files());
        QVERIFY(finished.wait(5000) || finished.count() == 1);
        QCOMPARE(model.totalEntries(), 6u);
        QCOMPARE(model.rowCount(), 6);
        const int memo =
            static_cast<int>(Names(model).indexOf(QStringLiteral("削除されたメモ.txt")));
        QVERIFY(memo >= 0);
        QCOMPARE(Cell(model, memo, 1), QStringLiteral("1 KB"));
        QCOMPARE(Cell(model, memo, 2), QStringLiteral("悪い"));
        QCOMPARE(Cell(model, memo, 4), QStringLiteral("2019/08/10 22:15:44"));
        QCOMPARE(model.data(model.index(memo, 0), Qt::ForegroundRole).value<QColor>(),
                 QColor(160, 160, 160));
        QCOMPARE(Cell(model, 0, 2), QStringLiteral("とても良い"));
        QVERIFY(!model.data(model.index(0, 0), Qt::ForegroundRole).isValid());
        QCOMPARE(Cell(model, 0, 3), QStringLiteral("平文テキストドキュメント"));

        ScanSettings settings = model.settings();
        settings.includeEmptyFiles = false;
        settings.includeDeletedFiles = false;
        model.setSettings(settings);
        QCOMPARE(Names(model), (QStringList{QStringLiteral("README.TXT"),
                                            QStringLiteral("はじめにお読みください.txt"),
                                            QStringLiteral("メモ.TXT")}));
        QCOMPARE(model.totalEntries(), 6u);

        model.setSettings(ScanSettings());
        FileListModel::SortDirections() = {};
        QVERIFY(model.sortByClick(1)); // first click on サイズ: smallest first
        QCOMPARE(Cell(model, 0, 0), QStringLiteral("EMPTY.DAT"));
        QVERIFY(model.sortByClick(0)); // first click on ファイル名: highest code unit first
        QCOMPARE(Names(model).first(), QStringLiteral("削除されたメモ.txt"));
        QCOMPARE(Names(model).last(), QStringLiteral("EMPTY.DAT"));
        QVERIFY(model.sortByClick(0));
        QCOMPARE(Names(model).first(), QStringLiteral("EMPTY.DAT"));
    }

    // 100 000 entries fill in slices (the event loop runs between them), every one shown
    // (no cap), and a second fill ends the first.
    void largeFillIsSlicedUncappedAndCancellable() {
        const auto first = ManyEntries(100000, QStringLiteral("a"));
        const auto second = ManyEntries(40000, QStringLiteral("b"));
        FileListModel model;
        QSignalSpy finished(&model, &FileListModel::fillFinished);
        model.fill(&first);
        QVERIFY(model.filling());
        QVERIFY(!model.sortByClick(0));
        QTRY_VERIFY(model.rowCount() > 0);
        QVERIFY(model.filling());
        model.fill(&second);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(model.rowCount(), 40000);
        QVERIFY(Cell(model, 39999, 0).startsWith(u'b'));
        model.fill(&first);
        model.finishFill();
        QCOMPARE(model.rowCount(), 100000);
        QCOMPARE(model.totalEntries(), 100000u);
    }

    // The count the status line and command states read, from overlapping, split and
    // single-row selections alike.
    void selectedRowCountMatchesTheRows() {
        const auto entries = ManyEntries(50, QStringLiteral("s"));
        FileListView view;
        view.fileModel()->fill(&entries);
        view.fileModel()->finishFill();
        auto rows = [&view](int top, int bottom) {
            return QItemSelection(
                view.fileModel()->index(top, 0),
                view.fileModel()->index(bottom, view.fileModel()->columnCount() - 1));
        };
        QItemSelection overlapping = rows(0, 9);
        overlapping.append(rows(5, 14).first());
        overlapping.append(rows(30, 30).first());
        view.selectionModel()->select(overlapping, QItemSelectionModel::Select);
        view.selectionModel()->select(rows(7, 7), QItemSelectionModel::Deselect);
        QCOMPARE(view.selectedRowCount(), 15);
        QCOMPARE(view.selectedRowCount(),
                 static_cast<int>(view.selectionModel()->selectedRows().size()));
        view.selectionModel()->clearSelection();
        QCOMPARE(view.selectedRowCount(), 0);
    }

    // Progress lists keep the newest rows and outlive the entries they showed.
    void progressListDropsOldestAndForgetsEntries() {
        auto entries = ManyEntries(10, QStringLiteral("f"));
        FileListModel model;
        QAbstractItemModelTester tester(&model);
        model.setRowCap(4);
        ScanSettings settings;
        settings.includeEmptyFiles = false; // f0 and f7 are empty
        model.setSettings(settings);
        QCOMPARE(model.appendEntries(entries, 0), 2u);
        QCOMPARE(Names(model), (QStringList{QStringLiteral("f6.jpg"), QStringLiteral("f8.jpg"),
                                            QStringLiteral("f9.jpg")}));
        model.forgetEntries();
        entries.clear();
        QCOMPARE(model.entry(0), nullptr);
        QCOMPARE(Cell(model, 0, 0), QStringLiteral("f6.jpg"));
        QVERIFY(!model.sortByClick(0));
    }

    void logListKeepsTheNewest32767Lines() {
        LogListModel model;
        for (int i = 0; i < kLogListCap; ++i)
            model.addLine(QStringLiteral("対象"), QString::number(i), 0);
        // The tester checks every row on each change: attached for the last line only.
        QAbstractItemModelTester tester(&model);
        model.addLine(QStringLiteral("対象"), QString::number(kLogListCap), 0);
        QCOMPARE(model.rowCount(), kLogListCap);
        QCOMPARE(Cell(model, 0, 2), QStringLiteral("1"));
        QCOMPARE(Cell(model, 0, 0), QStringLiteral("1970/01/01 00:00:00"));
        QCOMPARE(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("内容"));
    }

    // Placeholders, inserting analysed children, the deleted-folders switch and what
    // "holds results" means.
    void folderTreeOverTheDemoImage() {
        CHandleDisk disk;
        QVERIFY(disk.Open(testing::BuildFixture("demo-image.sh", "demo.img").string()));
        auto owned = std::make_unique<DriveNode>();
        QVERIFY(owned->OpenDevice(&disk));
        DriveNode* drive = owned.get();
        FolderTreeModel model;
        QAbstractItemModelTester tester(&model);
        model.setRootNode(std::move(owned));
        FolderTreeItem* root = model.rootItem();
        QVERIFY(root && root->IsDiskItem());
        QCOMPARE(model.rowCount(model.indexOf(root)), 1);
        QCOMPARE(root->Children()[0]->Label(), QStringLiteral("解析中..."));
        QVERIFY(!model.holdsResults());

        QVERIFY(AnalyseCompletely(*drive));
        model.insertNewChildren(root);
        QCOMPARE(root->Children().size(), 2u);
        QCOMPARE(root->Children()[0]->Label(), QStringLiteral("スキャン結果"));
        QVERIFY(root->Children()[0]->CanBeScanned());
        FolderTreeItem* partition = root->Children()[1].get();
        QVERIFY(partition->IsDiskItem());
        QVERIFY(AnalyseCompletely(*partition->Node()));
        model.insertNewChildren(partition);
        FolderTreeItem* volume = partition->Children()[1].get();
        QVERIFY(AnalyseCompletely(*volume->Node()));
        model.insertNewChildren(volume);
        QVERIFY(model.holdsResults());
        FolderTreeItem* documents = volume->Children()[2].get();
        QVERIFY(AnalyseCompletely(*documents->Node()));
        model.insertNewChildren(documents);
        QCOMPARE(documents->Children().size(), 1u); // Old Drafts, deleted
        QCOMPARE(model.data(model.indexOf(documents->Children()[0].get()), Qt::ForegroundRole)
                     .value<QColor>(),
                 QColor(160, 160, 160));
        QVERIFY(model.isLive(documents->Children()[0].get()));

        ScanSettings settings;
        settings.includeDeletedFolders = false;
        model.setSettings(settings);
        const FolderTreeItem* gone = documents->Children()[0].get();
        QVERIFY(!gone->Children().empty());
        const TreeItemRecord* goneChild = gone->Children()[0].get();
        model.resetChildren(documents);
        // The new placeholder may be given a freed item's address (an optimised build's
        // allocator reuses it at once); no other freed address may still count as live.
        QCOMPARE(documents->Children().size(), 1u);
        const FolderTreeItem* placeholder = documents->Children()[0].get();
        QVERIFY(placeholder->IsPlaceholder());
        for (const TreeItemRecord* freed : {static_cast<const TreeItemRecord*>(gone), goneChild})
            QVERIFY(freed == placeholder || !model.isLive(freed));
        model.insertNewChildren(documents);
        QCOMPARE(documents->Children().size(), 0u);
        model.setRootNode(nullptr);
        QCOMPARE(model.rowCount(), 0);
    }

private:
    CHandleDisk disk_;
    DriveNode root_;
    ResultNode* volume_ = nullptr;
    ResultNode* documents_ = nullptr;
};

QTEST_MAIN(ModelsTest)
#include "ModelsTest.moc"
