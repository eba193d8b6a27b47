#include "app/progress/ScreenPictures.h"

#include "skin/Artwork.h"
#include "skin/ProgramLook.h"

namespace vantrel {

QSize PictureSize(int number) {
    return BitmapSize(number);
}

void PaintScreenBackground(QPainter& painter, const QWidget& screen) {
    const QPixmap tile = LoadBitmap(148, screen.devicePixelRatioF());
    if (tile.isNull())
        painter.fillRect(screen.rect(), look::kScreen);
    else
        painter.drawTiledPixmap(screen.rect(), tile);
}

void PaintPicture(QPainter& painter, const QWidget& screen, int number, QPoint at) {
    const QPixmap picture = LoadBitmap(number, screen.devicePixelRatioF());
    if (!picture.isNull())
        painter.drawPixmap(at, picture);
}

} // namespace vantrel
