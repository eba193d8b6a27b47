#include "app/shell/CVntMFCFrameWnd.h"

#include "app/shell/ScreenHost.h"
#include "app/shell/StartPage.h"
#include "app/shell/UiRequestEvent.h"
#include "skin/Artwork.h"
#include "skin/TesselToolBarWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace vantrel {

CVntMFCFrameWnd::CVntMFCFrameWnd(DriveList* drives, std::vector<UnopenedDrive>* unopened,
                                 bool detailMode, QWidget* parent)
    : QMainWindow(parent), drives_(drives), unopened_(unopened), detailMode_(detailMode),
      host_(new ScreenHost(this)), startPage_(new StartPage(detailMode)), statusPane_(new QLabel) {
    setObjectName(QStringLiteral("CVntMFCFrameWnd"));
    setWindowTitle(QStringLiteral("Vantrel"));
    setWindowIcon(ProgramIcon());
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setCentralWidget(host_);
    host_->setScreen(1, startPage_);
    host_->showScreen(1);
    statusBar()->addWidget(statusPane_, 1);
    buildMenu();
    // The window first covers the work area.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());

    messageBox_ = [](QWidget* owner, QMessageBox::Icon icon, const QString& text,
                     QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, QStringLiteral("Vantrel"), text, buttons, owner);
        if (QAbstractButton* yes = box.button(QMessageBox::Yes))
            yes->setText(QStringLiteral("はい(&Y)"));
        if (QAbstractButton* no = box.button(QMessageBox::No))
            no->setText(QStringLiteral("いいえ(&N)"));
        return static_cast<QMessageBox::StandardButton>(box.exec());
    };

    connect(startPage_, &StartPage::commandRequested, this, &CVntMFCFrameWnd::postCommand);
    connect(host_->toolbar(), &TesselToolBarWindow::commandTriggered, this,
            &CVntMFCFrameWnd::postCommand);
    connect(host_, &ScreenHost::screenChanged, this, [this] { scheduleStateUpdate(); });
    focusWatch_ =
        connect(qApp, &QApplication::focusChanged, this, [this] { scheduleStateUpdate(); });
    updateCommandStates();
    updateStatusText();
}

CVntMFCFrameWnd::~CVntMFCFrameWnd() {
    // Hiding the window while it is destroyed moves the focus; the frame is gone by then.
    disconnect(focusWatch_);
}

void CVntMFCFrameWnd::setBrowse(BrowseScreenPort* browse) {
    browse_ = browse;
    if (browse_ && browse_->screenWidget())
        host_->setScreen(2, browse_->screenWidget());
    for (int number = 3; browse_ && number <= 5; ++number)
        if (QWidget* screen = browse_->companionScreen(number))
            host_->setScreen(number, screen);
    scheduleStateUpdate();
}

void CVntMFCFrameWnd::addCommand(QMenu* menu, const QString& text, int commandId) {
    QAction* action = menu->addAction(text);
    action->setStatusTip(CommandPrompt(commandId));
    action->setData(commandId);
    connect(action, &QAction::triggered, this, [this, commandId] { runCommand(commandId); });
    actions_[commandId] = action;
}

void CVntMFCFrameWnd::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    addCommand(file, QStringLiteral("開始ページに戻る(&S)"), cmd::kReturnToStart);
    addCommand(file, QStringLiteral("マニュアル検索(&M)"), cmd::kManualSearch);
    addCommand(file, QStringLiteral("簡単ファイル検索(&W)"), cmd::kEasySearch);
    QAction* open = file->addAction(QStringLiteral("イメージファイルを開く(&O)..."));
    open->setStatusTip(QStringLiteral("ディスクイメージファイルを回収元ドライブに加えます"));
    connect(open, &QAction::triggered, this, &CVntMFCFrameWnd::askImageFile);
    QAction* openMapped =
        file->addAction(QStringLiteral("マップファイル付きでイメージを開く(&P)..."));
    openMapped->setStatusTip(QStringLiteral("ディスクイメージファイルを、作成時に読めなかった領域を"
                                            "記録したマップファイルとともに開きます"));
    connect(openMapped, &QAction::triggered, this, &CVntMFCFrameWnd::askImageWithMap);
    imageActions_ = {open, openMapped};
    file->addSeparator();
    addCommand(file, QStringLiteral("アプリケーションの終了(&X)"), cmd::kExit);

    QMenu* operation = menuBar()->addMenu(QStringLiteral("操作(&O)"));
    addCommand(operation, QStringLiteral("スキャンの開始(&S)"), cmd::kStartScan);
    addCommand(operation, QStringLiteral("中止(&A)"), cmd::kAbort);
    addCommand(operation, QStringLiteral("フォルダの回収(&I)"), cmd::kSalvageFolder);
    addCommand(operation, QStringLiteral("ディスクの診断(&G)"), cmd::kDiagnose);
    operation->addSeparator();
    addCommand(operation, QStringLiteral("ファイルの回収(&F)"), cmd::kSalvageFiles);
    addCommand(operation, QStringLiteral("ファイルのダンプ(&D)"), cmd::kDumpFile);
    addCommand(operation, QStringLiteral("ファイルのプレビュー(&P)"), cmd::kPreviewFile);

    QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    addCommand(view, QStringLiteral("ステータスバー(&S)"), cmd::kStatusBar);
    actions_[cmd::kStatusBar]->setCheckable(true);
    actions_[cmd::kStatusBar]->setChecked(true);
    view->addSeparator();
    addCommand(view, QStringLiteral("設定(&C)"), cmd::kSettings);

    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    addCommand(help, QStringLiteral("ヘルプ(&H)"), cmd::kHelp);
    help->addSeparator();
    addCommand(help, QStringLiteral("バージョン情報(&A)"), cmd::kAbout);

    for (QMenu* menu : {file, operation, view, help})
        connect(menu, &QMenu::aboutToShow, this, &CVntMFCFrameWnd::updateCommandStates);
}

QAction* CVntMFCFrameWnd::action(int commandId) const {
    const auto found = actions_.find(commandId);
    return found == actions_.end() ? nullptr : found->second;
}

void CVntMFCFrameWnd::scheduleStateUpdate() {
    // Qt has no idle time: the table is recomputed on the next turn of the event loop
    // after anything it reads has changed, several changes at once counted once.
    if (updatePending_)
        return;
    updatePending_ = true;
    QTimer::singleShot(0, this, [this] {
        updatePending_ = false;
        updateCommandStates();
        updateStatusText();
    });
}

CommandInputs CVntMFCFrameWnd::readInputs() const {
    CommandInputs in;
    in.screen = host_->currentScreen();
    if (browse_) {
        in.focus = browse_->focus();
        in.tree = browse_->treeSelection();
        in.selectedRows = browse_->selectedRowCount();
    }
    return in;
}

void CVntMFCFrameWnd::updateCommandStates() {
    states_ = CommandStates::Compute(readInputs());
    for (int id : cmd::kToolbarOrder)
        host_->toolbar()->setCommandEnabled(id, states_.enabled(id));
    for (const auto& [id, action] : actions_)
        action->setEnabled(states_.enabled(id));
    const int screen = host_->currentScreen();
    for (QAction* action : imageActions_)
        action->setEnabled(screen == 1 || screen == 2);
}

void CVntMFCFrameWnd::updateStatusText() {
    int shown = 0, total = 0, selected = 0;
    if (browse_) {
        shown = browse_->shownRowCount();
        total = browse_->entryCountBeforeFilter();
        selected = browse_->selectedRowCount();
    }
    statusPane_->setText(StatusText(shown, total, selected));
}

QString CVntMFCFrameWnd::statusText() const {
    return statusPane_->text();
}

bool CVntMFCFrameWnd::runCommand(int commandId) {
    updateCommandStates();
    if (!states_.enabled(commandId))
        return false;
    switch (commandId) {
    case cmd::kReturnToStart:
        returnToStartPage();
        break;
    case cmd::kManualSearch:
        PostUiRequest(this, msg::kShowScreen, msg::kScreenBrowse);
        break;
    case cmd::kEasySearch:
        runEasySearch();
        break;
    case cmd::kStartScan:
    case cmd::kAbort:
    case cmd::kSalvageFolder:
    case cmd::kDiagnose:
        if (browse_)
            browse_->runTreeCommand(commandId);
        break;
    case cmd::kSalvageFiles:
    case cmd::kDumpFile:
    case cmd::kPreviewFile:
        if (browse_)
            browse_->runListCommand(commandId);
        break;
    case cmd::kSettings:
        runSettings();
        break;
    case cmd::kHelp:
        showHelp();
        break;
    case cmd::kAbout:
        showAbout();
        break;
    case cmd::kExit:
        close();
        break;
    case cmd::kStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        actions_[cmd::kStatusBar]->setChecked(statusBar()->isVisible());
        break;
    default:
        return false;
    }
    scheduleStateUpdate();
    return true;
}

QMessageBox::StandardButton CVntMFCFrameWnd::showMessage(QMessageBox::Icon icon,
                                                         const QString& text,
                                                         QMessageBox::StandardButtons buttons) {
    return messageBox_(this, icon, text, buttons);
}

void CVntMFCFrameWnd::closeEvent(QCloseEvent* event) {
    if (shutDownApproved_) {
        event->accept();
        return;
    }
    event->ignore();
    switch (host_->currentScreen()) {
    case 3:
        showMessage(QMessageBox::Warning, QStringLiteral("スキャン中に終了することはできません。"));
        return;
    case 4:
        showMessage(QMessageBox::Warning, QStringLiteral("診断中に終了することはできません。"));
        return;
    case 5:
        showMessage(QMessageBox::Warning, QStringLiteral("回収中に終了することはできません。"));
        return;
    default:
        break;
    }
    if (showMessage(QMessageBox::Question, QStringLiteral("終了してよろしいですか？"),
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (browse_)
        browse_->stopListFilling();
    // The tree stops its workers and frees its results, then sends 0x475 back; without a
    // tree the frame answers itself.
    const BrowseReceivers to = receivers();
    PostUiRequest(to.folderTree ? to.folderTree : this, msg::kShutDown);
}

} // namespace vantrel
