#pragma once

// A number field for byte counts: digits only, right-aligned, with a square up-down arrow
// pair at its right. Unsigned 64-bit value, bounds and step; reading parses the text
// (empty reads as the minimum, an over-long number as the maximum, anything else is
// clamped), and the arrows step without wrapping.

#include <QWidget>
#include <cstdint>

class QLineEdit;
class QToolButton;

namespace vantrel {

class NumberSpinEdit : public QWidget {
    Q_OBJECT

public:
    explicit NumberSpinEdit(QWidget* parent = nullptr);

    void setRange(std::uint64_t minimum, std::uint64_t maximum);
    void setStep(std::uint64_t step) { step_ = step; }
    std::uint64_t minimum() const { return minimum_; }
    std::uint64_t maximum() const { return maximum_; }

    // Parses the text as it stands.
    std::uint64_t value() const;
    // Clamped into the bounds and written as text.
    void setValue(std::uint64_t value);

    void stepUp();
    void stepDown();

    QLineEdit* lineEdit() const { return edit_; }
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
    std::uint64_t minimum_ = 0;
    std::uint64_t maximum_ = UINT64_MAX;
    std::uint64_t step_ = 1;
};

} // namespace vantrel
