#include "app/settings/SettingsSheet.h"

#include "app/settings/ConfigPages.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vantrel {

SettingsSheet::SettingsSheet(const ScanSettings& settings, QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget), base_(new CVntMFCPropertyPage_Config_Base(settings)),
      include_(new CVntMFCPropertyPage_Config_SalvageFiles(settings)),
      exclude_(new CVntMFCPropertyPage_Config_SkipFiles(settings)) {
    setWindowTitle(QStringLiteral("設定"));
    setFont(DialogFont());
    for (CVntMFCPropertyPage* page :
         {static_cast<CVntMFCPropertyPage*>(base_), static_cast<CVntMFCPropertyPage*>(include_),
          static_cast<CVntMFCPropertyPage*>(exclude_)})
        tabs_->addTab(page, page->windowTitle());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
}

void SettingsSheet::applyTo(ScanSettings& settings) const {
    base_->store(settings);
    include_->store(settings);
    exclude_->store(settings);
}

} // namespace vantrel
