#pragma once

// Saves a widget's picture into $VANTREL_SCREENSHOT_DIR for people to look at.

#include <QCoreApplication>
#include <QDir>
#include <QWidget>
#include <cstdlib>

namespace vantrel::test {

inline void SaveScreenshot(QWidget* widget, const QString& name) {
    const char* dir = std::getenv("VANTREL_SCREENSHOT_DIR");
    if (!dir || !*dir || !widget)
        return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    if (!widget->isVisible())
        widget->show();
    QCoreApplication::processEvents();
    widget->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(name + QStringLiteral(".png")));
}

} // namespace vantrel::test
