// The frame's routing of requests relayed by the folder tree, its own requests, the
// questions asked for workers, posted commands and the flush barrier.

#include "app/dialogs/QuestionDialog.h"
#include "app/shell/CVntMFCFrameWnd.h"
#include "app/shell/ScreenHost.h"
#include "app/shell/UiRequestEvent.h"

#include <QCoreApplication>

namespace vantrel {
namespace {

// A posted command (WM_COMMAND's number, below every request's type).
class CommandEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x111);
    explicit CommandEvent(int id) : QEvent(kType), commandId(id) {}
    const int commandId;
};

} // namespace

BrowseReceivers CVntMFCFrameWnd::receivers() const {
    return browse_ ? browse_->receivers() : BrowseReceivers{};
}

void CVntMFCFrameWnd::postCommand(int commandId) {
    QCoreApplication::postEvent(this, new CommandEvent(commandId));
}

bool CVntMFCFrameWnd::event(QEvent* event) {
    if (event->type() == CommandEvent::kType) {
        runCommand(static_cast<CommandEvent*>(event)->commandId);
        return true;
    }
    if (auto* request = UiRequestEvent::Cast(event)) {
        ++handledRequests_;
        if (!routeRequest(*request))
            request->complete(); // nobody's message: the sender must not wait for ever
        scheduleStateUpdate();
        return true;
    }
    return QMainWindow::event(event);
}

bool CVntMFCFrameWnd::routeRequest(UiRequestEvent& request) {
    const BrowseReceivers to = receivers();
    switch (request.message()) {
    case msg::kUpdateCommandStates:
        updateCommandStates();
        request.complete();
        return true;
    case msg::kUpdateStatusText:
        updateStatusText();
        request.complete();
        return true;
    case msg::kShowScreen:
        request.relayTo(host_);
        return true;
    case msg::kFlush: {
        std::lock_guard lock(flushLock_);
        flushed_ = 1;
    }
        request.complete();
        return true;
    case msg::kLogLine:
        request.relayTo({to.browseLog, to.scanLog, to.salvageLog});
        return true;
    case msg::kProgressStart:
    case msg::kProgressPosition:
    case msg::kFoundFiles:
    case msg::kPhaseText:
        request.relayTo(to.scanProgress);
        return true;
    case msg::kDiagnosisProgress:
        request.relayTo(to.diagnosis);
        return true;
    case msg::kSalvageFileStart:
    case msg::kSalvageFileProgress:
    case msg::kSalvageStart:
    case msg::kSalvageRecovered:
    case msg::kSalvageEnd:
        request.relayTo(to.salvageProgress);
        return true;
    case msg::kDriveSelected:
    case msg::kRecoverEntries:
    case msg::kScanWhenReady:
    case msg::kReset: // the tree frees its items, then has the selector select the drive
        request.relayTo(to.folderTree);
        return true;
    case msg::kShowEntries:
    case msg::kShowListChild:
        request.relayTo(to.fileList);
        return true;
    case msg::kSelectDriveIndex:
    case msg::kSelectDrive:
        request.relayTo(to.driveSelector);
        return true;
    case msg::kMessageBox:
        showMessage(QMessageBox::NoIcon, request.text());
        request.complete();
        return true;
    case msg::kAskOverwrite:
    case msg::kAskContinueAfterFailure:
    case msg::kAskSizeLimit:
        answerQuestion(request);
        return true;
    case msg::kShutDown:
        request.complete();
        shutDownApproved_ = true;
        emit shutDownConfirmed();
        close();
        return true;
    default:
        return false;
    }
}

void CVntMFCFrameWnd::answerQuestion(UiRequestEvent& request) {
    request.setAnswer(msg::kAnswerNone);
    const int answer = AskSalvageQuestion(this, request.message(),
                                          request.pointerAs<const FileEntry>(), request.text());
    request.setAnswer(answer);
    request.complete();
}

void CVntMFCFrameWnd::flush() {
    // A round ends when 0x481 comes back; what the events of that round passed on (the
    // frame's relays, the tree's answers) was posted behind it, so rounds go on until
    // one passes with nothing but the 0x481 itself. A steady stream cannot hold it up
    // for ever.
    for (int round = 0; round < 64; ++round) {
        const std::uint64_t before = handledRequests_;
        {
            std::lock_guard lock(flushLock_);
            flushed_ = 0;
        }
        PostUiRequest(this, msg::kFlush);
        for (;;) {
            {
                std::lock_guard lock(flushLock_);
                if (flushed_)
                    break;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        if (handledRequests_ == before + 1)
            return;
    }
}

void CVntMFCFrameWnd::replaceSettings(const ScanSettings& settings) {
    settings_ = settings;
    const BrowseReceivers to = receivers();
    for (QObject* receiver :
         {to.folderTree, to.fileList, to.scanFoundFiles, to.salvageRecoveredFiles})
        PostUiRequest(receiver, msg::kSettingsChanged, 0, &settings_);
}

} // namespace vantrel
