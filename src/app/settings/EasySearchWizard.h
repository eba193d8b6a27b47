#pragma once

// The easy-search wizard: 回収元ドライブの選択 (the drive, from the same rows as the
// browse screen's selector), then 対象ファイルの種類を選択 (file-type groups and the NTFS
// names). Its settings start from the defaults, never from the current ones, and replace
// them whole on Finish.

#include "app/settings/PropertyPage.h"
#include "engine/settings/ScanSettings.h"

#include <QIcon>
#include <QString>
#include <vector>

class QCheckBox;
class QComboBox;

namespace vantrel {

// One row of a drive selector.
struct DriveRow {
    QIcon icon;
    QString text;
};

class CVntMFCPropertyPage_EasyConfig_ScanDrive : public CVntMFCPropertyPage {
    Q_OBJECT

public:
    explicit CVntMFCPropertyPage_EasyConfig_ScanDrive(const std::vector<DriveRow>& rows,
                                                      QWidget* parent = nullptr);
    // The selected row (the first when the list is not empty), or -1.
    int driveIndex() const;
    QComboBox* selector() const { return selector_; }

private:
    QComboBox* selector_;
};

class CVntMFCPropertyPage_EasyConfig_Config : public CVntMFCPropertyPage {
    Q_OBJECT

public:
    explicit CVntMFCPropertyPage_EasyConfig_Config(QWidget* parent = nullptr);
    EasySearchChoice choice() const;

    QCheckBox* includeSwitch() const { return include_; } // 1095
    QCheckBox* images() const { return images_; }         // 1041
    QCheckBox* video() const { return video_; }           // 1042
    QCheckBox* audio() const { return audio_; }           // 1043
    QCheckBox* documents() const { return documents_; }   // 1044
    QCheckBox* excludeSwitch() const { return exclude_; } // 1099
    QCheckBox* ntfsNames() const { return ntfs_; }        // 1100

private:
    void applyEnableRules();

    QCheckBox* include_;
    QCheckBox* images_;
    QCheckBox* video_;
    QCheckBox* audio_;
    QCheckBox* documents_;
    QCheckBox* exclude_;
    QCheckBox* ntfs_;
};

class EasySearchWizard : public CVntMFCWizard {
    Q_OBJECT

public:
    EasySearchWizard(const std::vector<DriveRow>& rows, QWidget* parent = nullptr);

    int driveIndex() const { return drivePage_->driveIndex(); }
    // The record that replaces the scan settings (dates of the day `now` falls in).
    ScanSettings settings(std::int64_t now) const;

    CVntMFCPropertyPage_EasyConfig_ScanDrive* drivePage() const { return drivePage_; }
    CVntMFCPropertyPage_EasyConfig_Config* typePage() const { return typePage_; }

private:
    CVntMFCPropertyPage_EasyConfig_ScanDrive* drivePage_;
    CVntMFCPropertyPage_EasyConfig_Config* typePage_;
};

} // namespace vantrel
