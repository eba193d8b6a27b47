#pragma once

// The list view of the browse screen (CVntMFCView_ListCtrl): the file list and the two
// guidance panels, one of them shown at a time, and the file commands (dump, preview,
// recover the selected files).

#include "app/browse/GuidancePanel.h"
#include "app/models/FileListView.h"

#include <QStackedWidget>
#include <vector>

namespace vantrel {

class FramePort;

class CVntMFCView_ListCtrl : public QStackedWidget {
    Q_OBJECT
public:
    enum Child { kFileList = 0, kUnscannedPanel = 1, kDrivePanel = 2 };

    CVntMFCView_ListCtrl(FramePort& frame, QWidget* parent = nullptr);

    FileListView* fileList() const { return list_; }
    GuidancePanel* panel(int child) const;

    // 0x478 and 0x48F.
    void showEntries(const ResultNode::FileList* entries);
    void showChild(int child);

    // 33006 (posts 0x486 with the selected entries to the frame), 33007, 33008.
    void runCommand(int commandId);
    bool commandEnabled(int commandId) const;

protected:
    void customEvent(QEvent* event) override;

private:
    void showContextMenu(const QPoint& at);

    FramePort& frame_;
    FileListView* list_;
    GuidancePanel* unscanned_;
    GuidancePanel* drive_;
    // What the last 0x486 points to; lives until the next one.
    std::vector<FileEntry*> recoverSelection_;
};

} // namespace vantrel
