#pragma once

#include "skin/BalloonTip.h"
#include "skin/MaskedBitmap.h"

#include <QList>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace vantrel {

// The main window's toolbar: a row of 32 x 32 icon buttons in 36 x 36 cells on the light
// toolbar background with a raised border, an overflow arrow for the buttons that do not
// fit, and logos in the free space at the right.
class TesselToolBarWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellWidth = 36;
    static constexpr int kCellHeight = 36;
    static constexpr int kCellStep = kCellWidth + 3;
    static constexpr int kLeft = 10;
    static constexpr int kArrowWidth = 18;
    static constexpr int kTipDelayMs = 300;

    explicit TesselToolBarWindow(QWidget* parent = nullptr);

    // Appends buttons: command ids with their icon strip picture numbers (same length).
    // New buttons are visible and disabled.
    void addButtons(const QList<int>& commands, const QList<int>& iconPictures);
    // The eleven buttons of the main window in display order.
    void addMainWindowButtons();

    // Changes the enabled state of the button of `commandId`; unknown commands are ignored.
    void setCommandEnabled(int commandId, bool enabled);
    bool isCommandEnabled(int commandId) const;

    // Button index under a point of the client area, -1 for none. The overflow slot answers
    // as the first hidden button.
    int hitTest(QPoint point) const;
    // Left edge of the cell of button `index`.
    static int cellLeft(int index) { return kLeft + index * kCellStep; }

    int buttonCount() const { return static_cast<int>(commands_.size()); }
    int visibleCount() const { return visibleCount_; }
    int commandAt(int index) const;
    int hotIndex() const { return hot_; }
    int pressedIndex() const { return pressed_; }
    // Whether logo `number` (134, 135 or 136) is drawn at the current width.
    bool isLogoShown(int number) const;
    BalloonTip& tip() { return tip_; }

    QSize sizeHint() const override;

signals:
    void commandTriggered(int commandId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Button {
        int command = 0;
        int iconPicture = 0;
        bool enabled = false;
        bool visible = true;
    };

    void relayout();
    void setHot(int index);
    void redrawItem(int index);
    QRect itemRect(int index) const;
    int logoLeft(int number) const;
    void paintButton(QPainter& painter, int index) const;
    void paintArrow(QPainter& painter) const;
    void showTip();

    QList<Button> commands_;
    int visibleCount_ = 0;
    int lastVisibleX_ = 0;
    int buttonsRight_ = kLeft;
    int hot_ = -1;
    int pressed_ = -1;
    bool captured_ = false;
    bool pressedInside_ = false;
    QTimer* tipDelay_; // child named tipDelay
    BalloonTip tip_;
};

} // namespace vantrel
