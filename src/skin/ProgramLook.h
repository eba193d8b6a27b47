#pragma once

#include <QColor>

class QApplication;

namespace vantrel {

// The program's colours, shared by the artwork (res/art) and the widgets drawn in code.
namespace look {
inline const QColor kToolbar{224, 232, 240};
inline const QColor kLightPen{255, 255, 255};
inline const QColor kMidPen{216, 210, 189};
inline const QColor kDarkPen{172, 168, 153};
inline const QColor kScreen{241, 245, 249}; // behind the screens (picture 148)
inline const QColor kPanelBorder{185, 203, 221};
inline const QColor kNavy{31, 59, 90};
inline const QColor kBlue{43, 108, 176};
inline const QColor kOrange{255, 158, 62}; // the progress bar's fill
inline const QColor kGreen{60, 154, 95};
inline const QColor kText{35, 52, 74};
inline const QColor kSubText{90, 110, 133};
inline const QColor kDeletedText{160, 160, 160};
} // namespace look

// Gives standard widgets (menus, lists, trees, headers, status bar, dialogs) the palette and
// interface font that go with the artwork, and the program icon to every window. Call once,
// after InstallFontSubstitutions.
void ApplyProgramLook(QApplication& application);

} // namespace vantrel
