#include "app/browse/BrowseScreen.h"

#include "app/browse/Commands.h"
#include "app/progress/ScreenPictures.h"

#include <QApplication>
#include <QPainter>

namespace vantrel {

namespace {

constexpr int kTopPicture = 160;
constexpr int kLogPicture = 157;

bool Contains(const QWidget* ancestor, const QWidget* widget) {
    return widget && ancestor && (widget == ancestor || ancestor->isAncestorOf(widget));
}

} // namespace

BrowseScreen::BrowseScreen(FramePort& frame, QWidget* host)
    : QWidget(host), frame_(frame), selector_(new DriveSelector(frame, this)),
      splitter_(new QSplitter(Qt::Horizontal, this)),
      tree_(new CVntMFCView_TreeCtrl(frame, splitter_)),
      list_(new CVntMFCView_ListCtrl(frame, splitter_)), log_(new LogList(this)),
      scan_(new ScanProgressScreen(host)), diagnosis_(new DiagnosisScreen(host)),
      salvage_(new SalvageProgressScreen(host)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(selector_, &DriveSelector::rowsChanged, this, &BrowseScreen::placeSelector);
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(tree_);
    splitter_->addWidget(list_);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({200, 600});
    scan_->setDetailMode(frame.detailMode());
    for (QWidget* screen : {static_cast<QWidget*>(scan_), static_cast<QWidget*>(diagnosis_),
                            static_cast<QWidget*>(salvage_)})
        screen->hide();
    // The check's map names the item being checked.
    connect(tree_->treeView()->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] {
                if (FolderTreeItem* item = tree_->selectedItem())
                    diagnosis_->setTarget(item->Label());
            });
    connect(qApp, &QApplication::focusChanged, this, [this] { frame_.stateChanged(); });
}

QWidget* BrowseScreen::companionScreen(int number) {
    switch (number) {
    case 3:
        return scan_;
    case 4:
        return diagnosis_;
    case 5:
        return salvage_;
    default:
        return nullptr;
    }
}

BrowseScreenPort::Focus BrowseScreen::focus() const {
    const QWidget* focused = QApplication::focusWidget();
    if (Contains(tree_, focused))
        return Focus::Tree;
    if (Contains(list_->fileList(), focused))
        return Focus::List;
    return Focus::Other;
}

TreeSelectionState BrowseScreen::treeSelection() const {
    return tree_->selectionState();
}

int BrowseScreen::selectedRowCount() const {
    return list_->currentIndex() == CVntMFCView_ListCtrl::kFileList
               ? list_->fileList()->selectedRowCount()
               : 0;
}

int BrowseScreen::shownRowCount() const {
    return list_->fileList()->fileModel()->rowCount();
}

int BrowseScreen::entryCountBeforeFilter() const {
    return static_cast<int>(list_->fileList()->fileModel()->totalEntries());
}

bool BrowseScreen::holdsAnalysisResults() const {
    return tree_->holdsResults();
}

void BrowseScreen::runTreeCommand(int commandId) {
    tree_->runCommand(commandId);
}

void BrowseScreen::runListCommand(int commandId) {
    list_->runCommand(commandId);
}

void BrowseScreen::stopListFilling() {
    list_->fileList()->fileModel()->clear();
}

BrowseReceivers BrowseScreen::receivers() const {
    BrowseReceivers r;
    r.folderTree = tree_;
    r.fileList = list_;
    r.driveSelector = selector_;
    r.browseLog = log_;
    r.scanLog = scan_->logList();
    r.salvageLog = salvage_->logList();
    r.scanProgress = scan_;
    r.salvageProgress = salvage_;
    r.scanFoundFiles = scan_->foundList();
    r.salvageRecoveredFiles = salvage_->recoveredList();
    r.diagnosis = diagnosis_;
    return r;
}

void BrowseScreen::driveListChanged() {
    selector_->reload();
}

void BrowseScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int W = width();
    const int H = height();
    const QSize top = PictureSize(kTopPicture);
    const QSize log = PictureSize(kLogPicture);
    placeSelector();
    const int logTop = H - 16 - log.height();
    const int middleTop = 16 + std::max(24, top.height()) + 16;
    splitter_->setGeometry(16, middleTop, std::max(0, W - 32),
                           std::max(0, logTop - 16 - middleTop));
    log_->setGeometry(16, logTop, std::max(0, W - log.width() - 48), log.height());
}

void BrowseScreen::placeSelector() {
    // At least 256 pixels, wider for longer names as far as the screen's edge allows.
    const int left = 16 + PictureSize(kTopPicture).width() + 16;
    const int room = std::max(0, width() - 16 - left);
    selector_->setGeometry(left, 16, std::min(std::max(256, selector_->contentWidth()), room), 24);
}

void BrowseScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintScreenBackground(painter, *this);
    PaintPicture(painter, *this, kTopPicture, {16, 12});
    const QSize log = PictureSize(kLogPicture);
    PaintPicture(painter, *this, kLogPicture,
                 {width() - log.width() - 16, height() - 16 - log.height()});
}

} // namespace vantrel
