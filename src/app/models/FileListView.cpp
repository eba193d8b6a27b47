#include "app/models/FileListView.h"

#include "app/models/ReportListLook.h"
#include "app/shell/UiRequestEvent.h"
#include "skin/Fonts.h"

#include <QHeaderView>
#include <algorithm>
#include <utility>
#include <vector>

namespace vantrel {

FileListView::FileListView(QWidget* parent) : QTreeView(parent), model_(new FileListModel(this)) {
    setModel(model_);
    SetUpReportList(*this);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    const int widths[] = {128, 96, 96, 96, 96};
    for (int column = 0; column < 5; ++column)
        setColumnWidth(column, widths[column]);
    setColumnWidth(0, NameColumnWidth(*this, 128));
    setColumnWidth(4, DateColumnWidth(*this, 96));
    connect(header(), &QHeaderView::sectionClicked, model_,
            [this](int column) { model_->sortByClick(column); });
}

std::vector<FileEntry*> FileListView::selectedEntries() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<FileEntry*> entries;
    for (const int row : rows)
        if (FileEntry* entry = model_->entry(row))
            entries.push_back(entry);
    return entries;
}

// Asked for on every command-state and status update, so from the selection's ranges:
// selectedRows() walks every selected row, which with a whole scan's files selected made
// each message of a recovery cost milliseconds.
int FileListView::selectedRowCount() const {
    std::vector<std::pair<int, int>> spans;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (range.isValid())
            spans.emplace_back(range.top(), range.bottom());
    std::sort(spans.begin(), spans.end());
    int count = 0;
    int covered = -1; // last row counted
    for (const auto& [top, bottom] : spans) {
        if (bottom > covered)
            count += bottom - std::max(top, covered + 1) + 1;
        covered = std::max(covered, bottom);
    }
    return count;
}

void FileListView::scrollToEnd() {
    if (model_->rowCount() > 0)
        scrollTo(model_->index(model_->rowCount() - 1, 0));
}

} // namespace vantrel

namespace vantrel {

void FileListView::customEvent(QEvent* event) {
    UiRequestEvent* request = UiRequestEvent::Cast(event, msg::kSettingsChanged);
    if (!request) {
        QTreeView::customEvent(event);
        return;
    }
    if (const auto* settings = request->pointerAs<const ScanSettings>())
        model_->setSettings(*settings);
    request->complete();
}

} // namespace vantrel
