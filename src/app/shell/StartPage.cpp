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
    // Outside the 1012 x 610 canvas (a larger window) the picture's edge colour goes on.
    const QPixmap canvas = LoadBitmap(149, ratio);
    if (!edge_.isValid())
        edge_ = canvas.isNull()
                    ? palette().window().color()
                    : canvas.toImage().pixelColor(canvas.width() - 1, canvas.height() - 1);
    painter.fillRect(rect(), edge_);
    painter.drawPixmap(0, 0, canvas);
    painter.drawPixmap(560, 32, LoadBitmap(sidePicture(), ratio));
}

} // namespace vantrel
