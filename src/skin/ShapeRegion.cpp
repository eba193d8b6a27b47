#include "skin/ShapeRegion.h"

#include <vector>

namespace vantrel {

QRegion ShapeRegionFromImage(const QImage& source) {
    if (source.isNull()) {
        return {};
    }
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    const QRgb key = image.pixel(0, height - 1);
    // Rows top to bottom and runs left to right keep the rectangles y-x sorted, as setRects
    // needs.
    std::vector<QRect> runs;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < width) {
            while (x < width && row[x] == key) {
                ++x;
            }
            const int start = x;
            while (x < width && row[x] != key) {
                ++x;
            }
            if (x > start) {
                runs.emplace_back(start, y, x - start, 1);
            }
        }
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

} // namespace vantrel
