#include "skin/ElidedComboBox.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

namespace vantrel {

namespace {

constexpr int kIconGap = 4;

} // namespace

ElidedComboBox::ElidedComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, &ElidedComboBox::updateToolTip);
}

QString ElidedComboBox::shownText() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int room =
        field.width() - (option.currentIcon.isNull() ? 0 : iconSize().width() + kIconGap);
    return fontMetrics().elidedText(currentText(), Qt::ElideMiddle, std::max(0, room));
}

int ElidedComboBox::contentWidth() const {
    int widest = 0;
    const QFontMetrics metrics(font());
    for (int row = 0; row < count(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(row)));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize text(widest + iconSize().width() + kIconGap,
                     std::max(metrics.height(), iconSize().height()));
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, this).width();
}

void ElidedComboBox::updateToolTip() {
    QStringList lines;
    if (shownText() != currentText())
        lines.append(currentText());
    const QString own = itemData(currentIndex(), Qt::ToolTipRole).toString();
    if (!own.isEmpty())
        lines.append(own);
    setToolTip(lines.join(u'\n'));
}

void ElidedComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = shownText();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void ElidedComboBox::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    updateToolTip();
}

} // namespace vantrel
