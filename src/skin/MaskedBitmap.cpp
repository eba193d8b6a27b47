#include "skin/MaskedBitmap.h"

#include "skin/Artwork.h"

#include <QImage>
#include <QPainter>

namespace vantrel {
namespace {

// Pixels of the top-left pixel's colour become transparent.
QPixmap KeyOut(const QPixmap& picture) {
    if (picture.isNull()) {
        return picture;
    }
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb key = image.pixel(0, 0);
    if (qAlpha(key) != 0) {
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (row[x] == key) {
                    row[x] = 0;
                }
            }
        }
    }
    QPixmap keyed = QPixmap::fromImage(image);
    keyed.setDevicePixelRatio(picture.devicePixelRatio());
    return keyed;
}

} // namespace

MaskedBitmap::MaskedBitmap(const QPixmap& picture) : image_(KeyOut(picture)) {}

bool MaskedBitmap::load(int number, qreal devicePixelRatio) {
    image_ = KeyOut(LoadBitmap(number, devicePixelRatio));
    return !image_.isNull();
}

int MaskedBitmap::width() const {
    return qRound(image_.width() / image_.devicePixelRatio());
}

int MaskedBitmap::height() const {
    return qRound(image_.height() / image_.devicePixelRatio());
}

void MaskedBitmap::draw(QPainter& painter, int x, int y) const {
    if (!image_.isNull()) {
        painter.drawPixmap(x, y, image_);
    }
}

void MaskedBitmap::drawTiled(QPainter& painter, const QPixmap& tile, const QRect& area) {
    if (tile.isNull() || area.isEmpty()) {
        return;
    }
    // drawTiledPixmap starts the pattern at the rectangle's corner, which is the rule here.
    painter.drawTiledPixmap(area, tile);
}

} // namespace vantrel
