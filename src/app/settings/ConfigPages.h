#pragma once

// The three pages of the settings sheet: 基本設定, 対象ファイル and 除外ファイル. Each
// shows a copy of the settings and writes back only the fields it edits.

#include "app/settings/PropertyPage.h"
#include "engine/settings/ScanSettings.h"

class QCheckBox;
class QDateEdit;
class QTimeEdit;

namespace vantrel {

class NumberSpinEdit;
class PatternListEditor;

class CVntMFCPropertyPage_Config_Base : public CVntMFCPropertyPage {
    Q_OBJECT

public:
    explicit CVntMFCPropertyPage_Config_Base(const ScanSettings& settings,
                                             QWidget* parent = nullptr);
    // The switches, sizes and dates.
    void store(ScanSettings& settings) const;

    QCheckBox* emptyFiles() const { return emptyFiles_; }
    QCheckBox* deletedFiles() const { return deletedFiles_; }
    QCheckBox* deletedFolders() const { return deletedFolders_; }
    QCheckBox* dateFilter() const { return dateFilter_; }
    QCheckBox* sizeFilter() const { return sizeFilter_; }
    NumberSpinEdit* minimumSize() const { return minimum_; }
    NumberSpinEdit* maximumSize() const { return maximum_; }
    QDateEdit* dateFrom() const { return fromDate_; }
    QDateEdit* dateTo() const { return toDate_; }

private:
    void applyEnableRules();

    QCheckBox* emptyFiles_;
    QCheckBox* deletedFiles_;
    QCheckBox* deletedFolders_;
    QCheckBox* dateFilter_;
    QCheckBox* sizeFilter_;
    QDateEdit* fromDate_;
    QTimeEdit* fromTime_;
    QDateEdit* toDate_;
    QTimeEdit* toTime_;
    NumberSpinEdit* minimum_;
    NumberSpinEdit* maximum_;
};

// A switch and a pattern list, enabled together.
class CVntMFCPropertyPage_Config_PatternList : public CVntMFCPropertyPage {
    Q_OBJECT

public:
    CVntMFCPropertyPage_Config_PatternList(const QString& title, const QString& switchText, bool on,
                                           const std::vector<std::u16string>& patterns,
                                           QWidget* parent);
    QCheckBox* patternSwitch() const { return switch_; }
    PatternListEditor* editor() const { return editor_; }

protected:
    QCheckBox* switch_;
    PatternListEditor* editor_;
};

class CVntMFCPropertyPage_Config_SalvageFiles : public CVntMFCPropertyPage_Config_PatternList {
    Q_OBJECT

public:
    explicit CVntMFCPropertyPage_Config_SalvageFiles(const ScanSettings& settings,
                                                     QWidget* parent = nullptr);
    // The include switch and list.
    void store(ScanSettings& settings) const;
};

class CVntMFCPropertyPage_Config_SkipFiles : public CVntMFCPropertyPage_Config_PatternList {
    Q_OBJECT

public:
    explicit CVntMFCPropertyPage_Config_SkipFiles(const ScanSettings& settings,
                                                  QWidget* parent = nullptr);
    // The exclude switch and list.
    void store(ScanSettings& settings) const;
};

} // namespace vantrel
