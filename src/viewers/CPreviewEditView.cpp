#include "viewers/CPreviewEditView.h"

#include "skin/Fonts.h"

#include <QContextMenuEvent>

namespace vantrel {

CPreviewEditView::CPreviewEditView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(GothicFont(16));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    setPalette(palette);
}

void CPreviewEditView::InsertAtEnd(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    moveCursor(QTextCursor::End);
    insertPlainText(shown);
    ensureCursorVisible();
}

void CPreviewEditView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept(); // no context menu
}

} // namespace vantrel
