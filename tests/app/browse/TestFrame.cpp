#include "TestFrame.h"

namespace vantrel::testing {

TestFrame::TestFrame() {
    host_.resize(1012, 700);
}

TestFrame::~TestFrame() = default;

void TestFrame::attach(BrowseScreen* browse) {
    browse_ = browse;
    if (!browse_)
        return;
    for (QWidget* screen : {browse_->screenWidget(), static_cast<QWidget*>(browse_->scanScreen()),
                            static_cast<QWidget*>(browse_->diagnosisScreen()),
                            static_cast<QWidget*>(browse_->salvageScreen())})
        screen->setGeometry(host_.rect());
    showScreen(2);
}

int TestFrame::currentScreen() const {
    if (browse_->isVisible())
        return 2;
    if (browse_->diagnosisScreen()->isVisible())
        return 4;
    if (browse_->scanScreen()->isVisible())
        return 3;
    if (browse_->salvageScreen()->isVisible())
        return 5;
    return 0;
}

void TestFrame::showScreen(int number) {
    screensShown.push_back(number);
    QWidget* screens[] = {browse_, browse_->scanScreen(), browse_->diagnosisScreen(),
                          browse_->salvageScreen()};
    for (int i = 0; i < 4; ++i)
        screens[i]->setVisible(i + 2 == number);
}

void TestFrame::broadcastSettings(const ScanSettings& changed) {
    settings = changed;
    const BrowseReceivers r = browse_->receivers();
    for (QObject* receiver : {r.folderTree, r.fileList, r.scanFoundFiles, r.salvageRecoveredFiles})
        PostUiRequest(receiver, msg::kSettingsChanged, 0, &settings);
}

void TestFrame::customEvent(QEvent* event) {
    UiRequestEvent* request = UiRequestEvent::Cast(event);
    if (!request || !browse_)
        return;
    const BrowseReceivers r = browse_->receivers();
    switch (request->message()) {
    case msg::kLogLine:
        request->relayTo({r.browseLog, r.scanLog, r.salvageLog});
        return;
    case msg::kProgressStart:
    case msg::kProgressPosition:
    case msg::kFoundFiles:
    case msg::kPhaseText:
        request->relayTo(r.scanProgress);
        return;
    case msg::kDiagnosisProgress:
        request->relayTo(r.diagnosis);
        return;
    case msg::kSalvageFileStart:
    case msg::kSalvageFileProgress:
    case msg::kSalvageStart:
    case msg::kSalvageRecovered:
    case msg::kSalvageEnd:
        request->relayTo(r.salvageProgress);
        return;
    case msg::kDriveSelected:
    case msg::kRecoverEntries:
    case msg::kScanWhenReady:
    case msg::kReset:
        request->relayTo(r.folderTree);
        return;
    case msg::kShowEntries:
    case msg::kShowListChild:
        request->relayTo(r.fileList);
        return;
    case msg::kSelectDriveIndex:
    case msg::kSelectDrive:
        request->relayTo(r.driveSelector);
        return;
    case msg::kShowScreen:
        showScreen(static_cast<int>(request->value()));
        break;
    case msg::kAskOverwrite:
    case msg::kAskContinueAfterFailure:
    case msg::kAskSizeLimit:
        ++questionsAsked;
        request->setAnswer(answer);
        break;
    default:
        break;
    }
    request->complete();
}

} // namespace vantrel::testing
