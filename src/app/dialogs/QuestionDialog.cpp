#include "app/dialogs/QuestionDialog.h"

#include "app/settings/PropertyPage.h"
#include "engine/salvage/QuestionText.h"
#include "engine/tree/FileEntry.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeDatabase>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vantrel {
namespace {

// 283 x 142 dialog units.
constexpr int kDialogWidth = 425;
constexpr int kDialogHeight = 213;

QString SizeAndTime(std::uint64_t size, const FileTime& time) {
    const std::u16string when = ModifyTimeText(time);
    if (when.empty())
        return QString::fromStdU16String(SizeText(size));
    return QString::fromStdU16String(SizeText(size)) + QLatin1Char('\n') +
           QString::fromStdU16String(when);
}

QLabel* IconLabel(const QIcon& icon, int size) {
    auto* label = new QLabel;
    label->setPixmap(icon.pixmap(size, size));
    label->setFixedSize(size, size);
    return label;
}

// An icon and the two text lines beside it.
QWidget* FileBlock(const QuestionFile& file) {
    auto* block = new QWidget;
    auto* row = new QHBoxLayout(block);
    row->setContentsMargins(24, 0, 0, 0);
    row->addWidget(IconLabel(file.icon, 32), 0, Qt::AlignTop);
    auto* text = new QLabel(file.sizeAndTime);
    text->setTextFormat(Qt::PlainText);
    row->addWidget(text, 1);
    return block;
}

QLabel* TextLine(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

} // namespace

QIcon FileIconForName(const QString& name) {
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}

QuestionFile DescribeEntry(const FileEntry& entry) {
    const QString name = QString::fromStdU16String(entry.name);
    return {name, FileIconForName(name), SizeAndTime(entry.size, entry.modifyTime)};
}

QuestionFile DescribeExistingFile(const QString& path) {
    const QFileInfo info(path);
    QuestionFile file{info.fileName(), FileIconForName(info.fileName()),
                      QString::fromStdU16String(kUnknownSizeAndDate)};
    if (info.exists() && info.isFile()) {
        const QDateTime modified = info.lastModified();
        const FileTime time =
            modified.isValid() ? FileTime(modified.toSecsSinceEpoch()) : FileTime();
        file.sizeAndTime = SizeAndTime(static_cast<std::uint64_t>(info.size()), time);
    }
    return file;
}

QuestionDialog::QuestionDialog(Kind kind, const QuestionFile& entry, const QuestionFile& existing,
                               const QString& detail, QWidget* parent)
    : QDialog(parent), kind_(kind),
      answer_(kind == Kind::Overwrite ? msg::kAnswerCancel : msg::kAnswerNo),
      buttons_(new QHBoxLayout) {
    setFont(DialogFont());
    setMinimumSize(kDialogWidth, kDialogHeight);

    auto* text = new QVBoxLayout;
    switch (kind) {
    case Kind::Overwrite:
        setWindowTitle(QStringLiteral("ファイルの上書きの確認"));
        text->addWidget(TextLine(
            QStringLiteral("このフォルダには既に'%1'ファイルが存在します。").arg(entry.name)));
        text->addWidget(TextLine(QStringLiteral("現在のファイル")));
        text->addWidget(FileBlock(existing));
        text->addWidget(TextLine(QStringLiteral("に次の新しいファイルを上書きしますか?")));
        text->addWidget(FileBlock(entry));
        break;
    case Kind::SizeLimit:
        setWindowTitle(QStringLiteral("ファイルシステム制限の確認"));
        text->addWidget(TextLine(QStringLiteral(
            "以下のファイルは4GBを超えています。\nFATファイルシステムの制限により、4GB以上のファイ"
            "ルを回収することはできません。")));
        text->addWidget(TextLine(entry.name));
        text->addWidget(FileBlock(entry));
        text->addWidget(TextLine(QStringLiteral("このファイルの回収を続行しますか？")));
        text->addWidget(TextLine(QStringLiteral("※回収を続行する場合は4GBに切り詰められます。")));
        break;
    case Kind::ContinueAfterFailure:
        setWindowTitle(QStringLiteral("ファイル回収の続行確認"));
        text->addWidget(TextLine(QStringLiteral("ファイルの回収に失敗しました。")));
        text->addWidget(TextLine(entry.name));
        text->addWidget(FileBlock(entry));
        text->addWidget(TextLine(QStringLiteral("(%1)").arg(detail)));
        text->addWidget(TextLine(QStringLiteral("失敗を無視して続行しますか?")));
        text->addWidget(
            TextLine(QStringLiteral("※いいえを選択した場合はこのファイルで回収が終了します。")));
        break;
    }
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(IconLabel(style()->standardIcon(QStyle::SP_MessageBoxWarning), 32), 0,
                   Qt::AlignTop);
    top->addLayout(text, 1);

    buttons_->addStretch(1);
    addButton(QStringLiteral("はい"), msg::kAnswerYes, true);
    addButton(kind == Kind::Overwrite   ? QStringLiteral("すべて上書き")
              : kind == Kind::SizeLimit ? QStringLiteral("すべてはい")
                                        : QStringLiteral("すべて無視"),
              msg::kAnswerYesToAll);
    addButton(QStringLiteral("いいえ"), msg::kAnswerNo);
    if (kind == Kind::Overwrite)
        addButton(QStringLiteral("キャンセル"), msg::kAnswerCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons_);
}

void QuestionDialog::addButton(const QString& text, int answer, bool isDefault) {
    auto* button = new QPushButton(text);
    button->setProperty("answer", answer);
    button->setDefault(isDefault);
    button->setMinimumWidth(80);
    connect(button, &QPushButton::clicked, this, [this, answer] {
        answer_ = answer;
        done(answer);
    });
    buttons_->addWidget(button);
}

bool QuestionDialog::press(int answer) {
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button->property("answer").toInt() == answer) {
            button->click();
            return true;
        }
    }
    return false;
}

void QuestionDialog::reject() {
    // Closing the window: cancel where there is a cancel button, otherwise "いいえ".
    answer_ = kind_ == Kind::Overwrite ? msg::kAnswerCancel : msg::kAnswerNo;
    QDialog::reject();
}

int AskSalvageQuestion(QWidget* parent, msg::MessageId message, const FileEntry* entry,
                       const QString& text) {
    const QuestionFile shown = entry ? DescribeEntry(*entry)
                                     : QuestionFile{QString(), FileIconForName(QString()),
                                                    QString::fromStdU16String(kUnknownSizeAndDate)};
    QuestionDialog::Kind kind = QuestionDialog::Kind::Overwrite;
    if (message == msg::kAskSizeLimit)
        kind = QuestionDialog::Kind::SizeLimit;
    else if (message == msg::kAskContinueAfterFailure)
        kind = QuestionDialog::Kind::ContinueAfterFailure;
    const QuestionFile existing =
        kind == QuestionDialog::Kind::Overwrite ? DescribeExistingFile(text) : QuestionFile{};
    QuestionDialog dialog(kind, shown, existing,
                          kind == QuestionDialog::Kind::ContinueAfterFailure ? text : QString(),
                          parent);
    dialog.exec();
    return dialog.answer();
}

} // namespace vantrel
