#include "viewers/CPreviewFrame.h"

#include "skin/Artwork.h"
#include "skin/Fonts.h"
#include "viewers/CPreviewEditView.h"
#include "viewers/CPreviewHTMLView.h"
#include "viewers/PreviewImagePane.h"
#include "viewers/RichTextDocument.h"

#include <QLabel>
#include <QLocale>
#include <QStackedWidget>
#include <QStatusBar>
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

    setWindowIcon(ProgramIcon());
    setWindowTitle(QStringLiteral("プレビュー - ") +
                   QString::fromStdU16String(entry_ ? entry_->Name() : std::u16string()));

    if (entry_ && entry_->Size() > kReadAtOnce) {
        loading_ = true;
        imagePane_->SetState(PreviewImagePane::State::loading);
        panes_->setCurrentWidget(imagePane_);
        reading_ = std::thread([this] {
            StoppableReader reader(*entry_, stop_);
            auto preview = std::make_shared<Preview>(Classify(reader));
            if (stop_.load())
                return;
            // Posted to the window: dropped if the window goes first.
            QMetaObject::invokeMethod(
                this, [this, preview] { Show(std::move(*preview)); }, Qt::QueuedConnection);
        });
        return;
    }
    Show(entry_ ? Classify(*entry_) : Preview{});
}

CPreviewFrame::~CPreviewFrame() {
    stop_.store(true);
    if (reading_.joinable())
        reading_.join();
}

Preview CPreviewFrame::Classify(EntryReader& reader) {
    return ClassifyPreview(
        reader, [](Bytes bytes) { return PreviewImagePane::Decodes(bytes.data(), bytes.size()); },
        {}, [](Bytes bytes) { return PreviewImagePane::Recognises(bytes.data(), bytes.size()); });
}

void CPreviewFrame::Show(Preview preview) {
    if (reading_.joinable())
        reading_.join(); // it has posted its result and ends
    loading_ = false;
    preview_ = std::move(preview);
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
    if (preview_.shownBytes != 0 && entry_) {
        const QLocale numbers(QLocale::Japanese, QLocale::Japan);
        partNote_ = new QLabel(
            QStringLiteral("ファイルの先頭 %1 バイトだけを表示しています (ファイルのサイズは %2 "
                           "バイト)。")
                .arg(numbers.toString(static_cast<qulonglong>(preview_.shownBytes)),
                     numbers.toString(static_cast<qulonglong>(entry_->Size()))),
            this);
        partNote_->setFont(InterfaceFont());
        statusBar()->addWidget(partNote_);
        statusBar()->show(); // made after the window was shown
    }
    panes_->setCurrentWidget(ShownPane());
    emit classified();
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
