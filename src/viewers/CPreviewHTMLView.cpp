#include "viewers/CPreviewHTMLView.h"

#include <QContextMenuEvent>
#include <QMessageBox>
#include <QMouseEvent>

namespace vantrel {

CPreviewHTMLView::CPreviewHTMLView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setSearchPaths({});
    connect(this, &QTextBrowser::anchorClicked, this, &CPreviewHTMLView::Refuse);
}

QString CPreviewHTMLView::RefusalText() {
    return QStringLiteral("安全のためリンク先は参照出来ないようになっています。");
}

void CPreviewHTMLView::ShowSanitized(const QString& page) {
    QString text = page;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    setHtml(text);
    loaded_ = true;
}

QVariant CPreviewHTMLView::loadResource(int, const QUrl&) {
    return {}; // pictures, style sheets and frames are never fetched
}

void CPreviewHTMLView::doSetSource(const QUrl& name, QTextDocument::ResourceType) {
    Refuse(name);
}

void CPreviewHTMLView::Refuse(const QUrl& url) {
    if (!loaded_)
        return;
    emit navigationRefused(url);
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("プレビュー"), RefusalText(),
                                QMessageBox::Ok, window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void CPreviewHTMLView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

void CPreviewHTMLView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept(); // no double-click action
}

} // namespace vantrel
