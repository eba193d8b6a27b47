#pragma once

// The look shared by the program's row lists (file lists, log lists): flat rows selected
// whole, never edited, in the interface font.

class QTreeView;

namespace vantrel {

void SetUpReportList(QTreeView& view);

// Wide enough for "0000/00/00 00:00:00" in the view's font, and never below minimum: a
// date column is never cut short.
int DateColumnWidth(const QTreeView& view, int minimum);

// Wide enough for a carved file's name (sixteen hex digits of its first sector and a
// four-letter extension) after its icon, and never below minimum: carved files would
// otherwise all show the same cut-short run of zeros.
int NameColumnWidth(const QTreeView& view, int minimum);

} // namespace vantrel
