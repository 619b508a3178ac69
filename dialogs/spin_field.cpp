#include "dialogs/spin_field.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "dialogs/field_fit.h"

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
        default:
            QAbstractSpinBox::keyPressEvent(event);
    }
}

}  // namespace vantor
