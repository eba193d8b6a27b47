#pragma once

// A log list (browse, scan and salvage screens): every 0x474 line a worker posts, with
// the time it arrived, at most 32 767 lines, scrolled to the newest.

#include "app/models/LogListModel.h"

#include <QTreeView>

namespace vantrel {

class LogList : public QTreeView {
    Q_OBJECT
public:
    explicit LogList(QWidget* parent = nullptr);

    LogListModel* logModel() const { return model_; }
    void addLine(const QString& target, const QString& text);

protected:
    // 0x474: strings [target, text].
    void customEvent(QEvent* event) override;

private:
    LogListModel* model_;
};

} // namespace vantrel
