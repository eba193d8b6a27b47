#include "app/settings/ConfigPages.h"

#include "app/settings/NumberSpinEdit.h"
#include "app/settings/PatternListEditor.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace vantrel {
namespace {

// Stored seconds are shown as UTC calendar time, without any zone shift.
void ShowUtc(std::int64_t seconds, QDateEdit* date, QTimeEdit* time) {
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    date->setDate(utc.date());
    time->setTime(utc.time());
}

std::int64_t ReadUtc(const QDateEdit* date, const QTimeEdit* time) {
    return QDateTime(date->date(), time->time(), Qt::UTC).toSecsSinceEpoch();
}

void SetUpPicker(QDateEdit* date, QTimeEdit* time) {
    date->setTimeSpec(Qt::UTC);
    date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    date->setCalendarPopup(true);
    date->setMinimumDate(QDate(1970, 1, 1));
    date->setMinimumWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("8888/88/88")) + 48);
    time->setTimeSpec(Qt::UTC);
    time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
}

} // namespace

CVntMFCPropertyPage_Config_Base::CVntMFCPropertyPage_Config_Base(const ScanSettings& settings,
                                                                 QWidget* parent)
    : CVntMFCPropertyPage(QStringLiteral("基本設定"), parent),
      emptyFiles_(new QCheckBox(QStringLiteral("空のファイルを対象にする"))),     // 1016
      deletedFiles_(new QCheckBox(QStringLiteral("削除ファイルを対象にする"))),   // 1017
      deletedFolders_(new QCheckBox(QStringLiteral("削除フォルダを対象にする"))), // 1018
      dateFilter_(new QCheckBox(QStringLiteral("ファイルの更新日時を指定"))),     // 1048
      sizeFilter_(new QCheckBox(QStringLiteral("ファイルのサイズを指定"))),       // 1047
      fromDate_(new QDateEdit), fromTime_(new QTimeEdit), toDate_(new QDateEdit), // 1090
      toTime_(new QTimeEdit), minimum_(new NumberSpinEdit),                       // 1091, 1086
      maximum_(new NumberSpinEdit) {                                              // 1031
    SetUpPicker(fromDate_, fromTime_);
    SetUpPicker(toDate_, toTime_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(emptyFiles_);
    layout->addWidget(deletedFiles_);
    layout->addWidget(deletedFolders_);
    layout->addSpacing(8);

    auto* dates = new QGroupBox;
    auto* dateGrid = new QGridLayout(dates);
    dateGrid->addWidget(dateFilter_, 0, 0, 1, 4);
    dateGrid->addWidget(new QLabel(QStringLiteral("日付:")), 1, 0);
    dateGrid->addWidget(fromDate_, 1, 1);
    dateGrid->addWidget(fromTime_, 1, 2);
    dateGrid->addWidget(new QLabel(QStringLiteral("から")), 1, 3);
    dateGrid->addWidget(toDate_, 2, 1);
    dateGrid->addWidget(toTime_, 2, 2);
    dateGrid->setColumnStretch(4, 1);
    layout->addWidget(dates);

    auto* sizes = new QGroupBox;
    auto* sizeGrid = new QGridLayout(sizes);
    sizeGrid->addWidget(sizeFilter_, 0, 0, 1, 3);
    sizeGrid->addWidget(new QLabel(QStringLiteral("最小:")), 1, 0);
    sizeGrid->addWidget(minimum_, 1, 1);
    sizeGrid->addWidget(new QLabel(QStringLiteral("最大:")), 2, 0);
    sizeGrid->addWidget(maximum_, 2, 1);
    sizeGrid->addWidget(new QLabel(QStringLiteral("バイト")), 1, 2);
    sizeGrid->addWidget(new QLabel(QStringLiteral("バイト")), 2, 2);
    sizeGrid->setColumnStretch(1, 1);
    layout->addWidget(sizes);
    layout->addStretch(1);

    emptyFiles_->setChecked(settings.includeEmptyFiles);
    deletedFiles_->setChecked(settings.includeDeletedFiles);
    deletedFolders_->setChecked(settings.includeDeletedFolders);
    dateFilter_->setChecked(settings.dateFilterOn);
    sizeFilter_->setChecked(settings.sizeFilterOn);
    ShowUtc(settings.dateFrom, fromDate_, fromTime_);
    ShowUtc(settings.dateTo, toDate_, toTime_);
    minimum_->setValue(settings.minimumSize);
    maximum_->setValue(settings.maximumSize);

    connect(dateFilter_, &QCheckBox::clicked, this, [this] { applyEnableRules(); });
    connect(sizeFilter_, &QCheckBox::clicked, this, [this] { applyEnableRules(); });
    applyEnableRules();
}

void CVntMFCPropertyPage_Config_Base::applyEnableRules() {
    const bool dates = dateFilter_->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(fromDate_), static_cast<QWidget*>(fromTime_),
                       static_cast<QWidget*>(toDate_), static_cast<QWidget*>(toTime_)})
        w->setEnabled(dates);
    minimum_->setEnabled(sizeFilter_->isChecked());
    maximum_->setEnabled(sizeFilter_->isChecked());
}

void CVntMFCPropertyPage_Config_Base::store(ScanSettings& settings) const {
    settings.includeEmptyFiles = emptyFiles_->isChecked();
    settings.includeDeletedFiles = deletedFiles_->isChecked();
    settings.includeDeletedFolders = deletedFolders_->isChecked();
    settings.sizeFilterOn = sizeFilter_->isChecked();
    settings.minimumSize = minimum_->value();
    settings.maximumSize = maximum_->value();
    settings.dateFilterOn = dateFilter_->isChecked();
    settings.dateFrom = ReadUtc(fromDate_, fromTime_);
    settings.dateTo = ReadUtc(toDate_, toTime_);
}

CVntMFCPropertyPage_Config_PatternList::CVntMFCPropertyPage_Config_PatternList(
    const QString& title, const QString& switchText, bool on,
    const std::vector<std::u16string>& patterns, QWidget* parent)
    : CVntMFCPropertyPage(title, parent), switch_(new QCheckBox(switchText)), // 1092
      editor_(new PatternListEditor) {                                        // 1093
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(switch_);
    layout->addWidget(editor_, 1);
    switch_->setChecked(on);
    editor_->setPatterns(patterns);
    editor_->setEnabled(on);
    connect(switch_, &QCheckBox::toggled, editor_, &QWidget::setEnabled);
}

CVntMFCPropertyPage_Config_SalvageFiles::CVntMFCPropertyPage_Config_SalvageFiles(
    const ScanSettings& settings, QWidget* parent)
    : CVntMFCPropertyPage_Config_PatternList(
          QStringLiteral("対象ファイル"), QStringLiteral("対象にするファイルを指定"),
          settings.includePatternsOn, settings.includePatterns, parent) {}

void CVntMFCPropertyPage_Config_SalvageFiles::store(ScanSettings& settings) const {
    settings.includePatternsOn = switch_->isChecked();
    settings.includePatterns = editor_->patterns();
}

CVntMFCPropertyPage_Config_SkipFiles::CVntMFCPropertyPage_Config_SkipFiles(
    const ScanSettings& settings, QWidget* parent)
    : CVntMFCPropertyPage_Config_PatternList(
          QStringLiteral("除外ファイル"), QStringLiteral("除外するファイルを指定"),
          settings.excludePatternsOn, settings.excludePatterns, parent) {}

void CVntMFCPropertyPage_Config_SkipFiles::store(ScanSettings& settings) const {
    settings.excludePatternsOn = switch_->isChecked();
    settings.excludePatterns = editor_->patterns();
}

} // namespace vantrel
