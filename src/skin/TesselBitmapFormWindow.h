#pragma once

#include "skin/BalloonTip.h"

#include <QRegion>
#include <QTimer>
#include <QWidget>

namespace vantrel {

// A push button drawn from pictures and cut to the outline of its pressed picture. Its
// window mask is that outline, so clicks on the transparent corners reach whatever lies
// below. Pictures are resource numbers (see Artwork.h); the control id is also the string
// resource of its balloon tip and the command it stands for.
class TesselBitmapFormWindow : public QWidget {
    Q_OBJECT
public:
    enum State { Normal = 0, Hot = 1, Pressed = 2 };
    static constexpr int kTipDelayMs = 300;

    // The disabled picture is the normal one unless `disabledPicture` is given.
    TesselBitmapFormWindow(int controlId, int normalPicture, int hotPicture, int pressedPicture,
                           QWidget* parent = nullptr, int disabledPicture = 0);

    int controlId() const { return controlId_; }
    State state() const { return state_; }
    const QRegion& shape() const { return shape_; }
    BalloonTip& tip() { return tip_; }

signals:
    // A press and release inside the outline.
    void clicked(int controlId);
    // The pointer came over the button (true) or left it (false).
    void hoverChanged(bool entered);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setState(State state);
    void showTip();

    int controlId_;
    int pictures_[4];
    State state_ = Normal;
    bool captured_ = false;
    bool tracking_ = false;
    QRegion shape_;
    QTimer* tipDelay_; // child named tipDelay
    BalloonTip tip_;
};

} // namespace vantrel
