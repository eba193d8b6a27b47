#pragma once

// The frame's only client child: the toolbar across the top (48 pixels) and the five
// screens below it, exactly one shown. Switching and asking which one is shown take the
// same lock, so the command rules never see two screens at once.

#include <QWidget>
#include <array>
#include <mutex>

namespace vantrel {

class TesselToolBarWindow;

class ScreenHost : public QWidget {
    Q_OBJECT

public:
    static constexpr int kToolbarHeight = 48;
    static constexpr int kScreenCount = 5;

    explicit ScreenHost(QWidget* parent = nullptr);

    TesselToolBarWindow* toolbar() const { return toolbar_; }
    // Puts a screen in place of what held number 1..5 (the previous widget is deleted).
    void setScreen(int number, QWidget* screen);
    QWidget* screen(int number) const;

    // Hides every screen and shows `number`; unknown numbers are ignored.
    void showScreen(int number);
    // The shown screen, tested in the order 1, 2, 4, 3, 5; 0 when none is shown.
    int currentScreen() const;

signals:
    void screenChanged(int number);

protected:
    bool event(QEvent* event) override; // 0x479 show screen
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeChildren();

    TesselToolBarWindow* toolbar_;
    std::array<QWidget*, kScreenCount> screens_{};
    mutable std::mutex lock_;
};

} // namespace vantrel
