#pragma once

// The file list's view: the report view with the five columns, grey deleted rows (the
// model supplies the colour), Ctrl+A selecting every row, and header clicks that sort by
// the shared direction flags. The browse screen's list and the progress screens' lists
// are all of this kind.

#include "app/models/FileListModel.h"

#include <QTreeView>

namespace vantrel {

class FileListView : public QTreeView {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    FileListModel* fileModel() const { return model_; }
    // Selected entries in row order (rows without an entry left out).
    std::vector<FileEntry*> selectedEntries() const;
    int selectedRowCount() const;
    // Shows the last row.
    void scrollToEnd();

protected:
    // 0x48D: pointer = the scan settings; the list filters again.
    void customEvent(QEvent* event) override;

private:
    FileListModel* model_;
};

} // namespace vantrel
