#pragma once

// The program's progress bar: a 64-bit range and position, drawn as a white rounded box
// with an orange fill.

#include <QMutex>
#include <QWidget>
#include <cstdint>

namespace vantrel {

class ProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);

    // Stores the range and moves the position to the minimum.
    void setRange(std::uint64_t minimum, std::uint64_t maximum);
    // Clamped into the range.
    void setPosition(std::uint64_t position);
    std::uint64_t position() const;
    std::uint64_t minimum() const;
    std::uint64_t maximum() const;

    // Filled pixels of an inner width: (position - minimum) * width / (maximum - minimum),
    // with span and offset reduced by the same power of two so that nothing overflows.
    static int FillWidth(std::uint64_t minimum, std::uint64_t maximum, std::uint64_t position,
                         int innerWidth);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    mutable QMutex lock_;
    std::uint64_t minimum_ = 0;
    std::uint64_t maximum_ = 0;
    std::uint64_t position_ = 0;
};

} // namespace vantrel
