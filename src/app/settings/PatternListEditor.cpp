#include "app/settings/PatternListEditor.h"

#include "engine/settings/ScanSettings.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTreeWidget>

namespace vantrel {

PatternListEditor::PatternListEditor(QWidget* parent)
    : QWidget(parent), list_(new QTreeWidget(this)), edit_(new QLineEdit(this)),
      add_(new QPushButton(QStringLiteral("追加"), this)),
      remove_(new QPushButton(QStringLiteral("削除"), this)) {
    list_->setColumnCount(1);
    list_->setHeaderLabels({QStringLiteral("ファイル名")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->header()->setStretchLastSection(true);
    list_->header()->setSectionsMovable(false);
    connect(add_, &QPushButton::clicked, this, &PatternListEditor::addFromEdit);
    connect(remove_, &QPushButton::clicked, this, &PatternListEditor::removeSelected);
    connect(edit_, &QLineEdit::returnPressed, this, &PatternListEditor::addFromEdit);
}

void PatternListEditor::setPatterns(const std::vector<std::u16string>& patterns) {
    list_->clear();
    for (const auto& pattern : patterns)
        list_->addTopLevelItem(new QTreeWidgetItem({QString::fromStdU16String(pattern)}));
}

std::vector<std::u16string> PatternListEditor::patterns() const {
    std::vector<std::u16string> rows;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        rows.push_back(list_->topLevelItem(i)->text(0).toStdU16String());
    return UniquePatterns(rows);
}

int PatternListEditor::rowCount() const {
    return list_->topLevelItemCount();
}

void PatternListEditor::addFromEdit() {
    const QString text = edit_->text();
    if (text.isEmpty())
        return;
    auto* item = new QTreeWidgetItem({text});
    list_->addTopLevelItem(item);
    list_->scrollToItem(item);
    edit_->clear();
}

void PatternListEditor::removeSelected() {
    const auto selected = list_->selectedItems();
    for (QTreeWidgetItem* item : selected)
        delete item;
}

void PatternListEditor::resizeEvent(QResizeEvent* event) {
    const int w = event->size().width();
    const int h = event->size().height();
    list_->setGeometry(0, 0, w, h > 32 ? h - 32 : 0);
    const int row = h - 24;
    edit_->setGeometry(0, row, w > 144 ? w - 144 : 0, 24);
    add_->setGeometry(w - 136, row, 64, 24);
    remove_->setGeometry(w - 64, row, 64, 24);
}

} // namespace vantrel
