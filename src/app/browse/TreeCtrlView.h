#pragma once

// The folder tree of the browse screen (CVntMFCView_TreeCtrl) and the desktop program's
// hub for the engine: it owns the workers of its items (analysis, scan, salvage, disk
// check), receives every request they post, relays what is not its own to the frame and
// carries out the scan, abort, recover and check commands.
//
// Deleting items follows one protocol: every job of the subtree is told to stop, the tree
// waits for the workers while it keeps handling events (a worker may be waiting for an
// answer), answers questions of those workers itself, and only then removes the items.

#include "app/models/FolderTreeModel.h"
#include "app/shell/BrowseScreenPort.h"
#include "app/shell/UiRequestEvent.h"

#include <QTreeView>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace vantrel {

class DiskCheck;
struct SalvageJob;

class CVntMFCView_TreeCtrl : public QWidget {
    Q_OBJECT
public:
    CVntMFCView_TreeCtrl(FramePort& frame, QWidget* parent = nullptr);
    ~CVntMFCView_TreeCtrl() override;

    QTreeView* treeView() const { return view_; }
    FolderTreeModel* model() const { return model_; }
    FolderTreeItem* selectedItem() const;
    TreeSelectionState selectionState() const;
    bool holdsResults() const { return model_->holdsResults(); }
    CDiskDevice* drive() const { return drive_; }

    // Commands 33003, 33004, 33005 and the disk check.
    void runCommand(int commandId);
    bool commandEnabled(int commandId) const;

    // What the commands ask the user; tests answer for the user.
    using MethodChooser = std::function<std::optional<int>(QWidget*)>;
    using FolderChooser = std::function<QString(QWidget*)>;
    void setMethodChooser(MethodChooser chooser) { chooseMethod_ = std::move(chooser); }
    void setFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }

    // The steps the messages and commands are made of.
    void changeDrive(CDiskDevice* drive);
    void selectItem(FolderTreeItem* item);
    void scanItem(FolderTreeItem* item, int method);
    void recover(FolderTreeItem* item, const std::vector<FileEntry*>& files);
    void diagnose(FolderTreeItem* item);
    void takeSettings(const ScanSettings& settings);
    // Deletes every item and the root node (deletion protocol).
    void clearTree();

signals:
    void shutDownDone();

protected:
    void customEvent(QEvent* event) override;

private:
    void onCurrentChanged(const QModelIndex& current);
    void onExpanded(QModelIndex index);
    void analyseOrInsert(FolderTreeItem* item);
    void showFilesOf(FolderTreeItem* item);
    void workerFinished(TreeItemRecord* record);
    void scanWhenReady();
    void abortSelected();
    void stopSubtree(FolderTreeItem* item, bool includeItem);
    void waitFor(const std::function<bool()>& done);
    void releaseJobs(FolderTreeItem* item);
    bool answerDuringDeletion(UiRequestEvent& request);
    void showContextMenu(const QPoint& at);
    void postToFrame(msg::MessageId message, std::uint64_t value = 0, void* pointer = nullptr);
    // Empties the file list now, before nodes whose entries it may show or fill from go.
    void emptyFileList();
    void logLine(const QString& target, const QString& text);
    bool ask(const QString& text);

    FramePort& frame_;
    QTreeView* view_;
    FolderTreeModel* model_;
    QtRequestSink sink_;
    CDiskDevice* drive_ = nullptr;
    bool shuttingDown_ = false;
    int deleting_ = 0;
    std::map<FolderTreeItem*, std::unique_ptr<SalvageJob>> salvageJobs_;
    std::map<FolderTreeItem*, std::unique_ptr<DiskCheck>> checks_;
    std::map<FolderTreeItem*, bool> scans_; // items whose last worker was a scan
    MethodChooser chooseMethod_;
    FolderChooser chooseFolder_;
};

} // namespace vantrel
