#include "app/dialogs/AboutWindow.h"

#include "skin/Artwork.h"
#include "skin/Fonts.h"

#include <QMouseEvent>
#include <QPainter>

namespace vantrel {

QString ProgramVersion() {
    return QStringLiteral(VANTREL_VERSION);
}

AboutWindow::AboutWindow(Role role, QWidget* parent) : QDialog(parent), role_(role) {
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(kWidth, kHeight);
    if (role == Role::Splash)
        setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    else
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

QString AboutWindow::versionText() const {
    return QStringLiteral("Ver.") + ProgramVersion();
}

void AboutWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(rect(), LoadBitmap(131, devicePixelRatioF()));
    painter.setFont(PGothicFont(12));
    painter.setPen(Qt::black);
    const QFontMetrics metrics(painter.font());
    painter.drawText(335, 3 + metrics.ascent(), versionText());
}

void AboutWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (role_ == Role::About && event->button() == Qt::LeftButton)
        accept();
}

} // namespace vantrel
