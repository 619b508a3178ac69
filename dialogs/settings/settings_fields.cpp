#include "dialogs/settings/settings_fields.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vantor {

bool focusInTextField(const QWidget* dialog) {
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || !dialog->isAncestorOf(focus)) focus = dialog->focusWidget();
    for (const QWidget* w = focus; w && w != dialog; w = w->parentWidget()) {
        if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
            qobject_cast<const QPlainTextEdit*>(w))
            return true;
    }
    return false;
}

QLineEdit* lineEditOf(QWidget* field) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) return edit;
    return field ? field->findChild<QLineEdit*>() : nullptr;
}

DigitSpinField::DigitSpinField(QWidget* parent) : SpinField(parent) {}

QValidator::State DigitSpinField::validate(QString& input, int&) const {
    for (QChar c : input) {
        if (c < '0' || c > '9') return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled ViewSpinField::stepEnabled() const {
    return isReadOnly() ? StepNone : SpinField::stepEnabled();
}

}  // namespace vantor
