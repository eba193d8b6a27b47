#pragma once

// A combo box whose closed box shortens a text longer than its room in the middle, where
// the start (a device's kind) and the end (a file's name) both stay readable, and then
// gives the whole text in its tooltip, before the row's own tooltip if it has one.

#include <QComboBox>

namespace vantrel {

class ElidedComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ElidedComboBox(QWidget* parent = nullptr);

    // The current row's text as the closed box shows it.
    QString shownText() const;
    // The width that shows the longest row whole.
    int contentWidth() const;

protected:
    // Call after rows change.
    void updateToolTip();
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace vantrel
