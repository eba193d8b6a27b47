#pragma once

// The application: one copy at a time, detail mode, the splash, the drive list (drives,
// then image files named on the command line), and the main window.

#include "app/shell/SingleInstance.h"
#include "device/DriveList.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

namespace vantrel {

class CVntMFCFrameWnd;

struct AppOptions {
    bool detail = false;    // --detail, or Ctrl held at start
    QStringList imagePaths; // image files (or device nodes) to examine besides the drives
    bool enumerateDrives = true;
};

// What the command line asks for; parsed before any window exists so that --version and
// --help work without a display.
struct CommandLine {
    enum class Action { Run, Version, Help, Error };
    Action action = Action::Run;
    AppOptions options;
    QString error;
};
CommandLine ParseCommandLine(const QStringList& arguments);
QString UsageText();

class CVntMFCApp : public QObject {
    Q_OBJECT

public:
    CVntMFCApp();
    ~CVntMFCApp() override;

    // False when the program is to end at once: another copy runs (nothing shown), the
    // drive enumeration failed, or there is nothing to examine (after saying so).
    bool InitInstance(const AppOptions& options);

    CVntMFCFrameWnd* frame() const { return frame_.get(); }
    DriveList& drives() { return drives_; }

private:
    SingleInstance instance_;
    DriveList drives_;
    std::vector<UnopenedDrive> unopened_;
    std::unique_ptr<CVntMFCFrameWnd> frame_;
};

} // namespace vantrel
