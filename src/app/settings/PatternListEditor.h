#pragma once

// A list of file-name patterns with an edit box and "追加" / "削除" buttons beneath.
// The rows are kept as entered (a duplicate shows twice); reading the list drops the
// later duplicates.

#include <QWidget>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vantrel {

class PatternListEditor : public QWidget {
    Q_OBJECT

public:
    explicit PatternListEditor(QWidget* parent = nullptr);

    void setPatterns(const std::vector<std::u16string>& patterns);
    // In order, each pattern once.
    std::vector<std::u16string> patterns() const;
    int rowCount() const;

    // "追加": the edit box's text as a new last row, unless empty; the box is cleared.
    void addFromEdit();
    // "削除": the selected row.
    void removeSelected();

    QLineEdit* lineEdit() const { return edit_; }
    QTreeWidget* list() const { return list_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTreeWidget* list_;
    QLineEdit* edit_;
    QPushButton* add_;
    QPushButton* remove_;
};

} // namespace vantrel
