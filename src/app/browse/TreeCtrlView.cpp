#include "app/browse/TreeCtrlView.h"

#include "engine/diagnosis/DiskCheck.h"
#include "engine/partition/DriveNode.h"
#include "engine/salvage/SalvageJob.h"
#include "engine/worker/AnalysisWorker.h"
#include "skin/Fonts.h"
#include "viewers/ViewerWindows.h"

#include <QDateTime>
#include <QEventLoop>
#include <QHeaderView>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>

namespace vantrel {

CVntMFCView_TreeCtrl::CVntMFCView_TreeCtrl(FramePort& frame, QWidget* parent)
    : QWidget(parent), frame_(frame), view_(new QTreeView(this)), model_(new FolderTreeModel(this)),
      sink_(this) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    model_->setSink(&sink_, this);
    model_->setSettings(frame.scanSettings());
    view_->setModel(model_);
    view_->setHeaderHidden(true);
    // Long names scroll sideways instead of being cut.
    view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view_->header()->setStretchLastSection(false);
    view_->setFont(InterfaceFont());
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onCurrentChanged(current); });
    connect(view_, &QTreeView::expanded, this, &CVntMFCView_TreeCtrl::onExpanded);
    connect(view_, &QTreeView::collapsed, this,
            [this](QModelIndex index) { model_->setExpanded(index, false); });
    connect(view_, &QWidget::customContextMenuRequested, this,
            &CVntMFCView_TreeCtrl::showContextMenu);
}

CVntMFCView_TreeCtrl::~CVntMFCView_TreeCtrl() {
    // The frame shuts the tree down (0x475) before it goes; should a worker still run,
    // its posts fail from now on and it is stopped before its record goes.
    sink_.detach();
    FolderTreeItem* root = model_->rootItem();
    bool running = false;
    model_->forEach(root, [&running](FolderTreeItem& item) { running |= item.WorkerRunning(); });
    if (running)
        stopSubtree(root, true);
}

FolderTreeItem* CVntMFCView_TreeCtrl::selectedItem() const {
    return model_->itemAt(view_->currentIndex());
}

TreeSelectionState CVntMFCView_TreeCtrl::selectionState() const {
    TreeSelectionState state;
    FolderTreeItem* item = selectedItem();
    if (!item || item->IsPlaceholder())
        return state;
    state.exists = true;
    state.busy = item->WorkerRunning();
    state.canScan = item->CanBeScanned();
    state.diskOrPartition = item->IsDiskItem();
    state.hasSubfoldersOrFiles = item->HasFoldersOrFiles();
    return state;
}

void CVntMFCView_TreeCtrl::postToFrame(msg::MessageId message, std::uint64_t value, void* pointer) {
    PostUiRequest(frame_.frameReceiver(), message, value, pointer);
}

void CVntMFCView_TreeCtrl::emptyFileList() {
    // The list hears through the frame, which posts its relay while handling ours: one
    // pass per hop. Earlier shows still on their way go through first, then the empty
    // one, so no fill goes on from, and no row points into, what is about to be freed.
    postToFrame(msg::kShowEntries);
    const QEvent::Type show = UiRequestEvent::TypeFor(msg::kShowEntries);
    QCoreApplication::sendPostedEvents(nullptr, show); // tree -> frame
    QCoreApplication::sendPostedEvents(nullptr, show); // frame -> list
}

void CVntMFCView_TreeCtrl::logLine(const QString& target, const QString& text) {
    auto request =
        std::make_unique<UiRequest>(frame_.frameReceiver(), msg::kLogLine, kLogReceivers);
    request->strings = {target.toStdU16String(), text.toStdU16String()};
    PostUiRequest(frame_.frameReceiver(), std::move(request));
}

bool CVntMFCView_TreeCtrl::ask(const QString& text) {
    return QMessageBox::question(window(), QStringLiteral("Vantrel"), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void CVntMFCView_TreeCtrl::waitFor(const std::function<bool()>& done) {
    // The worker may be waiting for a request this thread has to handle: keep handling
    // events while waiting, polling the condition between them.
    while (!done()) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void CVntMFCView_TreeCtrl::stopSubtree(FolderTreeItem* item, bool includeItem) {
    if (!item)
        return;
    ++deleting_;
    model_->forEach(item, [&](FolderTreeItem& each) {
        if (includeItem || &each != item)
            each.SetJobState(kJobCancel);
    });
    model_->forEach(item, [&](FolderTreeItem& each) {
        if (includeItem || &each != item)
            waitFor([&each] {
                // A worker that had not started yet marks itself running first: tell it
                // again.
                each.ChangeJobState(kJobRunning, kJobCancel);
                return !each.WorkerRunning();
            });
    });
    // What the workers posted before they ended is handled before their items go.
    QCoreApplication::sendPostedEvents(this);
    QCoreApplication::sendPostedEvents();
    model_->forEach(item, [&](FolderTreeItem& each) {
        if (includeItem || &each != item)
            releaseJobs(&each);
    });
    --deleting_;
}

void CVntMFCView_TreeCtrl::releaseJobs(FolderTreeItem* item) {
    if (item->WorkerRunning())
        return;
    item->JoinWorker();
    salvageJobs_.erase(item);
    checks_.erase(item);
    scans_.erase(item);
}

void CVntMFCView_TreeCtrl::clearTree() {
    FolderTreeItem* root = model_->rootItem();
    if (root)
        stopSubtree(root, true);
    // The list and any viewer may show entries of the nodes about to go.
    CloseViewerWindow();
    emptyFileList();
    model_->setRootNode(nullptr);
    drive_ = nullptr;
}

void CVntMFCView_TreeCtrl::changeDrive(CDiskDevice* drive) {
    if (!drive || drive == drive_)
        return;
    CDiskDevice* previous = drive_;
    if (model_->rootItem()) {
        if (model_->holdsResults() &&
            !ask(QStringLiteral(
                "ドライブを変更すると全ての解析結果が失われます。\nよろしいですか？"))) {
            postToFrame(msg::kSelectDrive, 0, previous);
            return;
        }
        if (!drive->CheckReady()) {
            QMessageBox::information(window(), QStringLiteral("Vantrel"),
                                     QStringLiteral("ドライブの準備が出来ていません。"));
            postToFrame(msg::kSelectDrive, 0, previous);
            return;
        }
    }
    clearTree();
    auto node = std::make_unique<DriveNode>();
    // A node for a missing device still names itself; its analysis then fails.
    static_cast<void>(node->OpenDevice(drive));
    model_->setRootNode(std::move(node));
    drive_ = drive;
    selectItem(model_->rootItem());
}

void CVntMFCView_TreeCtrl::selectItem(FolderTreeItem* item) {
    const QModelIndex index = model_->indexOf(item);
    if (!index.isValid())
        return;
    if (view_->currentIndex() == index)
        onCurrentChanged(index);
    else
        view_->setCurrentIndex(index);
}

void CVntMFCView_TreeCtrl::showFilesOf(FolderTreeItem* item) {
    ResultNode* node = item ? item->Node() : nullptr;
    if (!node) {
        postToFrame(msg::kShowEntries);
        return;
    }
    if (item->IsDiskItem()) {
        postToFrame(msg::kShowEntries);
        postToFrame(msg::kShowListChild, 2);
    } else if (!node->IsScanTarget() || node->ChildCount() != 0 || node->FileCount() != 0) {
        postToFrame(msg::kShowEntries, 0, const_cast<ResultNode::FileList*>(&node->Files()));
        postToFrame(msg::kShowListChild, 0);
    } else {
        postToFrame(msg::kShowEntries);
        postToFrame(msg::kShowListChild, 1);
    }
}

void CVntMFCView_TreeCtrl::analyseOrInsert(FolderTreeItem* item) {
    if (!item || item->IsPlaceholder() || item->WorkerRunning())
        return;
    ResultNode* node = item->Node();
    if (!node)
        return;
    if (node->IsAnalysed()) {
        model_->insertNewChildren(item);
        return;
    }
    releaseJobs(item);
    item->SetJobState(kJobNone);
    if (StartFolderAnalysisWorker(*item))
        frame_.stateChanged();
}

void CVntMFCView_TreeCtrl::onCurrentChanged(const QModelIndex& current) {
    if (shuttingDown_)
        return;
    FolderTreeItem* item = model_->itemAt(current);
    if (!item || item->IsPlaceholder()) {
        frame_.stateChanged();
        return;
    }
    showFilesOf(item);
    analyseOrInsert(item);
    frame_.stateChanged();
}

void CVntMFCView_TreeCtrl::onExpanded(QModelIndex index) {
    // By value: the view's own index may move while the model reports the change.
    model_->setExpanded(index, true);
    if (!shuttingDown_)
        analyseOrInsert(model_->itemAt(index));
}

void CVntMFCView_TreeCtrl::workerFinished(TreeItemRecord* record) {
    if (!model_->isLive(record))
        return;
    auto* item = static_cast<FolderTreeItem*>(record);
    waitFor([item] { return !item->WorkerRunning(); });
    const bool scanned = scans_[item];
    if (auto job = salvageJobs_.find(item); job != salvageJobs_.end()) {
        const SalvageSummary& summary = job->second->summary;
        if (summary.refused)
            QMessageBox::warning(window(), QStringLiteral("Vantrel"),
                                 QString::fromStdString(summary.refusal));
        else
            logLine(item->Label(),
                    QStringLiteral("回収したファイルは %1 にあります")
                        .arg(QString::fromStdString(job->second->destination.string())));
    }
    releaseJobs(item);
    model_->insertNewChildren(item);
    if (item == selectedItem()) {
        if (scanned && item->CanBeScanned())
            view_->expand(model_->indexOf(item));
        showFilesOf(item);
    }
    frame_.stateChanged();
}

void CVntMFCView_TreeCtrl::takeSettings(const ScanSettings& settings) {
    const bool foldersChanged =
        settings.includeDeletedFolders != model_->settings().includeDeletedFolders;
    model_->setSettings(settings);
    FolderTreeItem* root = model_->rootItem();
    if (!foldersChanged || !root)
        return;
    selectItem(root);
    view_->collapse(model_->indexOf(root));
    stopSubtree(root, false);
    model_->resetChildren(root);
    analyseOrInsert(root);
}

bool CVntMFCView_TreeCtrl::answerDuringDeletion(UiRequestEvent& request) {
    // A worker of an item being deleted may still ask: nobody is there to answer, so the
    // answer is the one that ends its work soonest.
    switch (request.message()) {
    case msg::kAskOverwrite:
        request.setAnswer(msg::kAnswerCancel);
        break;
    case msg::kAskContinueAfterFailure:
    case msg::kAskSizeLimit:
        request.setAnswer(msg::kAnswerNo);
        break;
    case msg::kMessageBox:
        break;
    default:
        return false;
    }
    request.complete();
    return true;
}

void CVntMFCView_TreeCtrl::customEvent(QEvent* event) {
    UiRequestEvent* request = UiRequestEvent::Cast(event);
    if (!request) {
        QWidget::customEvent(event);
        return;
    }
    if (deleting_ > 0 && answerDuringDeletion(*request))
        return;
    switch (request->message()) {
    case msg::kDriveSelected:
        changeDrive(request->pointerAs<CDiskDevice>());
        break;
    case msg::kInsertChildren:
        if (auto* record = request->pointerAs<TreeItemRecord>(); model_->isLive(record))
            model_->insertNewChildren(static_cast<FolderTreeItem*>(record));
        break;
    case msg::kScanFinished:
    case msg::kAnalysisFinished: {
        auto* record = request->pointerAs<TreeItemRecord>();
        request->complete();
        workerFinished(record);
        return;
    }
    case msg::kSettingsChanged:
        if (const auto* settings = request->pointerAs<const ScanSettings>())
            takeSettings(*settings);
        break;
    case msg::kScanWhenReady:
        request->complete();
        scanWhenReady();
        return;
    case msg::kRecoverEntries: {
        const auto* files = request->pointerAs<const std::vector<FileEntry*>>();
        const std::vector<FileEntry*> copy = files ? *files : std::vector<FileEntry*>{};
        request->complete();
        recover(selectedItem(), copy);
        return;
    }
    case msg::kReset: {
        // Then the selector chooses the drive of the request's index, which loads it.
        const std::uint64_t index = request->value();
        request->complete();
        clearTree();
        postToFrame(msg::kSelectDriveIndex, index);
        return;
    }
    case msg::kShutDown:
        request->complete();
        shuttingDown_ = true;
        clearTree();
        postToFrame(msg::kShutDown);
        emit shutDownDone();
        return;
    default:
        // Everything else is the frame's to route.
        request->relayTo(frame_.frameReceiver());
        return;
    }
    request->complete();
}

} // namespace vantrel
