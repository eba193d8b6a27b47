#pragma once

#include <QFont>

namespace vantrel {

// Maps the Japanese face names the program asks for ("MS UI Gothic", "ＭＳ Ｐゴシック",
// "ＭＳ ゴシック" and their ASCII spellings) to the installed metric-compatible faces:
// proportional IPAPGothic for the first two, monospace IPAGothic for the last. Call once
// after the QApplication exists.
void InstallFontSubstitutions();

// 12-pixel "MS UI Gothic", falling back to "ＭＳ Ｐゴシック" and then "ＭＳ ゴシック".
QFont InterfaceFont();

// Proportional Gothic ("ＭＳ Ｐゴシック") at the given pixel size.
QFont PGothicFont(int pixelSize);

// Monospace Gothic ("ＭＳ ゴシック") at the given pixel size.
QFont GothicFont(int pixelSize);

} // namespace vantrel
