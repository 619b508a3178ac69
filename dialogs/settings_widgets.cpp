#include "dialogs/settings_widgets.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vantor {

FieldKeys::FieldKeys(QWidget* field, std::function<bool(bool enter)> act)
    : QObject(field), act_(std::move(act)) {}

void FieldKeys::install(QWidget* field, std::function<bool(bool enter)> act) {
    field->installEventFilter(new FieldKeys(field, std::move(act)));
}

bool FieldKeys::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return act_(true);
    if (key == Qt::Key_Escape) return act_(false);
    return false;
}

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
