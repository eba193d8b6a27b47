#pragma once

// What the progress screens share: the background tile (picture 148) over the whole
// screen and the program's pictures at their places.

#include <QPainter>
#include <QPoint>
#include <QSize>
#include <QWidget>

namespace vantrel {

// Logical size of a picture (an empty size when the program has none).
QSize PictureSize(int number);
void PaintScreenBackground(QPainter& painter, const QWidget& screen);
void PaintPicture(QPainter& painter, const QWidget& screen, int number, QPoint at);

} // namespace vantrel
