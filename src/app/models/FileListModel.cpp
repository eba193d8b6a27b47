#include "app/models/FileListModel.h"

#include "app/models/FileTypeName.h"
#include "engine/settings/ColumnText.h"
#include "engine/tree/FileEntry.h"

#include <QColor>
#include <QElapsedTimer>
#include <algorithm>

namespace vantrel {

namespace {

// One slice of a fill takes at most this long before the window gets its turn.
constexpr qint64 kSliceMilliseconds = 8;

} // namespace

FileListModel::FileListModel(QObject* parent)
    : QAbstractTableModel(parent), filter_(std::make_unique<RowFilter>(ScanSettings())) {
    fillTimer_.setInterval(0);
    connect(&fillTimer_, &QTimer::timeout, this, &FileListModel::fillSlice);
}

FileListModel::~FileListModel() = default;

std::array<int, 5>& FileListModel::SortDirections() {
    static std::array<int, 5> directions{};
    return directions;
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFileListColumnCount;
}

const FileRow* FileListModel::fileRow(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size())
        return nullptr;
    return &rows_[shown_[static_cast<std::size_t>(row)] - base_];
}

FileEntry* FileListModel::entry(int row) const {
    const FileRow* file = fileRow(row);
    return file ? file->entry : nullptr;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    const FileRow* row = index.isValid() ? fileRow(index.row()) : nullptr;
    if (!row)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case kColumnName:
            return row->name;
        case kColumnSize:
            return ListSizeText(row->size);
        case kColumnCondition:
            return ConditionWord(row->condition);
        case kColumnType:
            return FileTypeName(row->name);
        case kColumnModified:
            return ListDateText(row->modifyTime);
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (column != kColumnName)
            return {};
        // A deleted row is drawn ghosted, like a cut item.
        return row->deleted ? QIcon(FileTypeIcon(row->name).pixmap(16, QIcon::Disabled))
                            : FileTypeIcon(row->name);
    case Qt::ForegroundRole:
        return row->deleted ? QVariant(QColor(160, 160, 160)) : QVariant();
    case Qt::TextAlignmentRole:
        return column == kColumnSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                     : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return ToQString(FileListColumnHeader(section));
    if (role == Qt::TextAlignmentRole)
        return section == kColumnSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                      : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void FileListModel::fill(const ResultNode::FileList* entries) {
    fillTimer_.stop();
    beginResetModel();
    rows_.clear();
    shown_.clear();
    base_ = 0;
    offered_ = 0;
    source_ = entries;
    next_ = 0;
    endResetModel();
    if (source_ && !source_->empty())
        fillTimer_.start();
    else
        emit fillFinished();
}

void FileListModel::fillSlice() {
    if (!source_) {
        fillTimer_.stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    std::vector<std::size_t> added;
    while (next_ < source_->size() && clock.elapsed() < kSliceMilliseconds) {
        for (int i = 0; i < 256 && next_ < source_->size(); ++i, ++next_) {
            FileEntry* file = (*source_)[next_].get();
            if (!file)
                continue;
            rows_.push_back(MakeFileRow(*file));
            ++offered_;
            if (filter_->Passes(rows_.back().AsFilterRow()))
                added.push_back(base_ + rows_.size() - 1);
        }
    }
    if (!added.empty()) {
        // The view learns of a slice's rows in one batch.
        const int first = static_cast<int>(shown_.size());
        beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
        shown_.insert(shown_.end(), added.begin(), added.end());
        endInsertRows();
    }
    if (next_ >= source_->size()) {
        fillTimer_.stop();
        emit fillFinished();
    }
}

void FileListModel::finishFill() {
    while (fillTimer_.isActive())
        fillSlice();
}

void FileListModel::setSettings(const ScanSettings& settings) {
    filter_ = std::make_unique<RowFilter>(settings);
    refilter();
}

void FileListModel::refilter() {
    beginResetModel();
    shown_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (filter_->Passes(rows_[i].AsFilterRow()))
            shown_.push_back(base_ + i);
    endResetModel();
}

void FileListModel::dropOldest() {
    if (!shown_.empty() && shown_.front() == base_) {
        beginRemoveRows({}, 0, 0);
        shown_.pop_front();
        endRemoveRows();
    }
    rows_.pop_front();
    ++base_;
}

bool FileListModel::offer(FileRow row) {
    ++offered_;
    // A progress list keeps the row only: a scan deletes duplicates it posted earlier.
    if (rowCap_ > 0)
        row.entry = nullptr;
    if (rowCap_ > 0 && rows_.size() >= static_cast<std::size_t>(rowCap_))
        dropOldest();
    rows_.push_back(std::move(row));
    if (!filter_->Passes(rows_.back().AsFilterRow()))
        return false;
    if (rowCap_ > 0 && shown_.size() >= static_cast<std::size_t>(rowCap_)) {
        beginRemoveRows({}, 0, 0);
        shown_.pop_front();
        endRemoveRows();
    }
    const int at = static_cast<int>(shown_.size());
    beginInsertRows({}, at, at);
    shown_.push_back(base_ + rows_.size() - 1);
    endInsertRows();
    return true;
}

std::uint64_t FileListModel::appendEntries(const ResultNode::FileList& entries, std::size_t from) {
    std::uint64_t filteredOut = 0;
    for (std::size_t i = from; i < entries.size(); ++i)
        if (entries[i] && !offer(MakeFileRow(*entries[i])))
            ++filteredOut;
    return filteredOut;
}

std::uint64_t FileListModel::appendEntries(const std::vector<FileEntry*>& entries,
                                           std::size_t from) {
    std::uint64_t filteredOut = 0;
    for (std::size_t i = from; i < entries.size(); ++i)
        if (entries[i] && !offer(MakeFileRow(*entries[i])))
            ++filteredOut;
    return filteredOut;
}

void FileListModel::forgetEntries() {
    for (FileRow& row : rows_)
        row.entry = nullptr;
}

bool FileListModel::sortByClick(int column) {
    if (filling() || rowCap_ > 0 || column < 0 || column >= kFileListColumnCount)
        return false;
    int& flag = SortDirections()[static_cast<std::size_t>(column)];
    flag = flag ? 0 : 1;
    const bool text = column == kColumnName || column == kColumnType;
    // Text: descending when the flag has just become 1. Numbers: ascending then.
    const bool descending = text ? flag == 1 : flag == 0;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> oldOrder(shown_.begin(), shown_.end());
    auto key = [this, column](std::size_t id) -> const FileRow& { return rows_[id - base_]; };
    auto less = [&](std::size_t a, std::size_t b) {
        const FileRow& x = key(a);
        const FileRow& y = key(b);
        switch (column) {
        case kColumnName:
            return x.name < y.name;
        case kColumnType:
            return FileTypeName(x.name) < FileTypeName(y.name);
        case kColumnSize:
            return x.size < y.size;
        case kColumnCondition:
            return x.condition < y.condition;
        default:
            return x.modifyTime.value_or(INT64_MIN) < y.modifyTime.value_or(INT64_MIN);
        }
    };
    if (descending)
        std::stable_sort(shown_.begin(), shown_.end(),
                         [&](std::size_t a, std::size_t b) { return less(b, a); });
    else
        std::stable_sort(shown_.begin(), shown_.end(), less);
    std::vector<int> newRow(rows_.size(), -1);
    for (std::size_t row = 0; row < shown_.size(); ++row)
        newRow[shown_[row] - base_] = static_cast<int>(row);
    QModelIndexList after;
    for (const QModelIndex& index : before) {
        const std::size_t id = oldOrder[static_cast<std::size_t>(index.row())];
        after.push_back(this->index(newRow[id - base_], index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return true;
}

} // namespace vantrel
