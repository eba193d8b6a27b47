#pragma once

// The base of every settings and wizard page: a page of the fixed dialog size in the
// dialog face, titled (the tab's text in a sheet, the caption in a wizard).

#include <QFont>
#include <QWizard>
#include <QWizardPage>

namespace vantrel {

// 281 x 201 dialog units of the 12-pixel dialog face.
inline constexpr int kPageWidth = 422;
inline constexpr int kPageHeight = 302;

// The face of the settings pages and question dialogs ("ＭＳ Ｐゴシック", 12 pixels).
QFont DialogFont();

class CVntMFCPropertyPage : public QWizardPage {
    Q_OBJECT

public:
    explicit CVntMFCPropertyPage(const QString& title, QWidget* parent = nullptr);
};

// A wizard-mode sheet in the classic look with the Japanese button texts; its caption
// follows the current page's title.
class CVntMFCWizard : public QWizard {
    Q_OBJECT

public:
    explicit CVntMFCWizard(QWidget* parent = nullptr);
};

} // namespace vantrel
