#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>

namespace vantrel {

// The program's pictures keep their resource numbers as names:
// 128/129 program icon (32 and 16), 131 splash/about (400 x 250), 132 toolbar overflow arrow
// (two 18 x 38 cells), 133 toolbar hot frame (36 x 36), 134-136 toolbar logos (38 high),
// 137-147 toolbar icon strips (three 32 x 32 cells: image, mask, disabled), 148 screen
// background tile, 149 start page (1012 x 610), 150-155 start buttons, 157-162 and 168-170
// pictures of the browse and progress screens.

// Size in device-independent pixels; an empty size for a number the program has no picture for.
QSize BitmapSize(int number);

// Every picture number, ascending.
QList<int> BitmapNumbers();

// GUI thread only. The picture drawn from its SVG source at the given device pixel ratio (the
// pixmap carries that ratio, so it paints at BitmapSize logical pixels). Cached per number and
// ratio. Areas outside the artwork are transparent. A null pixmap for an unknown number.
QPixmap LoadBitmap(int number, qreal devicePixelRatio = 1.0);

// The program icon at every size the desktop asks for.
QIcon ProgramIcon();

} // namespace vantrel
