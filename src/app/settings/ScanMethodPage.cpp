#include "app/settings/ScanMethodPage.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantrel {

CVntMFCPropertyPage_ScanMethod::CVntMFCPropertyPage_ScanMethod(QWidget* parent)
    : CVntMFCPropertyPage(QStringLiteral("スキャン方式"), parent),
      methods_(new QButtonGroup(this)) {
    struct Choice {
        const char* name;
        const char* explanation;
    };
    static constexpr Choice kChoices[] = {
        {"自動で選択", "：ディスクの状態を自動的に判別して下記方式から選択します"}, // 1019
        {"データベース方式", "：ファイルシステムを判別できないディスクに有効です"}, // 1020
        {"FAT方式", "：FATフォーマットされていたディスクに有効です"},               // 1021
        {"NTFS方式", "：NTFSフォーマットされていたディスクに有効です"},             // 1022
    };
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    int index = 0;
    for (const Choice& choice : kChoices) {
        auto* button = new QRadioButton(QString::fromUtf8(choice.name));
        methods_->addButton(button, index);
        grid->addWidget(button, index, 0);
        grid->addWidget(new QLabel(QString::fromUtf8(choice.explanation)), index, 1);
        ++index;
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addSpacing(12);

    auto* about = new QGroupBox(QStringLiteral("スキャン方式について"));
    auto* notes = new QVBoxLayout(about);
    for (const char* note : {"よくわからない場合は「自動で選択」を選んでください。",
                             "「データベース方式」が選択された場合にファイル名を取得することはで"
                             "きません。",
                             "ファイルシステム情報を検出できない場合は方式があっていません。",
                             "そのような場合は、異なる方式を選択して再度実行してみてください。"}) {
        auto* label = new QLabel(QString::fromUtf8(note));
        label->setWordWrap(true);
        notes->addWidget(label);
    }
    layout->addWidget(about);
    layout->addStretch(1);
    setMethodIndex(0);
}

int CVntMFCPropertyPage_ScanMethod::methodIndex() const {
    const int id = methods_->checkedId();
    return id < 0 ? 0 : id;
}

void CVntMFCPropertyPage_ScanMethod::setMethodIndex(int index) {
    if (QAbstractButton* button = methods_->button(index))
        button->setChecked(true);
}

ScanMethodWizard::ScanMethodWizard(QWidget* parent)
    : CVntMFCWizard(parent), page_(new CVntMFCPropertyPage_ScanMethod) {
    addPage(page_);
    setWindowTitle(page_->windowTitle());
}

std::optional<int> AskScanMethod(QWidget* parent) {
    ScanMethodWizard wizard(parent);
    if (wizard.exec() != QDialog::Accepted)
        return std::nullopt;
    return wizard.methodPage()->methodIndex();
}

} // namespace vantrel
