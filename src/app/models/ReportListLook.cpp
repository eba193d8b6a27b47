#include "app/models/ReportListLook.h"

#include "skin/Fonts.h"

#include <QTreeView>
#include <algorithm>

namespace vantrel {

void SetUpReportList(QTreeView& view) {
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setItemsExpandable(false);
    view.setAllColumnsShowFocus(true);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setFont(InterfaceFont());
}

int DateColumnWidth(const QTreeView& view, int minimum) {
    return std::max(
        minimum, view.fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00:00")) + 12);
}

int NameColumnWidth(const QTreeView& view, int minimum) {
    const int icon = view.iconSize().isValid() ? view.iconSize().width() : 16;
    return std::max(minimum,
                    view.fontMetrics().horizontalAdvance(QStringLiteral("0000000000000000.JPEG")) +
                        icon + 16);
}

} // namespace vantrel
