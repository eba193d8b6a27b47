#include "app/models/LogListModel.h"

#include "app/models/FileRow.h"

namespace vantrel {

LogListModel::LogListModel(QObject* parent) : QAbstractTableModel(parent) {}

int LogListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int LogListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant LogListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const Line& line = lines_[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case 0:
        return line.time;
    case 1:
        return line.target;
    case 2:
        return line.text;
    default:
        return {};
    }
}

QVariant LogListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return QStringLiteral("日時");
    case 1:
        return QStringLiteral("対象");
    case 2:
        return QStringLiteral("内容");
    default:
        return {};
    }
}

void LogListModel::addLine(const QString& target, const QString& text, std::int64_t now) {
    if (lines_.size() >= static_cast<std::size_t>(kLogListCap)) {
        beginRemoveRows({}, 0, 0);
        lines_.pop_front();
        endRemoveRows();
    }
    const int at = static_cast<int>(lines_.size());
    beginInsertRows({}, at, at);
    lines_.push_back({ListDateText(now), target, text});
    endInsertRows();
}

} // namespace vantrel
