#pragma once

// A label in a rounded box whose text can be hidden or blink (every 500 ms) while a phase
// is under way.

#include <QColor>
#include <QMutex>
#include <QTimer>
#include <QWidget>

namespace vantrel {

class BlinkLabel : public QWidget {
    Q_OBJECT
public:
    // The original window timer's identifier, kept as the blink period's name.
    static constexpr int kBlinkTimerId = 20070807;
    static constexpr int kBlinkMilliseconds = 500;

    explicit BlinkLabel(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;
    // Off hides the text and leaves the box.
    void setShown(bool shown);
    // Either way the phase becomes visible; on starts the 500 ms timer, off stops it.
    void setBlinking(bool blinking);
    bool blinking() const;
    // Whether the text is drawn now.
    bool textVisible() const;
    void setColors(const QColor& fill, const QColor& border);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void flip();

    mutable QMutex lock_;
    QString text_;
    bool shown_ = true;
    bool blinking_ = false;
    bool phaseVisible_ = true;
    QColor fill_{255, 255, 255};
    QColor border_{185, 203, 221};
    QTimer timer_;
};

} // namespace vantrel
