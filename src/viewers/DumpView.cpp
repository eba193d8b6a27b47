#include "viewers/DumpView.h"

#include "skin/Fonts.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace vantrel {

namespace {

constexpr int kLineHeight = 16;
constexpr int kCellWidth = 8;
constexpr int kAddressBand = 144;
constexpr int kMaxColumn = 85;
constexpr std::uint64_t kLine = kDumpLineBytes;

// ASCII text one character a cell; in one call when the face's digits are a cell wide.
void DrawCells(QPainter& painter, const std::string& text, int x, int baseline) {
    if (painter.fontMetrics().horizontalAdvance(QStringLiteral("0123456789ABCDEF")) ==
        16 * kCellWidth) {
        painter.drawText(QPoint(x, baseline), QString::fromLatin1(text));
        return;
    }
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != ' ')
            painter.drawText(QPoint(x + static_cast<int>(i) * kCellWidth, baseline),
                             QString(QLatin1Char(text[i])));
}

} // namespace

DumpView::DumpView(EntryReader& entry, int maximumHeight, QWidget* parent)
    : QAbstractScrollArea(parent), entry_(entry), size_(entry.Size()) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken); // the client edge
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAutoFillBackground(true);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(palette);
    viewport()->setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::StrongFocus);

    cannotDump_ = size_ == 0 || maximumHeight <= 0;
    if (!cannotDump_) {
        window_ = std::make_unique<DumpFileWindow>(entry_, DumpCapacityFor(maximumHeight));
        cannotDump_ = !window_->Usable();
    }
    if (!cannotDump_ && !window_->Load(0)) {
        ReportReadFailure();
        cannotDump_ = true;
    }
    if (!cannotDump_)
        range_ = DumpScrollRangeFor(size_);
    verticalScrollBar()->setRange(0, static_cast<int>(range_.maximum));
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, cannotDump_ ? 0 : kMaxColumn);
    horizontalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &DumpView::VerticalAction);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &DumpView::HorizontalChanged);
}

DumpView::~DumpView() = default;

QString DumpView::CannotDumpText() {
    return QStringLiteral("このファイルをダンプすることは出来ません。");
}

std::uint64_t DumpView::Top() const {
    return window_ ? window_->Top() : 0;
}

void DumpView::SetTextMode(DumpTextMode mode) {
    textMode_ = mode;
    viewport()->update();
}

void DumpView::ReportReadFailure() {
    emit readFailed();
    if (cannotDump_)
        return;
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("ダンプ"),
                                QStringLiteral("ファイルの読み込みに失敗しました。"),
                                QMessageBox::Ok, window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void DumpView::MoveTo(std::uint64_t offset) {
    if (cannotDump_)
        return;
    const std::uint64_t old = window_->Top();
    const auto move = window_->MoveTo(offset, visibleLines_);
    if (!move.readOk)
        ReportReadFailure();
    const std::uint64_t now = window_->Top();
    const std::uint64_t distance = now > old ? now - old : old - now;
    if (distance > 0 && distance <= static_cast<std::uint64_t>(visibleLines_) * kLine) {
        // Only the uncovered lines are painted; the rest moves as pixels.
        const int dy = static_cast<int>(distance / kLine) * kLineHeight;
        const QRect below(0, kLineHeight, viewport()->width(), viewport()->height() - kLineHeight);
        viewport()->scroll(0, now < old ? dy : -dy, below);
    } else if (distance > 0 || move.reloaded) {
        viewport()->update();
    }
    UpdateVerticalBar();
}

void DumpView::UpdateVerticalBar() {
    settingBar_ = true;
    verticalScrollBar()->setSliderPosition(
        static_cast<int>(DumpScrollPosition(window_ ? window_->Top() : 0, range_.shift)));
    settingBar_ = false;
}

void DumpView::LineUp() {
    if (!cannotDump_)
        MoveTo(DumpLineUp(Top()));
}

void DumpView::LineDown() {
    if (!cannotDump_)
        MoveTo(DumpLineDown(Top(), size_));
}

void DumpView::PageUp() {
    if (!cannotDump_)
        MoveTo(DumpPageUp(Top(), visibleLines_));
}

void DumpView::PageDown() {
    if (!cannotDump_)
        MoveTo(DumpPageDown(Top(), visibleLines_, size_));
}

void DumpView::First() {
    if (!cannotDump_)
        MoveTo(0);
}

void DumpView::Last() {
    if (!cannotDump_)
        MoveTo(DumpLast(size_, visibleLines_));
}

void DumpView::GoTo(std::uint64_t address) {
    if (!cannotDump_)
        MoveTo(DumpGoToTarget(std::min(address, DumpGoToMaximum(size_))));
}

void DumpView::VerticalAction(int action) {
    if (cannotDump_ || settingBar_)
        return;
    const std::uint64_t top = Top();
    std::uint64_t target = top;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        target = DumpLineUp(top);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        target = DumpLineDown(top, size_);
        break;
    case QAbstractSlider::SliderPageStepSub:
        target = DumpPageUp(top, visibleLines_);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        target = DumpPageDown(top, visibleLines_, size_);
        break;
    case QAbstractSlider::SliderToMinimum:
        target = 0;
        break;
    case QAbstractSlider::SliderToMaximum:
        target = DumpOffsetForPosition(range_.maximum, range_.shift);
        break;
    case QAbstractSlider::SliderMove: {
        const int position =
            std::clamp(verticalScrollBar()->sliderPosition(), 0, static_cast<int>(range_.maximum));
        target = DumpOffsetForPosition(position, range_.shift);
        break;
    }
    default:
        return;
    }
    MoveTo(std::min(target, size_ > 0 ? (size_ - 1) / kLine * kLine : 0));
}

void DumpView::scrollContentsBy(int, int) {
    // The view moves itself in MoveTo and HorizontalChanged.
}

void DumpView::HorizontalChanged(int value) {
    const int old = hScroll_;
    hScroll_ = std::clamp(value, 0, kMaxColumn);
    if (old != hScroll_)
        viewport()->scroll((old - hScroll_) * kCellWidth, 0);
}

void DumpView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta > 0)
        LineUp();
    else if (delta < 0)
        LineDown();
    event->accept();
}

void DumpView::keyPressEvent(QKeyEvent* event) {
    // The arrows and page keys reach the scroll bar; Home and End act as 先頭 and 最終.
    if (event->key() == Qt::Key_Home) {
        First();
    } else if (event->key() == Qt::Key_End) {
        Last();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void DumpView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const int old = visibleLines_;
    visibleLines_ = viewport()->height() / kLineHeight + 1;
    horizontalScrollBar()->setPageStep(viewport()->height() / 8 + 1);
    verticalScrollBar()->setPageStep(std::max(visibleLines_ - 2, 1));
    if (visibleLines_ > old && !cannotDump_)
        MoveTo(Top());
}

void DumpView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    painter.fillRect(event->rect(), Qt::white);
    painter.setFont(GothicFont(16));
    painter.setPen(Qt::black);
    if (cannotDump_) {
        const QString text = CannotDumpText();
        const int x = area.width() / 2 - static_cast<int>(text.size() / 2) * 16;
        painter.drawText(QPoint(x, area.height() / 2 + painter.fontMetrics().ascent()), text);
        return;
    }
    const int shift = -hScroll_ * kCellWidth;
    painter.fillRect(QRect(shift, 0, kAddressBand, area.height()), QColor(255, 255, 0));
    painter.fillRect(QRect(0, 0, area.width(), kLineHeight), QColor(255, 255, 0));
    painter.setBackgroundMode(Qt::TransparentMode);
    const int ascent = painter.fontMetrics().ascent();
    DrawCells(painter, DumpHeaderText(), shift, ascent);

    // Rows r = 0 .. visibleLines inclusive; only those in the exposed area are drawn.
    const int firstRow = std::max(event->rect().top() / kLineHeight - 1, 0);
    const int lastRow = std::min(event->rect().bottom() / kLineHeight, visibleLines_);
    const std::uint64_t top = Top();
    const std::uint64_t firstOffset = top + static_cast<std::uint64_t>(firstRow) * kLine;
    bool carry = firstOffset < size_ && window_->ShiftJisCarryInto(firstOffset);
    for (int row = firstRow; row <= lastRow; ++row) {
        const std::uint64_t offset = top + static_cast<std::uint64_t>(row) * kLine;
        if (offset >= size_)
            break;
        PaintLine(painter, offset, row, carry);
    }
}

void DumpView::PaintLine(QPainter& painter, std::uint64_t offset, int row, bool& carry) {
    const int shift = -hScroll_ * kCellWidth;
    const int baseline = (row + 1) * kLineHeight + painter.fontMetrics().ascent();
    std::uint8_t storage[kDumpLineBytes];
    std::optional<std::uint8_t> next;
    const Bytes bytes = window_->Line(offset, storage, &next);
    DrawCells(painter, DumpHexText(offset, bytes), shift, baseline);
    const QFontMetrics metrics = painter.fontMetrics();
    for (const DumpGlyph& glyph : DumpTextColumn(textMode_, bytes, next, offset == 0, carry)) {
        QString text = QString::fromStdU16String(glyph.text);
        // A character the face cannot draw would be a box; it reads as "." like the others.
        if (text.size() == 1 && !metrics.inFont(text.front()))
            text = QStringLiteral(".");
        painter.drawText(QPoint(shift + (kDumpTextCell + glyph.cell) * kCellWidth, baseline), text);
    }
}

} // namespace vantrel
