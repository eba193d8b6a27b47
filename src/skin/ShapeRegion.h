#pragma once

#include <QImage>
#include <QRegion>

namespace vantrel {

// The outline of a shaped button: the key colour is the bottom-left pixel, and every maximal
// run of other pixels in a row becomes a one-row rectangle. Pixels of the key colour are
// outside.
QRegion ShapeRegionFromImage(const QImage& image);

} // namespace vantrel
