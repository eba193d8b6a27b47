#pragma once

#include <QImage>
#include <QString>

class QTimer;

// Each suite of the skin tests runs from one main so that they share one QApplication.
int RunArtworkTests(int argc, char** argv);
int RunBitmapButtonTests(int argc, char** argv);
int RunBalloonTipTests(int argc, char** argv);
int RunToolBarTests(int argc, char** argv);
int RunShellIconTests(int argc, char** argv);

// Writes `image` as <name>.png into $VANTREL_SCREENSHOT_DIR (when set).
void SaveScreenshot(const QImage& image, const QString& name);

// Delivers one tick of an active timer as if its interval had passed; false when it is not
// running.
bool FireTimer(QTimer* timer);
