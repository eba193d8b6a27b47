#pragma once

// The preview window: decides once what the file is and shows it in one of four panes
// (picture or message, text or RTF, sanitised HTML, document text or tag summary). A small
// file is read at once; a larger one on a thread of its own while the window says that it
// is reading, so that a slow disk or a large file never stops the program's windows.

#include "viewers/core/EntryReader.h"
#include "viewers/core/PreviewClassifier.h"

#include <QMainWindow>
#include <atomic>
#include <memory>
#include <thread>

class QLabel;
class QStackedWidget;
class QTextEdit;

namespace vantrel {

class PreviewImagePane;
class CPreviewEditView;
class CPreviewHTMLView;

class CPreviewFrame : public QMainWindow {
    Q_OBJECT
public:
    // Files up to this size are read before the window is shown.
    static constexpr std::uint64_t kReadAtOnce = std::uint64_t{1} << 20;

    CPreviewFrame(std::unique_ptr<EntryReader> entry, QWidget* owner = nullptr);
    // Stops the reading thread and waits for it (one piece of StoppableReader at most):
    // the entry may be freed once the window is gone.
    ~CPreviewFrame() override;

    // True until the kind is decided; the kind is none meanwhile.
    bool Loading() const { return loading_; }
    PreviewKind Kind() const { return preview_.kind; }
    QWidget* ShownPane() const;
    PreviewImagePane* ImagePane() const { return imagePane_; }
    QTextEdit* RichTextView() const { return richTextView_; }
    CPreviewHTMLView* HtmlView() const { return htmlView_; }
    CPreviewEditView* EditView() const { return editView_; }
    // The note that only the beginning of the file is shown; null when all of it is.
    QLabel* PartNote() const { return partNote_; }

signals:
    // The kind is decided and its pane shows the file.
    void classified();

private:
    static Preview Classify(EntryReader& reader);
    void Show(Preview preview);

    std::unique_ptr<EntryReader> entry_;
    Preview preview_;
    bool loading_ = false;
    std::atomic<bool> stop_{false};
    std::thread reading_;
    QStackedWidget* panes_ = nullptr;
    PreviewImagePane* imagePane_ = nullptr;
    QTextEdit* richTextView_ = nullptr;
    CPreviewHTMLView* htmlView_ = nullptr;
    CPreviewEditView* editView_ = nullptr;
    QLabel* partNote_ = nullptr;
};

} // namespace vantrel
