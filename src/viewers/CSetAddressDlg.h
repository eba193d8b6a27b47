#pragma once

// Dialog 113, "指定アドレスに移動": a decimal address, never above the last byte.

#include <QDialog>
#include <cstdint>

class QLineEdit;

namespace vantrel {

class CSetAddressDlg : public QDialog {
    Q_OBJECT
public:
    CSetAddressDlg(std::uint64_t maximum, QWidget* parent = nullptr);

    std::uint64_t Result() const { return result_; }
    QLineEdit* Field() const { return field_; }

private:
    void TextChanged(const QString& text);
    void Accept();

    std::uint64_t maximum_;
    std::uint64_t result_ = 0;
    QLineEdit* field_ = nullptr;
};

} // namespace vantrel
