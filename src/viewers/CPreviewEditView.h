#pragma once

// The preview's pane for the document text and the MP3 tag summary: read-only text on
// white, without a context menu.

#include <QPlainTextEdit>

namespace vantrel {

class CPreviewEditView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CPreviewEditView(QWidget* parent = nullptr);

    // Inserts text (CR LF line ends) at the end and scrolls to it.
    void InsertAtEnd(const QString& text);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace vantrel
