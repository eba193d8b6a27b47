#include "skin/ProgramLook.h"

#include "skin/Artwork.h"
#include "skin/Fonts.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace vantrel {
namespace {

QString ColorName(const QColor& color) {
    return color.name(QColor::HexRgb);
}

QPalette ProgramPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, look::kScreen);
    palette.setColor(QPalette::WindowText, look::kText);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(246, 249, 252));
    palette.setColor(QPalette::Text, look::kText);
    palette.setColor(QPalette::Button, look::kToolbar);
    palette.setColor(QPalette::ButtonText, look::kText);
    palette.setColor(QPalette::Highlight, look::kBlue);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 230));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::Link, look::kBlue);
    palette.setColor(QPalette::PlaceholderText, look::kSubText);
    palette.setColor(QPalette::Light, look::kLightPen);
    palette.setColor(QPalette::Mid, look::kMidPen);
    palette.setColor(QPalette::Dark, look::kDarkPen);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, look::kDeletedText);
    }
    return palette;
}

QString ProgramStyleSheet() {
    return QStringLiteral(R"(
QStatusBar { background: %1; border-top: 1px solid %2; color: %3; }
QStatusBar::item { border: none; }
QMenuBar { background: %1; border-bottom: 1px solid %4; }
QMenuBar::item:selected { background: %5; color: white; }
QHeaderView::section { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 %1);
                       border: none; border-right: 1px solid %4; border-bottom: 1px solid %2;
                       padding: 3px 6px; color: %3; }
QTreeView, QListView, QTableView { border: 1px solid %6; }
)")
        .arg(ColorName(look::kToolbar), ColorName(look::kDarkPen), ColorName(look::kText),
             ColorName(look::kMidPen), ColorName(look::kBlue), ColorName(look::kPanelBorder));
}

} // namespace

void ApplyProgramLook(QApplication& application) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);
    }
    QApplication::setPalette(ProgramPalette());
    QApplication::setFont(InterfaceFont());
    QApplication::setWindowIcon(ProgramIcon());
    application.setStyleSheet(ProgramStyleSheet());
}

} // namespace vantrel
