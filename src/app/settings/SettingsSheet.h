#pragma once

// The settings sheet "設定": 基本設定, 対象ファイル and 除外ファイル, each on a copy of the
// settings. After OK, applyTo copies back the fields each page edits; after Cancel the
// caller does nothing.

#include "engine/settings/ScanSettings.h"

#include <QDialog>

class QTabWidget;

namespace vantrel {

class CVntMFCPropertyPage_Config_Base;
class CVntMFCPropertyPage_Config_SalvageFiles;
class CVntMFCPropertyPage_Config_SkipFiles;

class SettingsSheet : public QDialog {
    Q_OBJECT

public:
    explicit SettingsSheet(const ScanSettings& settings, QWidget* parent = nullptr);

    void applyTo(ScanSettings& settings) const;

    QTabWidget* tabs() const { return tabs_; }
    CVntMFCPropertyPage_Config_Base* basePage() const { return base_; }
    CVntMFCPropertyPage_Config_SalvageFiles* includePage() const { return include_; }
    CVntMFCPropertyPage_Config_SkipFiles* excludePage() const { return exclude_; }

private:
    QTabWidget* tabs_;
    CVntMFCPropertyPage_Config_Base* base_;
    CVntMFCPropertyPage_Config_SalvageFiles* include_;
    CVntMFCPropertyPage_Config_SkipFiles* exclude_;
};

} // namespace vantrel
