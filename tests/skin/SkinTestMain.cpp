#include "SkinTests.h"
#include "skin/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QTimerEvent>

void SaveScreenshot(const QImage& image, const QString& name) {
    const QString dir = qEnvironmentVariable("VANTREL_SCREENSHOT_DIR");
    if (dir.isEmpty() || !QDir().mkpath(dir)) {
        return;
    }
    if (!image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"))) {
        qWarning("could not write screenshot %s", qPrintable(name));
    }
}

bool FireTimer(QTimer* timer) {
    if (timer == nullptr || !timer->isActive()) {
        return false;
    }
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
    return true;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vantrel::InstallFontSubstitutions();
    int failures = 0;
    for (auto* run : {RunArtworkTests, RunBitmapButtonTests, RunBalloonTipTests, RunToolBarTests,
                      RunShellIconTests}) {
        failures += run(argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
