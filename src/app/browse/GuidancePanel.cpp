#include "app/browse/GuidancePanel.h"

#include "skin/Fonts.h"
#include "skin/ProgramLook.h"

#include <QPainter>
#include <QTextLayout>

namespace vantrel {

namespace {

// Draws text word-wrapped (Japanese wraps between any two characters) from top; returns
// the height used.
int DrawWrapped(QPainter& painter, const QString& text, const QFont& font, int left, int top,
                int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    layout.draw(&painter, QPointF(left, top));
    return static_cast<int>(y);
}

// "MS UI Gothic" first, at the given size.
QFont PanelFont(int pixelSize) {
    QFont font = InterfaceFont();
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

GuidancePanel::GuidancePanel(Kind kind, QWidget* parent) : QWidget(parent) {
    const QString scanHint =
        QStringLiteral("ファイルの検出を行いたいディスクまたはパーティション下の「"
                       "スキャン結果」を選択し、スキャンを実行してください。");
    if (kind == kUnscanned) {
        title_ = QStringLiteral("スキャンを実行してください");
        body_ = {
            QStringLiteral("現在表示可能な検出済みのファイルはありません。"),
            QStringLiteral("既存のフォルダ内を参照し、目的のファイルを発見できなかった場合でも、"
                           "スキャンを実行することで、ファイルを検出できる可能性があります。"),
            scanHint};
        notes_ = {
            QStringLiteral("※スキャンには時間がかかる場合があります。"),
            QStringLiteral("※スキャンが終了してもファイルを検出できなかった場合でも、スキャン方"
                           "式を変更することで検出できる場合があります。"),
            QStringLiteral("※ディスクの状態によってはどの方式を使用しても正しく検出することが"
                           "出来ない場合があります。")};
    } else {
        title_ = QStringLiteral("選択してください");
        body_ = {scanHint};
    }
}

void GuidancePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect panel = rect().adjusted(12, 12, -12, -12);
    painter.setPen(QPen(look::kPanelBorder, 1));
    painter.setBrush(QColor(247, 250, 253));
    painter.drawRoundedRect(QRectF(panel).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);

    const int left = panel.left() + 24;
    const int width = panel.width() - 48;
    int y = panel.top() + 20;
    painter.setPen(look::kNavy);
    y += DrawWrapped(painter, title_, PanelFont(24), left, y, width) + 16;
    painter.setPen(look::kText);
    for (const QString& line : body_)
        y += DrawWrapped(painter, line, PanelFont(14), left, y, width) + 8;
    y += 12;
    painter.setPen(look::kSubText);
    for (const QString& note : notes_)
        y += DrawWrapped(painter, note, PanelFont(12), left, y, width) + 4;
}

} // namespace vantrel
