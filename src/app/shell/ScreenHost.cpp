#include "app/shell/ScreenHost.h"

#include "app/shell/UiRequestEvent.h"
#include "skin/TesselToolBarWindow.h"

#include <QLabel>
#include <QResizeEvent>

namespace vantrel {

ScreenHost::ScreenHost(QWidget* parent) : QWidget(parent), toolbar_(new TesselToolBarWindow(this)) {
    setObjectName(QStringLiteral("ScreenHost"));
    toolbar_->addMainWindowButtons();
    for (int number = 1; number <= kScreenCount; ++number) {
        // Placeholders until the real screens are put in.
        auto* placeholder = new QLabel(this);
        placeholder->setAutoFillBackground(true);
        screens_[static_cast<std::size_t>(number - 1)] = placeholder;
        placeholder->hide();
    }
    showScreen(1);
}

void ScreenHost::setScreen(int number, QWidget* screen) {
    if (number < 1 || number > kScreenCount || !screen)
        return;
    const int shown = currentScreen();
    {
        std::lock_guard lock(lock_);
        QWidget*& slot = screens_[static_cast<std::size_t>(number - 1)];
        if (slot == screen)
            return;
        delete slot;
        slot = screen;
        screen->setParent(this);
        screen->setVisible(number == shown);
    }
    placeChildren();
}

QWidget* ScreenHost::screen(int number) const {
    if (number < 1 || number > kScreenCount)
        return nullptr;
    std::lock_guard lock(lock_);
    return screens_[static_cast<std::size_t>(number - 1)];
}

void ScreenHost::showScreen(int number) {
    if (number < 1 || number > kScreenCount)
        return;
    {
        std::lock_guard lock(lock_);
        for (QWidget* screen : screens_)
            screen->hide();
        screens_[static_cast<std::size_t>(number - 1)]->show();
    }
    emit screenChanged(number);
}

int ScreenHost::currentScreen() const {
    std::lock_guard lock(lock_);
    for (int number : {1, 2, 4, 3, 5})
        if (!screens_[static_cast<std::size_t>(number - 1)]->isHidden())
            return number;
    return 0;
}

bool ScreenHost::event(QEvent* event) {
    if (auto* request = UiRequestEvent::Cast(event, msg::kShowScreen)) {
        showScreen(static_cast<int>(request->value()));
        request->complete();
        return true;
    }
    return QWidget::event(event);
}

void ScreenHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeChildren();
}

void ScreenHost::placeChildren() {
    const int w = width();
    const int h = height();
    toolbar_->setGeometry(0, 0, w, kToolbarHeight);
    const QRect rest(0, kToolbarHeight, w, h > kToolbarHeight ? h - kToolbarHeight : 0);
    std::lock_guard lock(lock_);
    for (QWidget* screen : screens_)
        screen->setGeometry(rest);
}

} // namespace vantrel
