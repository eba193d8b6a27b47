#include "app/progress/LogList.h"

#include "app/shell/UiRequestEvent.h"
#include "skin/Fonts.h"

#include <QDateTime>
#include <QHeaderView>
#include <algorithm>

namespace vantrel {

LogList::LogList(QWidget* parent) : QTreeView(parent), model_(new LogListModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFont(InterfaceFont());
    header()->setStretchLastSection(true);
    // The time is never cut short: the column is at least as wide as its text.
    setColumnWidth(
        0,
        std::max(128, fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00:00")) + 12));
    setColumnWidth(1, 128);
    setColumnWidth(2, 256);
}

void LogList::addLine(const QString& target, const QString& text) {
    model_->addLine(target, text, QDateTime::currentSecsSinceEpoch());
    scrollTo(model_->index(model_->rowCount() - 1, 0));
}

void LogList::customEvent(QEvent* event) {
    UiRequestEvent* request = UiRequestEvent::Cast(event, msg::kLogLine);
    if (!request) {
        QTreeView::customEvent(event);
        return;
    }
    const QStringList strings = request->strings();
    if (strings.size() >= 2)
        addLine(strings[0], strings[1]);
    request->complete();
}

} // namespace vantrel
