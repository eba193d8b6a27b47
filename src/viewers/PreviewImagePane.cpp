#include "viewers/PreviewImagePane.h"

#include "skin/Fonts.h"
#include "viewers/core/PreviewClassifier.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace vantrel {

namespace {

QImage DecodeBytes(const char* bytes, qsizetype size, QSize scaledSize) {
    QByteArray array = QByteArray::fromRawData(bytes, size);
    QBuffer buffer(&array);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (scaledSize.isValid() && !scaledSize.isEmpty())
        reader.setScaledSize(scaledSize);
    return reader.read();
}

} // namespace

PreviewImagePane::PreviewImagePane(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken); // the client edge
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}

void PreviewImagePane::SetData(const std::vector<std::uint8_t>* bytes) {
    data_ = bytes;
    pictureSize_ = QSize();
    drawn_ = QImage();
    drawnSize_ = QSize();
}

void PreviewImagePane::SetState(State state) {
    state_ = state;
    update();
}

QImage PreviewImagePane::Decode(const std::vector<std::uint8_t>& bytes, QSize scaledSize) {
    return DecodeBytes(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qsizetype>(bytes.size()), scaledSize);
}

bool PreviewImagePane::Decodes(const std::uint8_t* bytes, std::size_t size) {
    return !DecodeBytes(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size), {})
                .isNull();
}

bool PreviewImagePane::Recognises(const std::uint8_t* bytes, std::size_t size) {
    QByteArray array =
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    QBuffer buffer(&array);
    return buffer.open(QIODevice::ReadOnly) && !QImageReader::imageFormat(&buffer).isEmpty();
}

QString PreviewImagePane::MessageText() const {
    if (state_ == State::loading)
        return QStringLiteral("ファイルを読み込んでいます...");
    return QString::fromStdU16String(CannotPreviewMessage(state_ == State::tooLarge));
}

void PreviewImagePane::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    if (state_ == State::picture && data_ != nullptr)
        PaintPicture(painter);
    else
        PaintMessage(painter);
}

void PreviewImagePane::PaintPicture(QPainter& painter) {
    // The picture's size once, then the picture decoded at the fitted size, again only
    // when that size changes: a large picture takes long to decode.
    if (!pictureSize_.isValid()) {
        QByteArray array = QByteArray::fromRawData(reinterpret_cast<const char*>(data_->data()),
                                                   static_cast<qsizetype>(data_->size()));
        QBuffer buffer(&array);
        if (!buffer.open(QIODevice::ReadOnly))
            return;
        QImageReader reader(&buffer);
        reader.setAutoTransform(true);
        pictureSize_ = reader.size();
        if (!pictureSize_.isValid())
            pictureSize_ = reader.read().size();
    }
    const QRect area = contentsRect();
    const FittedRect fit =
        FitIntoClient(pictureSize_.width(), pictureSize_.height(), area.width(), area.height());
    if (fit.width <= 0 || fit.height <= 0)
        return;
    const QSize fitted(fit.width, fit.height);
    if (drawnSize_ != fitted) {
        drawn_ = Decode(*data_, fitted);
        drawnSize_ = fitted;
    }
    if (drawn_.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(area.left() + fit.left, area.top() + fit.top, fit.width, fit.height),
                      drawn_);
}

void PreviewImagePane::PaintMessage(QPainter& painter) {
    const QString text = MessageText();
    const QRect area = contentsRect();
    const FittedRect fit =
        FitIntoClient(static_cast<int>(text.size()) * 16, 16, area.width(), area.height());
    painter.setFont(GothicFont(16));
    painter.setPen(Qt::black);
    painter.drawText(
        QRect(area.left() + fit.left, area.top() + fit.top, static_cast<int>(text.size()) * 16, 16),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

} // namespace vantrel
