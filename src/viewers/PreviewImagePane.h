#pragma once

// The preview's picture pane: the picture decoded from the loaded bytes on every paint and
// drawn fitted and centred, or the centred message that the file cannot be previewed.

#include <QFrame>
#include <QImage>
#include <vector>

namespace vantrel {

class PreviewImagePane : public QFrame {
    Q_OBJECT
public:
    // loading: the frame's thread is still reading the file.
    enum class State { noPicture = 0, picture = 1, tooLarge = 8, loading = 9 };

    explicit PreviewImagePane(QWidget* parent = nullptr);

    // The frame's data (not owned); the pane shows it when the state is picture.
    void SetData(const std::vector<std::uint8_t>* bytes);
    void SetState(State state);
    State GetState() const { return state_; }

    // Decodes bytes as the pane would draw them, at their own size or scaled down to
    // scaledSize; a null image when no decoder takes them.
    static QImage Decode(const std::vector<std::uint8_t>& bytes, QSize scaledSize = {});
    static bool Decodes(const std::uint8_t* bytes, std::size_t size);
    // Whether a decoder takes the format of a file beginning with these bytes.
    static bool Recognises(const std::uint8_t* bytes, std::size_t size);

    QString MessageText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintPicture(class QPainter& painter);
    void PaintMessage(class QPainter& painter);

    const std::vector<std::uint8_t>* data_ = nullptr;
    State state_ = State::noPicture;
    // The picture's own size, and the picture as last drawn with the size it was decoded
    // at, so that a repaint at the same size decodes nothing.
    QSize pictureSize_;
    QImage drawn_;
    QSize drawnSize_;
};

} // namespace vantrel
