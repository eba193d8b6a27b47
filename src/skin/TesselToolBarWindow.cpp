#include "skin/TesselToolBarWindow.h"

#include "skin/Artwork.h"
#include "skin/ProgramLook.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace vantrel {
namespace {

constexpr int kTop = 3;
constexpr int kArrowHeight = 38;
constexpr int kLogoHeight = 38;
constexpr int kIconSize = 32;
const QColor& kBackground = look::kToolbar;
const QColor& kLightPen = look::kLightPen;
const QColor& kMidPen = look::kMidPen;
const QColor& kDarkPen = look::kDarkPen;

struct LogoPlace {
    int number;
    int fromRight;
};
// Drawn only where they start right of every button; they go one by one as the bar narrows,
// the rightmost last.
constexpr LogoPlace kLogos[] = {{136, 146}, {135, 400}, {134, 619}};

} // namespace

TesselToolBarWindow::TesselToolBarWindow(QWidget* parent)
    : QWidget(parent), tipDelay_(new QTimer(this)) {
    setObjectName(QStringLiteral("TesselToolBarWindow"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    tipDelay_->setObjectName(QStringLiteral("tipDelay"));
    tipDelay_->setSingleShot(true);
    tipDelay_->setInterval(kTipDelayMs);
    connect(tipDelay_, &QTimer::timeout, this, &TesselToolBarWindow::showTip);
}

void TesselToolBarWindow::addButtons(const QList<int>& commands, const QList<int>& iconPictures) {
    const qsizetype count = std::min(commands.size(), iconPictures.size());
    for (qsizetype i = 0; i < count; ++i) {
        commands_.append(Button{commands[i], iconPictures[i], false, true});
    }
    relayout();
    update();
}

void TesselToolBarWindow::addMainWindowButtons() {
    addButtons({33000, 33002, 33001, 33003, 33004, 33005, 33006, 33007, 33008, 33009, 33010},
               {137, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147});
}

void TesselToolBarWindow::setCommandEnabled(int commandId, bool enabled) {
    for (int i = 0; i < buttonCount(); ++i) {
        if (commands_[i].command == commandId) {
            if (commands_[i].enabled != enabled) {
                commands_[i].enabled = enabled;
                update(itemRect(i));
            }
            return;
        }
    }
}

bool TesselToolBarWindow::isCommandEnabled(int commandId) const {
    for (const Button& button : commands_) {
        if (button.command == commandId) {
            return button.enabled;
        }
    }
    return false;
}

int TesselToolBarWindow::commandAt(int index) const {
    return index >= 0 && index < buttonCount() ? commands_[index].command : 0;
}

QSize TesselToolBarWindow::sizeHint() const {
    return {cellLeft(buttonCount()) + 619 + 16, 48};
}

void TesselToolBarWindow::relayout() {
    int available = width() - kLeft;
    if (visibleCount_ < buttonCount()) {
        available -= kArrowWidth;
    }
    visibleCount_ = std::max(0, available) / kCellStep;
    // Shrinking from a width where everything fitted skips the reserve above, which can push
    // the arrow past the right edge and leave the hidden buttons out of reach.
    if (visibleCount_ > 0 && visibleCount_ < buttonCount() &&
        cellLeft(visibleCount_) + kArrowWidth > width()) {
        --visibleCount_;
    }
    for (int i = 0; i < buttonCount(); ++i) {
        commands_[i].visible = i < visibleCount_;
    }
    lastVisibleX_ = kCellStep * (visibleCount_ - 1) + kLeft;
    buttonsRight_ = kCellStep * buttonCount() + kLeft;
}

void TesselToolBarWindow::resizeEvent(QResizeEvent*) {
    relayout();
}

int TesselToolBarWindow::hitTest(QPoint point) const {
    const int x = point.x();
    const int y = point.y();
    if (x <= kLeft - 1 || x > width() || y <= kTop - 1 || y > height() - 3) {
        return -1;
    }
    const int index = (x - kLeft) / kCellStep;
    if (index < buttonCount() &&
        (index != visibleCount_ || x - kLeft <= kCellStep * visibleCount_ + kArrowWidth)) {
        return index;
    }
    return -1;
}

QRect TesselToolBarWindow::itemRect(int index) const {
    if (index < 0) {
        return {};
    }
    if (index == visibleCount_) {
        return {cellLeft(index), kTop, kArrowWidth, kArrowHeight};
    }
    return {cellLeft(index), kTop, kCellWidth, kCellHeight};
}

int TesselToolBarWindow::logoLeft(int number) const {
    for (const LogoPlace& logo : kLogos) {
        if (logo.number == number) {
            return width() - logo.fromRight;
        }
    }
    return -1;
}

bool TesselToolBarWindow::isLogoShown(int number) const {
    const int left = logoLeft(number);
    return left >= 0 && left >= buttonsRight_;
}

void TesselToolBarWindow::paintButton(QPainter& painter, int index) const {
    const Button& button = commands_[index];
    const int x = cellLeft(index);
    if (button.enabled &&
        ((index == hot_ && !captured_) || (index == pressed_ && !pressedInside_))) {
        painter.drawPixmap(x, kTop, LoadBitmap(133, painter.device()->devicePixelRatioF()));
    }
    const int shift = index == pressed_ && pressedInside_ ? 2 : 0;
    const qreal ratio = painter.device()->devicePixelRatioF();
    const QPixmap strip = LoadBitmap(button.iconPicture, ratio);
    const QRectF source((button.enabled ? 0 : 2 * kIconSize) * ratio, 0, kIconSize * ratio,
                        kIconSize * ratio);
    painter.drawPixmap(QRectF(x + 1 + shift, 4 + shift, kIconSize, kIconSize), strip, source);
}

void TesselToolBarWindow::paintArrow(QPainter& painter) const {
    const int x = cellLeft(visibleCount_);
    painter.fillRect(QRect(x, kTop, kArrowWidth, kArrowHeight), kBackground);
    const qreal ratio = painter.device()->devicePixelRatioF();
    const QPixmap arrow = LoadBitmap(132, ratio);
    const int cell = hot_ == visibleCount_ ? kArrowWidth : 0;
    painter.drawPixmap(QRectF(x, kTop, kArrowWidth, kArrowHeight), arrow,
                       QRectF(cell * ratio, 0, kArrowWidth * ratio, kArrowHeight * ratio));
}

void TesselToolBarWindow::paintEvent(QPaintEvent*) {
    // Painted off-screen and copied in one block, so a resize never shows half a bar.
    const qreal ratio = devicePixelRatioF();
    QPixmap canvas(size() * ratio);
    canvas.setDevicePixelRatio(ratio);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const int right = width();
        const int bottom = height();
        painter.fillRect(rect(), kBackground);
        // Raised border: light top and left, dark bottom and right, mid just inside those.
        painter.fillRect(QRect(0, 0, 1, bottom - 1), kLightPen);
        painter.fillRect(QRect(0, 0, right - 1, 1), kLightPen);
        painter.fillRect(QRect(1, bottom - 2, right - 3, 1), kMidPen);
        painter.fillRect(QRect(right - 2, 1, 1, bottom - 2), kMidPen);
        painter.fillRect(QRect(right - 1, 0, 1, bottom), kDarkPen);
        painter.fillRect(QRect(0, bottom - 1, right, 1), kDarkPen);
        for (int i = 0; i < buttonCount(); ++i) {
            if (i == visibleCount_) {
                paintArrow(painter);
                break;
            }
            if (!commands_[i].visible) {
                break;
            }
            paintButton(painter, i);
        }
        const int logoTop = (bottom - kLogoHeight) / 2;
        for (const LogoPlace& logo : kLogos) {
            if (isLogoShown(logo.number)) {
                painter.drawPixmap(logoLeft(logo.number), logoTop, LoadBitmap(logo.number, ratio));
            }
        }
    }
    QPainter(this).drawPixmap(0, 0, canvas);
}

void TesselToolBarWindow::setHot(int index) {
    tipDelay_->stop();
    tip_.hide(false);
    const int old = hot_;
    hot_ = index;
    update(itemRect(old));
    update(itemRect(index));
    if (index >= 0 && index < buttonCount() && commands_[index].visible) {
        tipDelay_->start();
    }
}

void TesselToolBarWindow::redrawItem(int index) {
    update(itemRect(index));
}

void TesselToolBarWindow::showTip() {
    if (hot_ >= 0 && hot_ < buttonCount()) {
        tip_.show(this, static_cast<unsigned>(commands_[hot_].command));
    }
}

void TesselToolBarWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int index = hitTest(event->position().toPoint());
    if (index >= 0 && commands_[index].enabled) {
        tipDelay_->stop();
        tip_.hide(false);
        captured_ = true;
        pressed_ = index;
        pressedInside_ = true;
        redrawItem(index);
    }
}

void TesselToolBarWindow::mouseMoveEvent(QMouseEvent* event) {
    const int index = hitTest(event->position().toPoint());
    if (!captured_) {
        if (index != hot_) {
            setHot(index);
        }
        return;
    }
    if (index != hot_) {
        if (index == pressed_) {
            pressedInside_ = true;
            redrawItem(pressed_);
        } else if (pressedInside_) {
            pressedInside_ = false;
            redrawItem(pressed_);
        }
        hot_ = index;
    }
}

void TesselToolBarWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !captured_) {
        return;
    }
    captured_ = false;
    const int index = hitTest(event->position().toPoint());
    const int command = index == pressed_ ? commands_[pressed_].command : 0;
    hot_ = pressed_;
    pressedInside_ = false;
    pressed_ = -1;
    setHot(index);
    if (command != 0) {
        emit commandTriggered(command);
    }
}

void TesselToolBarWindow::leaveEvent(QEvent*) {
    if (!captured_) {
        setHot(-1);
    }
}

} // namespace vantrel
