// The folder tree's commands: scan, abort, recover a folder or files, check a disk, and
// its context menu.

#include "app/browse/Commands.h"
#include "app/browse/TreeCtrlView.h"
#include "app/settings/ScanMethodPage.h"
#include "engine/diagnosis/DiagnosisWorker.h"
#include "engine/salvage/SalvageWorker.h"
#include "engine/scan/MethodSelection.h"
#include "engine/worker/ScanWorker.h"
#include "engine/worker/WorkerPosting.h"
#include "viewers/ViewerWindows.h"

#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

namespace vantrel {

namespace {

// The examined device node or image file behind a node, for the destination check.
std::string SourcePathOf(ResultNode* node) {
    for (ResultNode* up = node; up; up = up->Parent())
        if (CDiskWindow* window = up->GetWindow(); window && window->Device())
            return window->Device()->DeviceNode();
    return {};
}

} // namespace

bool CVntMFCView_TreeCtrl::commandEnabled(int commandId) const {
    const TreeSelectionState state = selectionState();
    switch (commandId) {
    case command::kScan:
        return state.exists && state.canScan && !state.busy;
    case command::kAbort:
        return state.exists && state.busy;
    case command::kRecoverFolder:
        return state.exists && !state.diskOrPartition &&
               (!state.canScan || state.hasSubfoldersOrFiles) && !state.busy;
    case command::kDiagnose:
        return state.exists && state.diskOrPartition && !state.busy;
    default:
        return false;
    }
}

void CVntMFCView_TreeCtrl::runCommand(int commandId) {
    FolderTreeItem* item = selectedItem();
    switch (commandId) {
    case command::kScan: {
        if (!item || !item->CanBeScanned() || item->WorkerRunning())
            return;
        MethodChooser choose = chooseMethod_ ? chooseMethod_ : MethodChooser(AskScanMethod);
        if (const std::optional<int> method = choose(window()))
            scanItem(item, *method);
        return;
    }
    case command::kAbort:
        abortSelected();
        return;
    case command::kRecoverFolder:
        if (commandEnabled(command::kRecoverFolder))
            recover(item, {});
        return;
    case command::kDiagnose:
        if (commandEnabled(command::kDiagnose))
            diagnose(item);
        return;
    default:
        return;
    }
}

void CVntMFCView_TreeCtrl::scanItem(FolderTreeItem* item, int method) {
    if (!item || !item->Node())
        return;
    stopSubtree(item, false);
    // Nothing may show the entries the scan is about to replace; a worker that ended
    // just now may have asked to show them.
    emptyFileList();
    view_->collapse(model_->indexOf(item));
    model_->resetChildren(item);
    InstallScanMethods();
    ResultNode* node = item->Node();
    if (!node->SelectMethod(static_cast<MethodCode>(method)))
        return;
    releaseJobs(item);
    item->SetJobState(kJobNone);
    scans_[item] = true;
    if (StartScanWorker(*item))
        frame_.stateChanged();
}

void CVntMFCView_TreeCtrl::scanWhenReady() {
    FolderTreeItem* root = model_->rootItem();
    if (!root)
        return;
    // The root's analysis gives the first child; it fails only on a drive that cannot be
    // read, and then there is nothing to scan.
    waitFor([root] {
        const auto& children = root->Children();
        const bool ready = !children.empty() && !children.front()->IsPlaceholder();
        return ready || (!root->WorkerRunning() && root->Node() && root->Node()->IsAnalysed());
    });
    FolderTreeItem* first = root->Children().empty() ? nullptr : root->Children().front().get();
    if (!first || first->IsPlaceholder() || !first->CanBeScanned())
        return;
    selectItem(first);
    scanItem(first, kMethodAutomatic);
}

void CVntMFCView_TreeCtrl::abortSelected() {
    FolderTreeItem* item = selectedItem();
    if (!item || !item->WorkerRunning())
        return;
    // A worker marks itself running as it starts; pausing before that would be undone.
    waitFor([item] { return item->GetJobState() != kJobNone || !item->WorkerRunning(); });
    const int remembered = item->GetJobState();
    item->SetJobState(kJobPaused);
    const bool stop = QMessageBox::question(window(), QStringLiteral("Vantrel"),
                                            QStringLiteral("終了してよろしいですか？"),
                                            QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    // The worker may have ended meanwhile; its final state stays.
    item->ChangeJobState(kJobPaused, stop ? kJobCancel : remembered);
}

void CVntMFCView_TreeCtrl::recover(FolderTreeItem* item, const std::vector<FileEntry*>& files) {
    if (!item || item->WorkerRunning() || !item->Node())
        return;
    ResultNode* node = item->Node();
    if (files.empty() &&
        (item->IsDiskItem() || (node->IsScanTarget() && !item->HasFoldersOrFiles())))
        return;
    FolderChooser choose = chooseFolder_ ? chooseFolder_ : FolderChooser([](QWidget* parent) {
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("回収先のフォルダ"));
    });
    const QString folder = choose(window());
    if (folder.isEmpty())
        return;
    auto job = std::make_unique<SalvageJob>();
    job->destination = folder.toStdString();
    job->sourcePath = SourcePathOf(node);
    job->writeManifest = true;
    job->detailMode = frame_.detailMode();
    job->filter = model_->settings(); // a folder salvage takes what the list would show
    if (files.empty()) {
        job->items.push_back({nullptr, nullptr, node, {}});
    } else {
        for (FileEntry* file : files)
            job->items.push_back({file, node, nullptr, {}});
    }
    releaseJobs(item);
    item->SetJobState(kJobNone);
    CloseViewerStillReading(); // it may be reading one of the files to recover
    SalvageJob& started = *job;
    salvageJobs_[item] = std::move(job);
    if (!StartSalvage(*item, started)) {
        salvageJobs_.erase(item);
        return;
    }
    frame_.stateChanged();
}

void CVntMFCView_TreeCtrl::diagnose(FolderTreeItem* item) {
    if (!item || item->WorkerRunning() || !item->IsDiskItem())
        return;
    ResultNode* node = item->Node();
    auto check = std::make_unique<DiskCheck>();
    const bool whole = node->RangeLength() == ~std::uint64_t{0};
    if (!check->SetUp(node->GetWindow(), whole ? 0 : node->RangeStart(),
                      whole ? ~std::uint64_t{0} : node->RangeLength())) {
        QMessageBox::warning(window(), QStringLiteral("Vantrel"),
                             QStringLiteral("ドライブの準備が出来ていません。"));
        return;
    }
    releaseJobs(item);
    item->SetJobState(kJobNone);
    DiskCheck& started = *check;
    checks_[item] = std::move(check);
    if (!StartDiagnosis(*item, started)) {
        checks_.erase(item);
        return;
    }
    frame_.stateChanged();
}

void CVntMFCView_TreeCtrl::showContextMenu(const QPoint& at) {
    const QModelIndex index = view_->indexAt(at);
    if (index.isValid() && index != view_->currentIndex())
        view_->setCurrentIndex(index);
    QMenu menu(this);
    const struct {
        int id;
        const char16_t* text;
    } entries[] = {{command::kScan, u"スキャンの開始(&S)"},
                   {command::kRecoverFolder, u"フォルダの回収(&I)"},
                   {command::kDiagnose, u"ディスクの診断(&G)"}};
    for (const auto& entry : entries) {
        QAction* action = menu.addAction(QString::fromUtf16(entry.text));
        action->setEnabled(commandEnabled(entry.id));
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    }
    menu.exec(view_->viewport()->mapToGlobal(at));
}

} // namespace vantrel
