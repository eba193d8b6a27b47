#include "app/browse/ListCtrlView.h"

#include "app/browse/Commands.h"
#include "app/shell/BrowseScreenPort.h"
#include "app/shell/UiRequestEvent.h"
#include "viewers/ViewerWindows.h"

#include <QMenu>

namespace vantrel {

CVntMFCView_ListCtrl::CVntMFCView_ListCtrl(FramePort& frame, QWidget* parent)
    : QStackedWidget(parent), frame_(frame), list_(new FileListView(this)),
      unscanned_(new GuidancePanel(GuidancePanel::kUnscanned, this)),
      drive_(new GuidancePanel(GuidancePanel::kDrive, this)) {
    addWidget(list_);
    addWidget(unscanned_);
    addWidget(drive_);
    list_->fileModel()->setSettings(frame.scanSettings());
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this,
            &CVntMFCView_ListCtrl::showContextMenu);
    // A double-click posts the preview command, which the frame runs only while it is
    // enabled (a single selected row).
    connect(list_, &QAbstractItemView::doubleClicked, this,
            [this] { frame_.postCommand(command::kPreview); });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { frame_.stateChanged(); });
    connect(list_->fileModel(), &FileListModel::fillFinished, this,
            [this] { frame_.stateChanged(); });
}

GuidancePanel* CVntMFCView_ListCtrl::panel(int child) const {
    return child == kUnscannedPanel ? unscanned_ : child == kDrivePanel ? drive_ : nullptr;
}

void CVntMFCView_ListCtrl::showEntries(const ResultNode::FileList* entries) {
    // The entries a viewer reads may be about to go.
    CloseViewerWindow();
    list_->fileModel()->fill(entries);
    frame_.stateChanged();
}

void CVntMFCView_ListCtrl::showChild(int child) {
    if (child >= kFileList && child <= kDrivePanel)
        setCurrentIndex(child);
}

bool CVntMFCView_ListCtrl::commandEnabled(int commandId) const {
    const int selected = currentIndex() == kFileList ? list_->selectedRowCount() : 0;
    switch (commandId) {
    case command::kRecoverFiles:
        return selected >= 1;
    case command::kDump:
    case command::kPreview:
        return selected == 1;
    default:
        return false;
    }
}

void CVntMFCView_ListCtrl::runCommand(int commandId) {
    const std::vector<FileEntry*> selected = list_->selectedEntries();
    switch (commandId) {
    case command::kDump:
        CloseViewerWindow();
        if (!selected.empty())
            OpenDumpWindow(selected.front(), list_);
        break;
    case command::kPreview:
        CloseViewerWindow();
        if (!selected.empty())
            OpenPreviewWindow(selected.front(), list_);
        break;
    case command::kRecoverFiles: {
        if (selected.empty())
            return;
        recoverSelection_ = selected;
        auto request = std::make_unique<UiRequest>(frame_.frameReceiver(), msg::kRecoverEntries);
        request->pointer = &recoverSelection_;
        PostUiRequest(frame_.frameReceiver(), std::move(request));
        break;
    }
    default:
        break;
    }
}

void CVntMFCView_ListCtrl::showContextMenu(const QPoint& at) {
    QMenu menu(this);
    const struct {
        int id;
        const char16_t* text;
    } entries[] = {{command::kDump, u"ファイルのダンプ(&D)"},
                   {command::kPreview, u"ファイルのプレビュー(&P)"},
                   {command::kRecoverFiles, u"ファイルの回収(&F)"}};
    for (const auto& entry : entries) {
        QAction* action = menu.addAction(QString::fromUtf16(entry.text));
        action->setEnabled(commandEnabled(entry.id));
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    }
    menu.exec(list_->viewport()->mapToGlobal(at));
}

void CVntMFCView_ListCtrl::customEvent(QEvent* event) {
    UiRequestEvent* request = UiRequestEvent::Cast(event);
    if (!request) {
        QStackedWidget::customEvent(event);
        return;
    }
    switch (request->message()) {
    case msg::kShowEntries:
        showEntries(request->pointerAs<const ResultNode::FileList>());
        break;
    case msg::kShowListChild:
        showChild(static_cast<int>(request->value()));
        break;
    case msg::kSettingsChanged:
        if (const auto* settings = request->pointerAs<const ScanSettings>())
            list_->fileModel()->setSettings(*settings);
        break;
    default:
        break;
    }
    request->complete();
}

} // namespace vantrel
