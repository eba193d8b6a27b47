#include "app/shell/StartPage.h"

#include "app/shell/Commands.h"
#include "skin/Artwork.h"
#include "skin/TesselBitmapFormWindow.h"

#include <QPainter>

namespace vantrel {

StartPage::StartPage(bool detailMode, QWidget* parent)
    : QWidget(parent), detailMode_(detailMode),
      easy_(new TesselBitmapFormWindow(cmd::kEasySearch, 154, 153, 150, this)),
      manual_(new TesselBitmapFormWindow(cmd::kManualSearch, 151, 155, 152, this)) {
    setObjectName(QStringLiteral("StartPage"));
    easy_->move(32, 64);
    manual_->move(32, 192);
    for (TesselBitmapFormWindow* button : {easy_, manual_}) {
        connect(button, &TesselBitmapFormWindow::clicked, this, &StartPage::commandRequested);
        connect(button, &TesselBitmapFormWindow::hoverChanged, this, &StartPage::setHovering);
    }
}

void StartPage::setHovering(bool on) {
    if (hovering_ == on)
        return;
    hovering_ = on;
    if (detailMode_)
        update(QRect(560, 32, kWidth - 560, kHeight - 32));
}

void StartPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    const QPixmap canvas = LoadBitmap(149, ratio);
    if (canvas.isNull()) {
        painter.fillRect(rect(), palette().window());
    } else {
        // A window larger than the canvas continues its last column and row.
        const int w = kWidth, h = kHeight;
        const int px = static_cast<int>(w * ratio), py = static_cast<int>(h * ratio);
        if (width() > w)
            painter.drawPixmap(QRect(w, 0, width() - w, h), canvas, QRect(px - 1, 0, 1, py));
        if (height() > h)
            painter.drawPixmap(QRect(0, h, w, height() - h), canvas, QRect(0, py - 1, px, 1));
        if (width() > w && height() > h)
            painter.drawPixmap(QRect(w, h, width() - w, height() - h), canvas,
                               QRect(px - 1, py - 1, 1, 1));
        painter.drawPixmap(0, 0, canvas);
    }
    painter.drawPixmap(560, 32, LoadBitmap(sidePicture(), ratio));
}

} // namespace vantrel
