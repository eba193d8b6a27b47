#include "app/settings/PropertyPage.h"

#include <QAbstractButton>

namespace vantrel {

QFont DialogFont() {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

CVntMFCPropertyPage::CVntMFCPropertyPage(const QString& title, QWidget* parent)
    : QWizardPage(parent) {
    setWindowTitle(title);
    setFont(DialogFont());
    setMinimumSize(kPageWidth, kPageHeight);
}

CVntMFCWizard::CVntMFCWizard(QWidget* parent) : QWizard(parent) {
    setWizardStyle(QWizard::ClassicStyle);
    setFont(DialogFont());
    setOption(QWizard::NoBackButtonOnStartPage, false);
    setButtonText(QWizard::BackButton, QStringLiteral("< 戻る(&B)"));
    setButtonText(QWizard::NextButton, QStringLiteral("次へ(&N) >"));
    setButtonText(QWizard::FinishButton, QStringLiteral("完了"));
    setButtonText(QWizard::CancelButton, QStringLiteral("キャンセル"));
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (QWizardPage* shown = page(id))
            setWindowTitle(shown->windowTitle());
    });
}

} // namespace vantrel
