#include "viewers/CSetAddressDlg.h"

#include "skin/Fonts.h"
#include "viewers/DialogUnits.h"
#include "viewers/core/DumpWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace vantrel {

CSetAddressDlg::CSetAddressDlg(std::uint64_t maximum, QWidget* parent)
    : QDialog(parent), maximum_(maximum) {
    setObjectName(QStringLiteral("CSetAddressDlg"));
    setWindowTitle(QStringLiteral("指定アドレスに移動"));
    setFont(PGothicFont(12));
    setFixedSize(DluX(122), DluY(48));

    field_ = new QLineEdit(QStringLiteral("0"), this);
    field_->setObjectName(QStringLiteral("1110"));
    field_->setGeometry(DluRect(7, 7, 108, 14));
    field_->setMaxLength(20);
    field_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,20}")), field_));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(DluRect(7, 27, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setGeometry(DluRect(65, 27, 50, 14));

    connect(field_, &QLineEdit::textChanged, this, &CSetAddressDlg::TextChanged);
    connect(ok, &QPushButton::clicked, this, &CSetAddressDlg::Accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    field_->setFocus();
    field_->selectAll();
}

void CSetAddressDlg::TextChanged(const QString& text) {
    const auto clamped = DumpGoToClamp(text.toStdU16String(), maximum_);
    if (clamped)
        field_->setText(QString::fromStdU16String(*clamped));
}

void CSetAddressDlg::Accept() {
    bool ok = false;
    const qulonglong value = field_->text().toULongLong(&ok);
    result_ = ok ? std::min<std::uint64_t>(value, maximum_) : 0;
    accept();
}

} // namespace vantrel
