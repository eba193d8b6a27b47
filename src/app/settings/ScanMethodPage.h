#pragma once

// The スキャン方式 page, shown in a one-page wizard before a scan started from the tree:
// four methods with their explanations and notes. Method index 0 automatic, 1 database,
// 2 FAT, 3 NTFS.

#include "app/settings/PropertyPage.h"

#include <optional>

class QButtonGroup;

namespace vantrel {

class CVntMFCPropertyPage_ScanMethod : public CVntMFCPropertyPage {
    Q_OBJECT

public:
    explicit CVntMFCPropertyPage_ScanMethod(QWidget* parent = nullptr);
    int methodIndex() const;
    void setMethodIndex(int index);

private:
    QButtonGroup* methods_;
};

// The one-page wizard; Back hidden, Finish offered.
class ScanMethodWizard : public CVntMFCWizard {
    Q_OBJECT

public:
    explicit ScanMethodWizard(QWidget* parent = nullptr);
    CVntMFCPropertyPage_ScanMethod* methodPage() const { return page_; }

private:
    CVntMFCPropertyPage_ScanMethod* page_;
};

// Runs the wizard modally: the chosen method index on Finish, nothing on Cancel.
std::optional<int> AskScanMethod(QWidget* parent);

} // namespace vantrel
