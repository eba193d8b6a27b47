#include "app/settings/NumberSpinEdit.h"

#include "engine/settings/ScanSettings.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QToolButton>

namespace vantrel {

NumberSpinEdit::NumberSpinEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    edit_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* arrow : {up_, down_}) {
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, &NumberSpinEdit::stepUp);
    connect(down_, &QToolButton::clicked, this, &NumberSpinEdit::stepDown);
    setFocusProxy(edit_);
    setValue(0);
}

void NumberSpinEdit::setRange(std::uint64_t minimum, std::uint64_t maximum) {
    minimum_ = minimum;
    maximum_ = maximum < minimum ? minimum : maximum;
    setValue(value());
}

std::uint64_t NumberSpinEdit::value() const {
    return ReadSizeText(edit_->text().toStdString(), minimum_, maximum_);
}

void NumberSpinEdit::setValue(std::uint64_t value) {
    if (value < minimum_)
        value = minimum_;
    if (value > maximum_)
        value = maximum_;
    edit_->setText(QString::number(value));
}

void NumberSpinEdit::stepUp() {
    const std::uint64_t current = value();
    setValue(maximum_ - current < step_ ? maximum_ : current + step_);
}

void NumberSpinEdit::stepDown() {
    const std::uint64_t current = value();
    setValue(current - minimum_ < step_ ? minimum_ : current - step_);
}

QSize NumberSpinEdit::sizeHint() const {
    const QSize edit = edit_->sizeHint();
    return {edit.width() + edit.height(), edit.height()};
}

void NumberSpinEdit::resizeEvent(QResizeEvent* event) {
    const int h = event->size().height();
    const int w = event->size().width();
    const int arrow = h < w ? h : w;
    edit_->setGeometry(0, 0, w - arrow, h);
    up_->setGeometry(w - arrow, 0, arrow, h / 2);
    down_->setGeometry(w - arrow, h / 2, arrow, h - h / 2);
}

void NumberSpinEdit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        up_->setEnabled(isEnabled());
        down_->setEnabled(isEnabled());
    }
    QWidget::changeEvent(event);
}

} // namespace vantrel
