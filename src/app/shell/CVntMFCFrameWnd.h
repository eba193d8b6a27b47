#pragma once

// The main window: menu, toolbar, status bar and the five screens; the command table and
// its rules; the routing of every request the folder tree relays; the questions asked on
// behalf of workers; the rules for leaving the program.

#include "app/shell/BrowseScreenPort.h"
#include "app/shell/Commands.h"

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

class QAction;
class QLabel;

namespace vantrel {

class ScreenHost;
class StartPage;
class UiRequestEvent;

class CVntMFCFrameWnd : public QMainWindow, public FramePort {
    Q_OBJECT

public:
    static constexpr int kMinimumWidth = 640;
    static constexpr int kMinimumHeight = 480;

    // The drive lists belong to the application and outlive the frame.
    CVntMFCFrameWnd(DriveList* drives, std::vector<UnopenedDrive>* unopened, bool detailMode,
                    QWidget* parent = nullptr);
    ~CVntMFCFrameWnd() override;

    // The browse screen and its companions; until they are set the frame shows
    // placeholders and routes nothing to them.
    void setBrowse(BrowseScreenPort* browse);
    ScreenHost* screenHost() const { return host_; }
    StartPage* startPage() const { return startPage_; }

    // FramePort
    QObject* frameReceiver() override { return this; }
    const ScanSettings& scanSettings() const override { return settings_; }
    DriveList& drives() override { return *drives_; }
    const std::vector<UnopenedDrive>& unopenedDrives() const override { return *unopened_; }
    bool detailMode() const override { return detailMode_; }
    void stateChanged() override { scheduleStateUpdate(); }
    int openUnopenedDrive(std::size_t unopenedIndex, QWidget* parent) override;
    void postCommand(int commandId) override;

    // The command states and status text as last computed.
    const CommandStates& commandStates() const { return states_; }
    QString statusText() const;
    QAction* action(int commandId) const;
    // Recomputes the command states (and the toolbar and menu from them), then the
    // status text: what the idle-time messages 0x464 and 0x490 do.
    void updateCommandStates();
    void updateStatusText();

    // Runs a command now if it is enabled; false when it is not.
    bool runCommand(int commandId);
    // Posts 0x481 to itself and handles events until it has arrived, and again while the
    // events handled meanwhile passed requests on.
    void flush();
    // Replaces the master settings and posts 0x48D to each of the four receivers.
    void replaceSettings(const ScanSettings& settings);

    // Adds an image file to the drive list and has the selector select it; with a map
    // file, the image is read through the map of the rescue run that made it. False, after
    // a message naming the file at fault and the reason, when it cannot be opened; a map
    // that reaches past the image's end is clipped after a warning.
    bool openImageFile(const QString& path, const QString& mapPath = {});
    // Message boxes go through this (tests answer them). Default: a QMessageBox.
    using MessageBoxHook = std::function<QMessageBox::StandardButton(
        QWidget* parent, QMessageBox::Icon icon, const QString& text,
        QMessageBox::StandardButtons buttons)>;
    void setMessageBoxHook(MessageBoxHook hook) { messageBox_ = std::move(hook); }
    QMessageBox::StandardButton showMessage(QMessageBox::Icon icon, const QString& text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // Where help pages are looked for (the program's folder, or the source tree's res/help
    // when run from the build tree).
    static QString HelpFolder();

signals:
    // The frame has finished its shut-down protocol and closes.
    void shutDownConfirmed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void addCommand(QMenu* menu, const QString& text, int commandId);
    void scheduleStateUpdate();
    CommandInputs readInputs() const;
    bool routeRequest(UiRequestEvent& request);
    void answerQuestion(UiRequestEvent& request);

    void returnToStartPage();
    void runEasySearch();
    void runSettings();
    void showHelp();
    void showAbout();
    void askImageFile();
    void askImageWithMap();
    bool addImage(std::unique_ptr<CDiskDevice> image, const QString& mapPath);
    BrowseReceivers receivers() const;

    DriveList* drives_;
    std::vector<UnopenedDrive>* unopened_;
    bool detailMode_;
    ScanSettings settings_;
    ScreenHost* host_;
    StartPage* startPage_;
    QLabel* statusPane_;
    BrowseScreenPort* browse_ = nullptr;
    std::map<int, QAction*> actions_;
    // Opening an image selects it, which would stop a running scan or recovery unasked.
    std::vector<QAction*> imageActions_;
    CommandStates states_;
    bool updatePending_ = false;
    bool shutDownApproved_ = false;
    MessageBoxHook messageBox_;
    QMetaObject::Connection focusWatch_;

    std::mutex flushLock_;
    int flushed_ = 1;
    std::uint64_t handledRequests_ = 0;
};

} // namespace vantrel
