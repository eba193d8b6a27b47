#pragma once

// A stand-in for the browse screen: its state is set by the test, and each receiver
// records the requests that reach it.

#include "app/shell/BrowseScreenPort.h"
#include "app/shell/UiRequestEvent.h"

#include <QLabel>
#include <QPointer>
#include <vector>

namespace vantrel::test {

class Recorder : public QObject {
public:
    std::vector<msg::MessageId> messages;
    std::vector<std::uint64_t> values;
    std::vector<void*> pointers;
    QObject* shutDownReplyTo = nullptr; // the tree answers 0x475 to the frame

protected:
    void customEvent(QEvent* event) override {
        if (auto* request = UiRequestEvent::Cast(event)) {
            messages.push_back(request->message());
            values.push_back(request->value());
            pointers.push_back(request->pointer());
            request->complete();
            if (messages.back() == msg::kShutDown && shutDownReplyTo)
                PostUiRequest(shutDownReplyTo, msg::kShutDown);
        }
    }
};

class FakeBrowse : public BrowseScreenPort {
public:
    // Owned by the frame once set; deleted here only if it never was.
    QPointer<QLabel> screen = new QLabel(QStringLiteral("閲覧画面"));
    Recorder tree, list, selector, browseLog, scanLog, salvageLog, scanProgress, salvageProgress,
        foundFiles, recoveredFiles;
    Focus focusOn = Focus::Other;
    TreeSelectionState selection;
    int selected = 0, shown = 0, total = 0;
    bool results = false;
    std::vector<int> treeCommands, listCommands;
    int fillStops = 0, driveListChanges = 0;

    ~FakeBrowse() override {
        if (QLabel* label = screen.data(); label && !label->parent())
            delete label;
    }
    QWidget* screenWidget() override { return screen; }
    Focus focus() const override { return focusOn; }
    TreeSelectionState treeSelection() const override { return selection; }
    int selectedRowCount() const override { return selected; }
    int shownRowCount() const override { return shown; }
    int entryCountBeforeFilter() const override { return total; }
    bool holdsAnalysisResults() const override { return results; }
    void runTreeCommand(int id) override { treeCommands.push_back(id); }
    void runListCommand(int id) override { listCommands.push_back(id); }
    void stopListFilling() override { ++fillStops; }
    void driveListChanged() override { ++driveListChanges; }
    BrowseReceivers receivers() const override {
        auto* self = const_cast<FakeBrowse*>(this);
        return {
            &self->tree,       &self->list,          &self->selector,     &self->browseLog,
            &self->scanLog,    &self->salvageLog,    &self->scanProgress, &self->salvageProgress,
            &self->foundFiles, &self->recoveredFiles};
    }
};

} // namespace vantrel::test
