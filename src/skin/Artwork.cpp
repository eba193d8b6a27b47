#include "skin/Artwork.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <map>

namespace vantrel {
namespace {

constexpr int kStripCell = 32;

// Logical sizes: each SVG source states its own, except the icon, which is drawn at two
// sizes, and the toolbar strips, which put three cells side by side.
const std::map<int, QSize>& Sizes() {
    static const std::map<int, QSize> sizes = [] {
        std::map<int, QSize> table{{128, {32, 32}}, {129, {16, 16}}};
        const QStringList sources =
            QDir(QStringLiteral(":/art")).entryList({QStringLiteral("*.svg")}, QDir::Files);
        for (const QString& source : sources) {
            bool numeric = false;
            const int number = source.chopped(4).toInt(&numeric);
            if (!numeric) {
                continue;
            }
            if (number >= 137 && number <= 147) {
                table[number] = QSize(3 * kStripCell, kStripCell);
            } else {
                table[number] = QSvgRenderer(QStringLiteral(":/art/") + source).defaultSize();
            }
        }
        return table;
    }();
    return sizes;
}

QString SourceOf(int number) {
    if (number == 128) {
        return QStringLiteral(":/art/icon.svg");
    }
    if (number == 129) {
        return QStringLiteral(":/art/icon-small.svg");
    }
    return QStringLiteral(":/art/%1.svg").arg(number);
}

QImage Render(const QString& source, QSize logical, qreal ratio) {
    QSvgRenderer renderer(source);
    const QSize device(qCeil(logical.width() * ratio), qCeil(logical.height() * ratio));
    QImage image(device, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(device)));
    }
    return image;
}

// Toolbar strips: the icon, its mask (black where the icon is, white around it) and a
// greyed copy for the disabled state, side by side.
QImage MakeStrip(const QImage& icon, qreal ratio) {
    const int cell = icon.width();
    QImage strip(cell * 3, icon.height(), QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    const QColor background(224, 232, 240);
    for (int y = 0; y < icon.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(icon.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < cell; ++x) {
            const QColor pixel = QColor::fromRgba(qUnpremultiply(in[x]));
            out[x] = in[x];
            out[cell + x] = pixel.alpha() > 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            // Disabled: the icon's lightness, washed halfway into the toolbar colour.
            const int grey = qGray(pixel.rgb());
            const QColor washed((grey + background.red() * 2) / 3,
                                (grey + background.green() * 2) / 3,
                                (grey + background.blue() * 2) / 3, pixel.alpha() * 3 / 4);
            out[2 * cell + x] = qPremultiply(washed.rgba());
        }
    }
    strip.setDevicePixelRatio(ratio);
    return strip;
}

// Emptied when the application object goes, before the window system that backs the
// pixmaps does.
QIcon& IconCache() {
    static QIcon icon;
    return icon;
}

QHash<quint64, QPixmap>& PixmapCache() {
    static QHash<quint64, QPixmap> cache;
    static const bool registered = [] {
        qAddPostRoutine([] {
            PixmapCache().clear();
            IconCache() = QIcon();
        });
        return true;
    }();
    Q_UNUSED(registered);
    return cache;
}

} // namespace

QSize BitmapSize(int number) {
    const auto found = Sizes().find(number);
    return found == Sizes().end() ? QSize() : found->second;
}

QList<int> BitmapNumbers() {
    QList<int> numbers;
    for (const auto& [number, size] : Sizes()) {
        numbers.append(number);
    }
    return numbers;
}

QPixmap LoadBitmap(int number, qreal devicePixelRatio) {
    const QSize size = BitmapSize(number);
    if (size.isEmpty()) {
        return {};
    }
    const qreal ratio = std::clamp(devicePixelRatio, 1.0, 8.0);
    static QHash<quint64, QPixmap>& cache = PixmapCache();
    const quint64 key = (quint64(unsigned(number)) << 32) | quint64(qRound(ratio * 100));
    const auto cached = cache.constFind(key);
    if (cached != cache.constEnd()) {
        return *cached;
    }
    QImage image;
    if (number >= 137 && number <= 147) {
        image = MakeStrip(Render(SourceOf(number), QSize(kStripCell, kStripCell), ratio), ratio);
    } else {
        image = Render(SourceOf(number), size, ratio);
    }
    image.setDevicePixelRatio(ratio);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    cache.insert(key, pixmap);
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon& icon = IconCache();
    PixmapCache(); // registers the clean-up
    if (!icon.isNull()) {
        return icon;
    }
    icon.addPixmap(LoadBitmap(129, 1.0));
    icon.addPixmap(LoadBitmap(129, 2.0));
    for (const int edge : {24, 32, 48, 64, 128, 256}) {
        const QImage image = Render(QStringLiteral(":/art/icon.svg"), QSize(edge, edge), 1.0);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace vantrel
