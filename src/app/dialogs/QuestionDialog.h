#pragma once

// The questions a salvage worker asks through the frame: overwrite an existing file
// (dialog 101), recover a file beyond the 4 GB limit of a FAT destination (dialog 103),
// and go on after a file failed. The answer is the number of the button pressed.

#include "engine/request/Messages.h"

#include <QDialog>
#include <QIcon>
#include <cstdint>

class QHBoxLayout;

namespace vantrel {

class FileEntry;

// One file shown in a question: its icon, and the size line and time line.
struct QuestionFile {
    QString name;
    QIcon icon;
    QString sizeAndTime; // "<size>\n<time>", or the unknown placeholder
};

// The file's icon by its name (its type), as the views show it.
QIcon FileIconForName(const QString& name);
// The lines shown for a found entry, and for a file on the destination (the
// placeholder when it cannot be examined).
QuestionFile DescribeEntry(const FileEntry& entry);
QuestionFile DescribeExistingFile(const QString& path);

class QuestionDialog : public QDialog {
    Q_OBJECT

public:
    enum class Kind { Overwrite, SizeLimit, ContinueAfterFailure };

    // existing: the file already at the destination (Overwrite only); detail: the error
    // text (ContinueAfterFailure only).
    QuestionDialog(Kind kind, const QuestionFile& entry, const QuestionFile& existing,
                   const QString& detail, QWidget* parent = nullptr);

    // The answer: the button's number, or the answer that closing the window means.
    int answer() const { return answer_; }
    // Presses the button of that answer (tests and keyboard users alike).
    bool press(int answer);
    // Closing the window: cancel where there is a cancel button, otherwise "いいえ".
    void reject() override;

private:
    void addButton(const QString& text, int answer, bool isDefault = false);

    Kind kind_;
    int answer_;
    QHBoxLayout* buttons_;
};

// Runs the question of a request (0x46A, 0x46B or 0x46C) modally and returns its answer.
// entry is the request's pointer; text is the existing file's path (0x46A), the
// destination folder (0x46C) or the error (0x46B).
int AskSalvageQuestion(QWidget* parent, msg::MessageId message, const FileEntry* entry,
                       const QString& text);

} // namespace vantrel
