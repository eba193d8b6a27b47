#include "app/progress/ProgressBar.h"

#include "skin/ProgramLook.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <algorithm>

namespace vantrel {

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(12);
}

void ProgressBar::setRange(std::uint64_t minimum, std::uint64_t maximum) {
    {
        QMutexLocker locker(&lock_);
        minimum_ = minimum;
        maximum_ = std::max(minimum, maximum);
        position_ = minimum_;
    }
    update();
}

void ProgressBar::setPosition(std::uint64_t position) {
    {
        QMutexLocker locker(&lock_);
        position_ = std::clamp(position, minimum_, maximum_);
    }
    update();
}

std::uint64_t ProgressBar::position() const {
    QMutexLocker locker(&lock_);
    return position_;
}

std::uint64_t ProgressBar::minimum() const {
    QMutexLocker locker(&lock_);
    return minimum_;
}

std::uint64_t ProgressBar::maximum() const {
    QMutexLocker locker(&lock_);
    return maximum_;
}

int ProgressBar::FillWidth(std::uint64_t minimum, std::uint64_t maximum, std::uint64_t position,
                           int innerWidth) {
    if (maximum <= minimum || innerWidth <= 0 || position <= minimum)
        return 0;
    std::uint64_t span = maximum - minimum;
    std::uint64_t offset = std::min(position, maximum) - minimum;
    // The width is below 2^31, so a span below 2^32 keeps the product within 64 bits.
    while (span >= (std::uint64_t{1} << 32)) {
        span >>= 1;
        offset >>= 1;
    }
    return static_cast<int>(offset * static_cast<std::uint64_t>(innerWidth) / span);
}

void ProgressBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), 5, 5);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

void ProgressBar::paintEvent(QPaintEvent*) {
    std::uint64_t minimum = 0;
    std::uint64_t maximum = 0;
    std::uint64_t position = 0;
    {
        QMutexLocker locker(&lock_);
        minimum = minimum_;
        maximum = maximum_;
        position = position_;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(QColor(104, 104, 104), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(box, 6, 6);
    painter.setPen(QPen(QColor(190, 190, 190), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 5, 5);
    const QRect inner = rect().adjusted(3, 3, -3, -3);
    const int fill = FillWidth(minimum, maximum, position, inner.width());
    if (fill > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(look::kOrange);
        painter.drawRoundedRect(QRectF(inner.left(), inner.top(), fill, inner.height()), 3, 3);
    }
}

} // namespace vantrel
