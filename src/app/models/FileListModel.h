#pragma once

// The file list's model: the entries of one folder (or the entries a scan or a salvage
// reports) through the row filter of the scan settings, with the five columns. Filtering
// and sorting happen here; the view only draws.
//
// A folder's entries are taken in slices on the user-interface thread, so a folder of a
// hundred thousand entries never freezes the window, and a new fill (or clear) ends the
// one in progress. There is no row cap: every passing entry can be seen and recovered.
// Progress lists (found and recovered files) set a row cap instead and drop their oldest
// row, as the log lists do.

#include "app/models/FileRow.h"
#include "engine/settings/RowFilter.h"
#include "engine/tree/ResultNode.h"

#include <QAbstractTableModel>
#include <QTimer>
#include <array>
#include <deque>
#include <memory>

namespace vantrel {

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);
    ~FileListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Shows the entries of a folder (null: an empty list). The list must stay unchanged
    // until the next fill or clear; the fill ends with fillFinished.
    void fill(const ResultNode::FileList* entries);
    void clear() { fill(nullptr); }
    bool filling() const { return fillTimer_.isActive(); }
    // Runs the fill in progress to its end at once (tests, shut-down).
    void finishFill();

    // Takes new settings and filters again.
    void setSettings(const ScanSettings& settings);
    const ScanSettings& settings() const { return filter_->Settings(); }

    // Progress lists: at most cap rows (and cap entries kept for a refilter); the oldest
    // goes first, and rows keep no entry pointer. 0 (the default) is no cap.
    void setRowCap(int cap) { rowCap_ = cap; }
    // Appends entries[from..] now, filtered; returns how many did not pass.
    std::uint64_t appendEntries(const ResultNode::FileList& entries, std::size_t from);
    std::uint64_t appendEntries(const std::vector<FileEntry*>& entries, std::size_t from);
    // Drops every entry pointer (the entries are about to go); the rows stay.
    void forgetEntries();

    // T: entries offered before filtering (the folder's entry count for a folder).
    std::uint64_t totalEntries() const { return offered_; }
    FileEntry* entry(int row) const;
    const FileRow* fileRow(int row) const;

    // A click on a column header: flips that column's direction flag (shared by every
    // list for the whole run) and sorts. First click: text Z to A, numbers smallest
    // first. Refused (false) while filling and in progress lists.
    bool sortByClick(int column);
    static std::array<int, 5>& SortDirections();

signals:
    void fillFinished();

private:
    void fillSlice();
    void refilter();
    bool offer(FileRow row); // true when the row passed the filter
    void dropOldest();

    std::unique_ptr<RowFilter> filter_;
    std::deque<FileRow> rows_;      // every row offered (kept for refiltering)
    std::deque<std::size_t> shown_; // ids (base_ + index into rows_) of the rows shown
    std::size_t base_ = 0;          // id of rows_.front()
    std::uint64_t offered_ = 0;
    int rowCap_ = 0;
    const ResultNode::FileList* source_ = nullptr;
    std::size_t next_ = 0;
    QTimer fillTimer_;
};

} // namespace vantrel
