#pragma once

// Dialog templates are laid out in dialog units of their 9-point "ＭＳ Ｐゴシック": a
// horizontal unit is a quarter of the average character width (6 pixels), a vertical one
// an eighth of the height (12 pixels).

#include <QRect>

namespace vantrel {

constexpr int DluX(int units) {
    return units * 3 / 2;
}
constexpr int DluY(int units) {
    return units * 3 / 2;
}
inline QRect DluRect(int x, int y, int width, int height) {
    return QRect(DluX(x), DluY(y), DluX(width), DluY(height));
}

} // namespace vantrel
