#include "skin/BalloonTip.h"

#include "skin/Fonts.h"
#include "skin/Strings.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

namespace vantrel {
namespace {

constexpr int kMargin = 7;
constexpr int kPointerGap = 20;
constexpr int kShadowOffset = 5;

QRegion RoundedRegion(QSize size, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width() + 1, size.height() + 1), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

// Offscreen and framebuffer platforms have no per-window opacity.
bool PlatformHasWindowOpacity() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
           platform == QLatin1String("cocoa") || platform.startsWith(QLatin1String("wayland"));
}

class TipWindow : public QWidget {
public:
    TipWindow(QWidget* owner, QStringList lines, int lineHeight)
        : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
          lines_(std::move(lines)), lineHeight_(lineHeight) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(rect(), QColor(255, 255, 230));
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QColor(255, 255, 230));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
        painter.setFont(BalloonTip::tipFont());
        const QFontMetrics metrics(painter.font());
        for (int line = 0; line < lines_.size(); ++line) {
            painter.drawText(kMargin, kMargin + line * lineHeight_ + metrics.ascent(),
                             lines_[line]);
        }
    }

private:
    QStringList lines_;
    int lineHeight_;
};

class ShadowWindow : public QWidget {
public:
    explicit ShadowWindow(QWidget* owner)
        : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                             Qt::WindowTransparentForInput) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::black); }
};

} // namespace

BalloonTip::BalloonTip(QObject* parent)
    : QObject(parent), timeout_(new QTimer(this)), fadeIn_(new QTimer(this)),
      fadeOut_(new QTimer(this)) {
    canFade_ = PlatformHasWindowOpacity() && QApplication::isEffectEnabled(Qt::UI_AnimateTooltip) &&
               QApplication::isEffectEnabled(Qt::UI_FadeTooltip);
    timeout_->setObjectName(QStringLiteral("balloonTimeout"));
    timeout_->setSingleShot(true);
    timeout_->setInterval(kTimeoutMs);
    fadeIn_->setObjectName(QStringLiteral("balloonFadeIn"));
    fadeIn_->setInterval(kFadeStepMs);
    fadeOut_->setObjectName(QStringLiteral("balloonFadeOut"));
    fadeOut_->setInterval(kFadeStepMs);
    connect(timeout_, &QTimer::timeout, this, &BalloonTip::onTimeout);
    connect(fadeIn_, &QTimer::timeout, this, &BalloonTip::onFadeIn);
    connect(fadeOut_, &QTimer::timeout, this, &BalloonTip::onFadeOut);
    if (qApp != nullptr) {
        connect(qApp, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState) { hide(false); });
    }
}

BalloonTip::~BalloonTip() {
    destroyWindows();
}

QFont BalloonTip::tipFont() {
    return GothicFont(12);
}

QString BalloonTip::tipText(const QString& resourceString) {
    const qsizetype lineBreak = resourceString.indexOf(QLatin1Char('\n'));
    return lineBreak < 0 ? resourceString : resourceString.mid(lineBreak + 1);
}

QRect BalloonTip::placement(QPoint pointer, QSize size, const QRect& available) {
    QRect rect(QPoint(pointer.x(), pointer.y() + kPointerGap), size);
    if (rect.right() > available.right()) {
        rect.moveRight(available.right());
    }
    if (rect.bottom() > available.bottom()) {
        // Below the pointer there is no room: open above it rather than under the cursor.
        rect.moveBottom(std::min(available.bottom(), pointer.y() - 2));
    }
    if (rect.left() < available.left()) {
        rect.moveLeft(available.left());
    }
    if (rect.top() < available.top()) {
        rect.moveTop(available.top());
    }
    return rect;
}

void BalloonTip::show(QWidget* owner, unsigned tipId) {
    const QString resource = ResourceString(tipId);
    if (resource.isEmpty()) {
        return;
    }
    showString(owner, resource, QCursor::pos());
}

void BalloonTip::showString(QWidget* owner, const QString& resourceString, QPoint pointerGlobal) {
    if (isShown() || owner == nullptr || resourceString.isEmpty()) {
        return;
    }
    text_ = tipText(resourceString);
    const QStringList lines = text_.split(QLatin1Char('\n'));
    const QFontMetrics metrics(tipFont());
    int widest = 0;
    for (const QString& line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    const int lineHeight = metrics.height();
    const QSize size(widest + 2 * kMargin,
                     lineHeight * static_cast<int>(lines.size()) + 2 * kMargin);
    QScreen* screen = QGuiApplication::screenAt(pointerGlobal);
    if (screen == nullptr) {
        screen = owner->screen();
    }
    const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
    rect_ = available.isValid() ? placement(pointerGlobal, size, available)
                                : QRect(pointerGlobal + QPoint(0, kPointerGap), size);

    const QRegion shape = RoundedRegion(size, 2.0);
    auto* window = new TipWindow(owner, lines, lineHeight);
    window->setGeometry(rect_);
    window->setMask(shape);
    window_ = window;
    if (canFade_) {
        alpha_ = 0;
        auto* shadow = new ShadowWindow(owner);
        shadow->setGeometry(rect_.translated(kShadowOffset, kShadowOffset));
        shadow->setMask(shape);
        shadow_ = shadow;
        applyAlpha();
        shadow->show();
    } else {
        alpha_ = 255;
    }
    window->show();
    window->raise();
    timeout_->start();
    if (canFade_) {
        fadeIn_->start();
    }
}

void BalloonTip::hide(bool fade) {
    if (fade && canFade_ && isShown()) {
        fadeIn_->stop();
        timeout_->stop();
        fadeOut_->start();
        return;
    }
    destroyWindows();
}

void BalloonTip::onTimeout() {
    hide(true);
}

void BalloonTip::onFadeIn() {
    alpha_ = std::min(255, alpha_ + kFadeStep);
    applyAlpha();
    if (alpha_ >= 255) {
        fadeIn_->stop();
    }
}

void BalloonTip::onFadeOut() {
    if (alpha_ < kFadeStep) {
        destroyWindows();
        return;
    }
    alpha_ -= kFadeStep;
    applyAlpha();
}

void BalloonTip::applyAlpha() {
    if (window_) {
        window_->setWindowOpacity(alpha_ / 255.0);
    }
    if (shadow_) {
        shadow_->setWindowOpacity(shadowAlpha(alpha_) / 255.0);
    }
}

void BalloonTip::destroyWindows() {
    timeout_->stop();
    fadeIn_->stop();
    fadeOut_->stop();
    delete shadow_.data();
    delete window_.data();
    text_.clear();
    rect_ = QRect();
}

} // namespace vantrel
