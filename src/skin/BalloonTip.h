#pragma once

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace vantrel {

class BalloonShadow;

// The small pale-yellow rounded tip that buttons and toolbar items show 300 ms after the
// pointer rests on them. It fades in and out where the window system supports window opacity
// (with a soft shadow), hides itself after ten seconds and whenever the application is
// deactivated. One object per owner; the window exists only while the tip is shown.
class BalloonTip : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 10000;
    static constexpr int kFadeStepMs = 20;
    static constexpr int kFadeStep = 25;

    explicit BalloonTip(QObject* parent = nullptr);
    ~BalloonTip() override;

    // Shows the tip of string resource `tipId` near the pointer. Does nothing while a tip is
    // already shown or when the string does not exist.
    void show(QWidget* owner, unsigned tipId);
    // Same with the resource string itself and the pointer position in global coordinates.
    void showString(QWidget* owner, const QString& resourceString, QPoint pointerGlobal);
    // With `fade` and fading available the tip fades out; otherwise it goes at once.
    void hide(bool fade);

    bool isShown() const { return !window_.isNull(); }
    // The tip window while shown (for screenshots), else null.
    QWidget* tipWindow() const { return window_.data(); }
    QString text() const { return text_; }
    QRect geometry() const { return rect_; }
    int alpha() const { return alpha_; }
    bool canFade() const { return canFade_; }
    // Tests and platforms without opacity switch fading off (or on) here.
    void setFadingEnabled(bool enabled) { canFade_ = enabled; }

    // What a tip shows of a resource string: the text after its first line break, or the
    // whole string when it has none.
    static QString tipText(const QString& resourceString);
    // Where a tip of `size` goes for a pointer at `pointer`: 20 pixels below it, then moved
    // left and up (above the pointer when it does not fit below) to stay inside `available`.
    static QRect placement(QPoint pointer, QSize size, const QRect& available);
    // The shadow's opacity for the tip's: never above 70 of 255.
    static int shadowAlpha(int alpha) { return ((alpha * 100 / 255) * 70) / 100; }

    static QFont tipFont();

private:
    void onTimeout();
    void onFadeIn();
    void onFadeOut();
    void applyAlpha();
    void destroyWindows();

    QPointer<QWidget> window_;
    QPointer<QWidget> shadow_;
    QString text_;
    QRect rect_;
    int alpha_ = 0;
    bool canFade_ = false;
    // Children named balloonTimeout, balloonFadeIn and balloonFadeOut.
    QTimer* timeout_;
    QTimer* fadeIn_;
    QTimer* fadeOut_;
};

} // namespace vantrel
