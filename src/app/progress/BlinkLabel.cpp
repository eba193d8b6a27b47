#include "app/progress/BlinkLabel.h"

#include "skin/Fonts.h"
#include "skin/ProgramLook.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

namespace vantrel {

BlinkLabel::BlinkLabel(QWidget* parent) : QWidget(parent) {
    setFont(InterfaceFont());
    timer_.setInterval(kBlinkMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &BlinkLabel::flip);
}

void BlinkLabel::setText(const QString& text) {
    {
        QMutexLocker locker(&lock_);
        text_ = text;
    }
    update();
}

QString BlinkLabel::text() const {
    QMutexLocker locker(&lock_);
    return text_;
}

void BlinkLabel::setShown(bool shown) {
    {
        QMutexLocker locker(&lock_);
        shown_ = shown;
    }
    update();
}

void BlinkLabel::setBlinking(bool blinking) {
    {
        QMutexLocker locker(&lock_);
        blinking_ = blinking;
        phaseVisible_ = true;
    }
    if (blinking)
        timer_.start();
    else
        timer_.stop();
    update();
}

bool BlinkLabel::blinking() const {
    QMutexLocker locker(&lock_);
    return blinking_;
}

bool BlinkLabel::textVisible() const {
    QMutexLocker locker(&lock_);
    return shown_ && (!blinking_ || phaseVisible_);
}

void BlinkLabel::setColors(const QColor& fill, const QColor& border) {
    fill_ = fill;
    border_ = border;
    update();
}

void BlinkLabel::flip() {
    {
        QMutexLocker locker(&lock_);
        phaseVisible_ = !phaseVisible_;
    }
    update();
}

void BlinkLabel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), 4, 4);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

void BlinkLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(border_, 1));
    painter.setBrush(fill_);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    if (!textVisible())
        return;
    const int margin = (height() - fontMetrics().height()) / 2;
    painter.setPen(look::kText);
    painter.drawText(rect().adjusted(std::max(margin, 4), 0, -4, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace vantrel
