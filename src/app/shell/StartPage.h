#pragma once

// Screen 1: the start picture with the two large buttons, easy file search and manual
// search, and the picture beside them. In detail mode the picture changes while the
// pointer is over a button.

#include <QWidget>

namespace vantrel {

class TesselBitmapFormWindow;

class StartPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 1012;
    static constexpr int kHeight = 610;

    StartPage(bool detailMode, QWidget* parent = nullptr);

    TesselBitmapFormWindow* easySearchButton() const { return easy_; }
    TesselBitmapFormWindow* manualSearchButton() const { return manual_; }
    // The picture drawn at (560, 32): 158, or 159 while hovering in detail mode.
    int sidePicture() const { return hovering_ && detailMode_ ? 159 : 158; }

signals:
    // A button was clicked: the frame runs the command of that id.
    void commandRequested(int commandId);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setHovering(bool on);

    bool detailMode_;
    bool hovering_ = false;
    TesselBitmapFormWindow* easy_;
    TesselBitmapFormWindow* manual_;
};

} // namespace vantrel
