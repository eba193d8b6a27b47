#include "app/settings/EasySearchWizard.h"

#include "skin/ElidedComboBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace vantrel {
namespace {

QString GroupName(FileTypeGroup group) {
    const std::u16string_view name = FileTypeGroupName(group);
    return QString(reinterpret_cast<const QChar*>(name.data()),
                   static_cast<qsizetype>(name.size()));
}

} // namespace

CVntMFCPropertyPage_EasyConfig_ScanDrive::CVntMFCPropertyPage_EasyConfig_ScanDrive(
    const std::vector<DriveRow>& rows, QWidget* parent)
    : CVntMFCPropertyPage(QStringLiteral("回収元ドライブの選択"), parent),
      selector_(new ElidedComboBox) { // 1010
    auto* label = new QLabel(QStringLiteral("回収元ドライブ(&D):"));
    label->setBuddy(selector_);
    for (const DriveRow& row : rows)
        selector_->addItem(row.icon, row.text);
    selector_->setIconSize(QSize(16, 16));
    selector_->setMaxVisibleItems(256 / 20);
    selector_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    selector_->setMinimumContentsLength(30);
    if (!rows.empty())
        selector_->setCurrentIndex(0);
    auto* note = new QLabel(QStringLiteral("ファイルを探すドライブを選んでください。\n"
                                           "回収したファイルは、このドライブとは別のドライブに"
                                           "保存してください。"));
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(selector_);
    layout->addSpacing(16);
    layout->addWidget(note);
    layout->addStretch(1);
}

int CVntMFCPropertyPage_EasyConfig_ScanDrive::driveIndex() const {
    return selector_->currentIndex();
}

CVntMFCPropertyPage_EasyConfig_Config::CVntMFCPropertyPage_EasyConfig_Config(QWidget* parent)
    : CVntMFCPropertyPage(QStringLiteral("対象ファイルの種類を選択"), parent),
      include_(new QCheckBox(QStringLiteral("対象ファイルの種類を選択"))),
      images_(new QCheckBox(GroupName(FileTypeGroup::Images))),
      video_(new QCheckBox(GroupName(FileTypeGroup::Video))),
      audio_(new QCheckBox(GroupName(FileTypeGroup::Audio))),
      documents_(new QCheckBox(GroupName(FileTypeGroup::Documents))),
      exclude_(new QCheckBox(QStringLiteral("除外するファイルの種類を選択"))),
      ntfs_(new QCheckBox(QStringLiteral("NTFS特殊ファイル"))) {
    const EasySearchChoice defaults;
    include_->setChecked(defaults.includePatternsOn);
    images_->setChecked(defaults.images);
    video_->setChecked(defaults.video);
    audio_->setChecked(defaults.audio);
    documents_->setChecked(defaults.documents);
    exclude_->setChecked(defaults.excludePatternsOn);
    ntfs_->setChecked(defaults.ntfsSpecialNames);

    auto* includeBox = new QGroupBox;
    auto* includeGrid = new QGridLayout(includeBox);
    includeGrid->addWidget(include_, 0, 0, 1, 4);
    includeGrid->addWidget(images_, 1, 0);
    includeGrid->addWidget(video_, 1, 1);
    includeGrid->addWidget(audio_, 1, 2);
    includeGrid->addWidget(documents_, 1, 3);
    includeGrid->setColumnMinimumWidth(0, 80);

    auto* excludeBox = new QGroupBox;
    auto* excludeGrid = new QGridLayout(excludeBox);
    excludeGrid->addWidget(exclude_, 0, 0, 1, 2);
    excludeGrid->addWidget(ntfs_, 1, 0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(includeBox);
    layout->addWidget(excludeBox);
    layout->addStretch(1);

    connect(include_, &QCheckBox::toggled, this, [this] { applyEnableRules(); });
    connect(exclude_, &QCheckBox::toggled, this, [this] { applyEnableRules(); });
    applyEnableRules();
}

void CVntMFCPropertyPage_EasyConfig_Config::applyEnableRules() {
    for (QCheckBox* group : {images_, video_, audio_, documents_})
        group->setEnabled(include_->isChecked());
    ntfs_->setEnabled(exclude_->isChecked());
}

EasySearchChoice CVntMFCPropertyPage_EasyConfig_Config::choice() const {
    EasySearchChoice choice;
    choice.includePatternsOn = include_->isChecked();
    choice.images = images_->isChecked();
    choice.video = video_->isChecked();
    choice.audio = audio_->isChecked();
    choice.documents = documents_->isChecked();
    choice.excludePatternsOn = exclude_->isChecked();
    choice.ntfsSpecialNames = ntfs_->isChecked();
    return choice;
}

EasySearchWizard::EasySearchWizard(const std::vector<DriveRow>& rows, QWidget* parent)
    : CVntMFCWizard(parent), drivePage_(new CVntMFCPropertyPage_EasyConfig_ScanDrive(rows)),
      typePage_(new CVntMFCPropertyPage_EasyConfig_Config) {
    addPage(drivePage_);
    addPage(typePage_);
    setWindowTitle(drivePage_->windowTitle());
}

ScanSettings EasySearchWizard::settings(std::int64_t now) const {
    return MakeEasySearchSettings(typePage_->choice(), now);
}

} // namespace vantrel
