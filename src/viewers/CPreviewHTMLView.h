#pragma once

// The preview's HTML pane: shows only the sanitised text, loads nothing from disk or
// network and refuses every navigation with a message.

#include <QTextBrowser>

namespace vantrel {

class CPreviewHTMLView : public QTextBrowser {
    Q_OBJECT
public:
    explicit CPreviewHTMLView(QWidget* parent = nullptr);

    // Shows the sanitised page (UTF-16 with its byte-order mark first).
    void ShowSanitized(const QString& page);

    QVariant loadResource(int type, const QUrl& name) override;

    static QString RefusalText();

signals:
    // A link was followed or a resource asked for, and refused.
    void navigationRefused(const QUrl& url);

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Refuse(const QUrl& url);

    bool loaded_ = false;
};

} // namespace vantrel
