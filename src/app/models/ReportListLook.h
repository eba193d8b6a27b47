#pragma once

// The look shared by the program's row lists (file lists, log lists): flat rows selected
// whole, never edited, in the interface font.

class QTreeView;

namespace vantrel {

void SetUpReportList(QTreeView& view);

// Wide enough for "0000/00/00 00:00:00" in the view's font, and never below minimum: a
// date column is never cut short.
int DateColumnWidth(const QTreeView& view, int minimum);

} // namespace vantrel
