#include "app/progress/LogList.h"

#include "app/models/ReportListLook.h"
#include "app/shell/UiRequestEvent.h"
#include "skin/Fonts.h"

#include <QDateTime>
#include <QHeaderView>
#include <algorithm>

namespace vantrel {

LogList::LogList(QWidget* parent) : QTreeView(parent), model_(new LogListModel(this)) {
    setModel(model_);
    SetUpReportList(*this);
    header()->setStretchLastSection(true);
    setColumnWidth(0, DateColumnWidth(*this, 128));
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
