#pragma once

// Screen 2: the drive selector, the folder tree beside the list view in a splitter, and
// the log along the bottom. It also builds its companions, the scan, diagnosis and
// salvage screens (3, 4, 5), beside itself in the frame's screen host, and answers the
// frame through BrowseScreenPort.

#include "app/browse/DriveSelector.h"
#include "app/browse/ListCtrlView.h"
#include "app/browse/TreeCtrlView.h"
#include "app/progress/DiagnosisScreen.h"
#include "app/progress/LogList.h"
#include "app/progress/SalvageProgressScreen.h"
#include "app/progress/ScanProgressScreen.h"
#include "app/shell/BrowseScreenPort.h"

#include <QSplitter>
#include <QWidget>

namespace vantrel {

class BrowseScreen : public QWidget, public BrowseScreenPort {
    Q_OBJECT
public:
    // The four screens become children of host (the frame's screen host).
    BrowseScreen(FramePort& frame, QWidget* host);

    DriveSelector* driveSelector() const { return selector_; }
    CVntMFCView_TreeCtrl* folderTree() const { return tree_; }
    CVntMFCView_ListCtrl* listView() const { return list_; }
    LogList* logList() const { return log_; }
    ScanProgressScreen* scanScreen() const { return scan_; }
    DiagnosisScreen* diagnosisScreen() const { return diagnosis_; }
    SalvageProgressScreen* salvageScreen() const { return salvage_; }

    // BrowseScreenPort.
    QWidget* screenWidget() override { return this; }
    QWidget* companionScreen(int number) override;
    Focus focus() const override;
    TreeSelectionState treeSelection() const override;
    int selectedRowCount() const override;
    int shownRowCount() const override;
    int entryCountBeforeFilter() const override;
    bool holdsAnalysisResults() const override;
    void runTreeCommand(int commandId) override;
    void runListCommand(int commandId) override;
    void stopListFilling() override;
    BrowseReceivers receivers() const override;
    void driveListChanged() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeSelector();

    FramePort& frame_;
    DriveSelector* selector_;
    QSplitter* splitter_;
    CVntMFCView_TreeCtrl* tree_;
    CVntMFCView_ListCtrl* list_;
    LogList* log_;
    ScanProgressScreen* scan_;
    DiagnosisScreen* diagnosis_;
    SalvageProgressScreen* salvage_;
};

} // namespace vantrel
