#include "viewers/CDumpWndFrame.h"

#include "skin/Artwork.h"
#include "skin/Fonts.h"
#include "viewers/CSetAddressDlg.h"
#include "viewers/DialogUnits.h"
#include "viewers/DumpView.h"

#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

namespace vantrel {

namespace {

constexpr int kCommandAscii = 33014;
constexpr int kCommandShiftJis = 33015;
constexpr int kCommandUnicode = 33016;
constexpr int kFirstButton = 1073;
constexpr int kLastButton = 1074;
constexpr int kPreviousButton = 1106;
constexpr int kNextButton = 1107;

// The tallest client area any window can get: the screens stacked, as the largest
// tracking height is on the first platform.
int TallestClientHeight() {
    int height = 0;
    for (const QScreen* screen : QGuiApplication::screens())
        height = std::max(height, screen->virtualGeometry().height());
    return height > 0 ? height + 64 : 1200;
}

} // namespace

CDumpWndFrame::CDumpWndFrame(std::unique_ptr<EntryReader> entry, QWidget* owner, int maximumHeight)
    : QMainWindow(owner, Qt::Window), entry_(std::move(entry)) {
    setObjectName(QStringLiteral("CDumpWndFrame"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    resize(760, 520);
    setWindowTitle(QStringLiteral("ダンプ - ") + QString::fromStdU16String(entry_->Name()));
    setWindowIcon(ProgramIcon());

    view_ = new DumpView(*entry_, maximumHeight > 0 ? maximumHeight : TallestClientHeight(), this);
    view_->setObjectName(QStringLiteral("DumpView"));
    setCentralWidget(view_);
    statusBar()->setSizeGripEnabled(true);

    auto* band = new QToolBar(this);
    band->setMovable(false); // no gripper
    band->setFloatable(false);
    band->addWidget(BuildDialogBar());
    addToolBar(Qt::TopToolBarArea, band);
    BuildMenu();
    setFocusProxy(view_);
}

CDumpWndFrame::~CDumpWndFrame() = default;

void CDumpWndFrame::BuildMenu() {
    QMenu* settings = menuBar()->addMenu(QStringLiteral("設定(&C)"));
    auto* modes = new QActionGroup(this);
    ascii_ = settings->addAction(QStringLiteral("ASCII(&A)"));
    shiftJis_ = settings->addAction(QStringLiteral("Shift-JIS(&S)"));
    unicode_ = settings->addAction(QStringLiteral("UNICODE(&U)"));
    for (auto [action, command] :
         {std::pair{ascii_, kCommandAscii}, std::pair{shiftJis_, kCommandShiftJis},
          std::pair{unicode_, kCommandUnicode}}) {
        action->setCheckable(true);
        action->setData(command);
        modes->addAction(action);
        connect(action, &QAction::triggered, this, [this, command = command] { SetMode(command); });
    }
    shiftJis_->setChecked(true);
    QMenu* move = menuBar()->addMenu(QStringLiteral("移動(&J)"));
    goTo_ = move->addAction(QStringLiteral("指定アドレスに移動(&J)"));
    goTo_->setData(33017);
    connect(goTo_, &QAction::triggered, this, &CDumpWndFrame::AskAddress);
}

QWidget* CDumpWndFrame::BuildDialogBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("112"));
    bar->setFont(PGothicFont(12));
    bar->setFixedSize(DluX(276), DluY(50) - DluY(7));
    auto label = [bar](const QString& text, QRect rect, Qt::Alignment alignment) {
        auto* widget = new QLabel(text, bar);
        widget->setGeometry(rect);
        widget->setAlignment(alignment | Qt::AlignVCenter);
        return widget;
    };
    label(QStringLiteral("ファイルサイズ："), DluRect(7, 7, 50, 14), Qt::AlignRight);
    sizeField_ = label(QString::number(static_cast<qlonglong>(entry_->Size())),
                       DluRect(60, 7, 74, 14), Qt::AlignRight);
    sizeField_->setObjectName(QStringLiteral("1075"));
    sizeField_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sizeField_->setContentsMargins(0, 0, 3, 0);
    label(QStringLiteral("バイト"), DluRect(138, 7, 25, 14), Qt::AlignLeft);
    label(QStringLiteral("移動："), DluRect(7, 27, 50, 14), Qt::AlignRight);
    auto button = [bar](const QString& text, int id, int x, const QString& tip) {
        auto* widget = new QPushButton(text, bar);
        widget->setObjectName(QString::number(id));
        widget->setGeometry(DluRect(x, 27, 50, 14));
        widget->setToolTip(tip);
        widget->setFocusPolicy(Qt::NoFocus);
        return widget;
    };
    first_ = button(QStringLiteral("先頭"), kFirstButton, 60, QStringLiteral("ファイルの先頭"));
    previous_ =
        button(QStringLiteral("前ページ"), kPreviousButton, 113, QStringLiteral("前ページ"));
    next_ = button(QStringLiteral("次ページ"), kNextButton, 166, QStringLiteral("次ページ"));
    last_ = button(QStringLiteral("最終"), kLastButton, 219, QStringLiteral("ファイルの最後"));
    const auto focusView = [this] { view_->setFocus(); };
    connect(first_, &QPushButton::clicked, this, [this, focusView] {
        view_->First();
        focusView();
    });
    connect(previous_, &QPushButton::clicked, this, [this, focusView] {
        view_->PageUp();
        focusView();
    });
    connect(next_, &QPushButton::clicked, this, [this, focusView] {
        view_->PageDown();
        focusView();
    });
    connect(last_, &QPushButton::clicked, this, [this, focusView] {
        view_->Last();
        focusView();
    });
    return bar;
}

QAction* CDumpWndFrame::ModeAction(int command) const {
    switch (command) {
    case kCommandAscii:
        return ascii_;
    case kCommandShiftJis:
        return shiftJis_;
    case kCommandUnicode:
        return unicode_;
    default:
        return nullptr;
    }
}

QPushButton* CDumpWndFrame::Button(int id) const {
    switch (id) {
    case kFirstButton:
        return first_;
    case kLastButton:
        return last_;
    case kPreviousButton:
        return previous_;
    case kNextButton:
        return next_;
    default:
        return nullptr;
    }
}

void CDumpWndFrame::SetMode(int command) {
    if (QAction* action = ModeAction(command))
        action->setChecked(true);
    view_->SetTextMode(command == kCommandAscii     ? DumpTextMode::ascii
                       : command == kCommandUnicode ? DumpTextMode::unicode
                                                    : DumpTextMode::shiftJis);
}

void CDumpWndFrame::AskAddress() {
    auto* dialog = new CSetAddressDlg(DumpGoToMaximum(entry_->Size()), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { view_->GoTo(dialog->Result()); });
    dialog->open();
}

void CDumpWndFrame::focusInEvent(QFocusEvent* event) {
    QMainWindow::focusInEvent(event);
    view_->setFocus();
}

} // namespace vantrel
