#pragma once

// A log list's model: "日時", "対象", "内容", at most 32 767 lines, the oldest dropped.

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <deque>

namespace vantrel {

inline constexpr int kLogListCap = 32767;

class LogListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LogListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Appends a line stamped with the local time `now` (seconds since 1970); when the
    // list is full the first line goes first.
    void addLine(const QString& target, const QString& text, std::int64_t now);

private:
    struct Line {
        QString time;
        QString target;
        QString text;
    };
    std::deque<Line> lines_;
};

} // namespace vantrel
