#include "dialogs/common/spin_field.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include "dialogs/common/field_fit.h"

namespace vantor {

SpinField::SpinField(QWidget* parent) : QAbstractSpinBox(parent) {
    setAlignment(Qt::AlignRight);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setKeyboardTracking(true);
    setAccelerated(false);
    lineEdit()->setTextMargins(4, 0, 4, 0);
    showStartOf(lineEdit());
}

QString SpinField::value() const { return lineEdit()->text(); }

void SpinField::setValue(const QString& text) {
    if (lineEdit()->text() != text) lineEdit()->setText(text);
}

void SpinField::setMaxLength(int length) { lineEdit()->setMaxLength(length); }

void SpinField::setTextMargin(int pixels) { lineEdit()->setTextMargins(pixels, 0, pixels, 0); }

void SpinField::setPreferredWidth(int width) {
    preferredWidth_ = width;
    updateGeometry();
}

QSize SpinField::sizeHint() const {
    QSize hint = QAbstractSpinBox::sizeHint();
    if (preferredWidth_ > 0) hint.setWidth(preferredWidth_);
    return hint;
}

void SpinField::stepBy(int steps) {
    if (!onStep || steps == 0) return;
    const int direction = steps > 0 ? 1 : -1;
    for (int k = 0; k < (steps > 0 ? steps : -steps); ++k) onStep(direction);
}

QAbstractSpinBox::StepEnabled SpinField::stepEnabled() const { return StepUpEnabled | StepDownEnabled; }

QValidator::State SpinField::validate(QString&, int&) const {
    // Any text may be typed; the owner reads it with its own rules.
    return QValidator::Acceptable;
}

void SpinField::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit enterPressed();
            event->accept();
            return;
        case Qt::Key_Escape:
            emit escapePressed();
            event->accept();
            return;
        default: QAbstractSpinBox::keyPressEvent(event);
    }
}

void SpinField::mousePressEvent(QMouseEvent* event) {
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    const QStyle::SubControl hit =
        style()->hitTestComplexControl(QStyle::CC_SpinBox, &option, event->position().toPoint(), this);
    arrowPressed_ = event->button() == Qt::LeftButton && (hit == QStyle::SC_SpinBoxUp || hit == QStyle::SC_SpinBoxDown);
    // The base steps once and keeps stepping while the arrow is held.
    QAbstractSpinBox::mousePressEvent(event);
}

void SpinField::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractSpinBox::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && arrowPressed_) {
        arrowPressed_ = false;
        emit arrowReleased();
    }
}

void SpinField::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) emit focusLeft();
}

}  // namespace vantor
