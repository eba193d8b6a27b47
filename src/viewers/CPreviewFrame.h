#pragma once

// The preview window: decides once what the file is and shows it in one of four panes
// (picture or message, text or RTF, sanitised HTML, document text or tag summary).

#include "viewers/core/EntryReader.h"
#include "viewers/core/PreviewClassifier.h"

#include <QMainWindow>
#include <memory>

class QStackedWidget;
class QTextEdit;

namespace vantrel {

class PreviewImagePane;
class CPreviewEditView;
class CPreviewHTMLView;

class CPreviewFrame : public QMainWindow {
    Q_OBJECT
public:
    CPreviewFrame(std::unique_ptr<EntryReader> entry, QWidget* owner = nullptr);
    ~CPreviewFrame() override;

    PreviewKind Kind() const { return preview_.kind; }
    QWidget* ShownPane() const;
    PreviewImagePane* ImagePane() const { return imagePane_; }
    QTextEdit* RichTextView() const { return richTextView_; }
    CPreviewHTMLView* HtmlView() const { return htmlView_; }
    CPreviewEditView* EditView() const { return editView_; }

private:
    void Classify();

    std::unique_ptr<EntryReader> entry_;
    Preview preview_;
    QStackedWidget* panes_ = nullptr;
    PreviewImagePane* imagePane_ = nullptr;
    QTextEdit* richTextView_ = nullptr;
    CPreviewHTMLView* htmlView_ = nullptr;
    CPreviewEditView* editView_ = nullptr;
};

} // namespace vantrel
