#include "skin/TesselBitmapFormWindow.h"

#include "skin/Artwork.h"
#include "skin/ShapeRegion.h"
#include "skin/Strings.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vantrel {

TesselBitmapFormWindow::TesselBitmapFormWindow(int controlId, int normalPicture, int hotPicture,
                                               int pressedPicture, QWidget* parent,
                                               int disabledPicture)
    : QWidget(parent),
      controlId_(controlId), pictures_{normalPicture, hotPicture, pressedPicture,
                                       disabledPicture != 0 ? disabledPicture : normalPicture},
      tipDelay_(new QTimer(this)) {
    setObjectName(QStringLiteral("TesselBitmapFormWindow"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    // The outline is cut at logical resolution; the pictures paint at the screen's ratio.
    shape_ = ShapeRegionFromImage(LoadBitmap(pressedPicture, 1.0).toImage());
    setFixedSize(BitmapSize(pressedPicture));
    setMask(shape_);
    setAccessibleName(ResourceString(static_cast<unsigned>(controlId)));
    tipDelay_->setObjectName(QStringLiteral("tipDelay"));
    tipDelay_->setSingleShot(true);
    tipDelay_->setInterval(kTipDelayMs);
    connect(tipDelay_, &QTimer::timeout, this, &TesselBitmapFormWindow::showTip);
}

void TesselBitmapFormWindow::setState(State state) {
    if (state_ != state) {
        state_ = state;
        update();
    }
}

void TesselBitmapFormWindow::showTip() {
    tip_.show(this, static_cast<unsigned>(controlId_));
}

void TesselBitmapFormWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int picture = isEnabled() ? pictures_[state_] : pictures_[3];
    painter.drawPixmap(0, 0, LoadBitmap(picture, devicePixelRatioF()));
}

void TesselBitmapFormWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !shape_.contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    tipDelay_->stop();
    tip_.hide(false);
    state_ = Pressed;
    update();
    captured_ = true;
}

void TesselBitmapFormWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!captured_) {
        return;
    }
    if (shape_.contains(event->position().toPoint())) {
        setState(Pressed);
    } else if (state_ == Pressed) {
        setState(Normal);
    }
}

void TesselBitmapFormWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    setState(Hot);
    if (captured_) {
        captured_ = false;
        if (shape_.contains(event->position().toPoint())) {
            emit clicked(controlId_);
        }
    }
}

void TesselBitmapFormWindow::enterEvent(QEnterEvent*) {
    if (tracking_) {
        return;
    }
    tracking_ = true;
    setState(Hot);
    emit hoverChanged(true);
    tipDelay_->start();
}

void TesselBitmapFormWindow::leaveEvent(QEvent*) {
    if (!tracking_) {
        return;
    }
    tipDelay_->stop();
    tip_.hide(false);
    tracking_ = false;
    setState(Normal);
    emit hoverChanged(false);
}

void TesselBitmapFormWindow::keyPressEvent(QKeyEvent* event) {
    // The buttons take the focus by tab, so the keyboard can press them too.
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        emit clicked(controlId_);
        return;
    }
    QWidget::keyPressEvent(event);
}

void TesselBitmapFormWindow::focusInEvent(QFocusEvent*) {
    setState(Hot);
}

void TesselBitmapFormWindow::focusOutEvent(QFocusEvent*) {
    setState(Normal);
}

void TesselBitmapFormWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace vantrel
