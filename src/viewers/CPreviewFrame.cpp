#include "viewers/CPreviewFrame.h"

#include "skin/Artwork.h"
#include "skin/Fonts.h"
#include "viewers/CPreviewEditView.h"
#include "viewers/CPreviewHTMLView.h"
#include "viewers/PreviewImagePane.h"
#include "viewers/RichTextDocument.h"

#include <QStackedWidget>
#include <QTextEdit>

namespace vantrel {

CPreviewFrame::CPreviewFrame(std::unique_ptr<EntryReader> entry, QWidget* owner)
    : QMainWindow(owner, Qt::Window), entry_(std::move(entry)) {
    setObjectName(QStringLiteral("CPreviewFrame"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(500, 300);
    resize(640, 480);

    panes_ = new QStackedWidget(this);
    imagePane_ = new PreviewImagePane(panes_);
    richTextView_ = new QTextEdit(panes_);
    richTextView_->setReadOnly(true);
    richTextView_->setLineWrapMode(QTextEdit::NoWrap);
    editView_ = new CPreviewEditView(panes_);
    htmlView_ = new CPreviewHTMLView(panes_);
    for (QWidget* pane : {static_cast<QWidget*>(imagePane_), static_cast<QWidget*>(richTextView_),
                          static_cast<QWidget*>(htmlView_), static_cast<QWidget*>(editView_)})
        panes_->addWidget(pane);
    setCentralWidget(panes_);

    Classify();

    setWindowIcon(ProgramIcon());
    setWindowTitle(QStringLiteral("プレビュー - ") +
                   QString::fromStdU16String(entry_ ? entry_->Name() : std::u16string()));
    panes_->setCurrentWidget(ShownPane());
}

CPreviewFrame::~CPreviewFrame() = default;

void CPreviewFrame::Classify() {
    if (!entry_)
        return;
    preview_ = ClassifyPreview(
        *entry_, [](Bytes bytes) { return PreviewImagePane::Decodes(bytes.data(), bytes.size()); });
    switch (preview_.kind) {
    case PreviewKind::none:
        imagePane_->SetState(preview_.tooLarge ? PreviewImagePane::State::tooLarge
                                               : PreviewImagePane::State::noPicture);
        break;
    case PreviewKind::image:
        imagePane_->SetData(&preview_.data);
        imagePane_->SetState(PreviewImagePane::State::picture);
        break;
    case PreviewKind::text: {
        QString text = QString::fromStdU16String(preview_.text);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        richTextView_->setFont(GothicFont(16));
        richTextView_->setPlainText(text);
        break;
    }
    case PreviewKind::richText:
        if (preview_.rtf)
            FillTextDocument(*richTextView_->document(), *preview_.rtf);
        break;
    case PreviewKind::html:
        htmlView_->ShowSanitized(QString::fromStdU16String(preview_.text));
        break;
    case PreviewKind::documentText:
    case PreviewKind::mp3Tags:
        editView_->setFocus();
        editView_->InsertAtEnd(QString::fromStdU16String(preview_.text));
        break;
    }
    preview_.text.clear(); // the panes hold their own copies
}

QWidget* CPreviewFrame::ShownPane() const {
    switch (preview_.kind) {
    case PreviewKind::image:
    case PreviewKind::none:
        return imagePane_;
    case PreviewKind::text:
    case PreviewKind::richText:
        return richTextView_;
    case PreviewKind::html:
        return htmlView_;
    case PreviewKind::documentText:
    case PreviewKind::mp3Tags:
        return editView_;
    }
    return imagePane_;
}

} // namespace vantrel
