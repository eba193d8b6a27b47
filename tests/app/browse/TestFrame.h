#pragma once

// The frame's side of the browse screen for tests: the drive list, the settings, the
// routing table of the frame (which receiver gets which message) and the screen switch.
// Questions from workers are answered with `answer`.

#include "app/browse/BrowseScreen.h"
#include "app/shell/UiRequestEvent.h"

#include <QObject>
#include <QWidget>
#include <map>
#include <vector>

namespace vantrel::testing {

class TestFrame : public QObject, public FramePort {
    Q_OBJECT
public:
    TestFrame();
    ~TestFrame() override;

    void attach(BrowseScreen* browse);
    QWidget* host() { return &host_; }
    // The visible screen (2 to 5), or 0.
    int currentScreen() const;
    // Every screen shown, in order: a short salvage can come and go between two polls.
    std::vector<int> screensShown;
    void broadcastSettings(const ScanSettings& settings);

    int answer = msg::kAnswerYes;
    int questionsAsked = 0;
    ScanSettings settings;
    DriveList driveList;

    QObject* frameReceiver() override { return this; }
    const ScanSettings& scanSettings() const override { return settings; }
    DriveList& drives() override { return driveList; }
    const std::vector<UnopenedDrive>& unopenedDrives() const override { return unopened_; }
    bool detailMode() const override { return false; }
    int openUnopenedDrive(std::size_t, QWidget*) override { return -1; }
    void stateChanged() override {}
    void postCommand(int commandId) override { postedCommands.push_back(commandId); }
    std::vector<int> postedCommands;

protected:
    void customEvent(QEvent* event) override;

private:
    void showScreen(int number);

    QWidget host_;
    BrowseScreen* browse_ = nullptr;
    std::vector<UnopenedDrive> unopened_;
};

} // namespace vantrel::testing
