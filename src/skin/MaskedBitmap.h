#pragma once

#include <QPixmap>
#include <QRect>

class QPainter;

namespace vantrel {

// A picture drawn with its key colour (the top-left pixel) left transparent.
class MaskedBitmap {
public:
    MaskedBitmap() = default;
    explicit MaskedBitmap(const QPixmap& picture);

    // Loads picture `number` at the ratio; false when there is no such picture.
    bool load(int number, qreal devicePixelRatio = 1.0);

    bool isNull() const { return image_.isNull(); }
    // Size in device-independent pixels.
    int width() const;
    int height() const;
    const QPixmap& pixmap() const { return image_; }

    void draw(QPainter& painter, int x, int y) const;

    // Repeats `tile` from the rectangle's top-left corner until the rectangle is covered.
    static void drawTiled(QPainter& painter, const QPixmap& tile, const QRect& area);

private:
    QPixmap image_;
};

} // namespace vantrel
