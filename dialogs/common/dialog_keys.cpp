#include "dialogs/common/dialog_keys.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace vantor {

namespace {

QLineEdit* editOf(QObject* watched) {
    if (auto* edit = qobject_cast<QLineEdit*>(watched)) return edit;
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(watched)) return spin->findChild<QLineEdit*>();
    return nullptr;
}

QPushButton* defaultButton(QDialog* dialog) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
        if (b->isDefault() && b->isVisible()) return b;
    }
    return nullptr;
}

}  // namespace

DialogKeys::DialogKeys(QObject* parent, Handler handler) : QObject(parent), handler_(std::move(handler)) {}

void DialogKeys::installTwoStep(QDialog* dialog) {
    auto* rule = new DialogKeys(dialog, nullptr);
    rule->twoStepDialog_ = dialog;
    rule->handler_ = [rule](bool enter, QWidget* control) { return rule->twoStep(enter, control); };
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        // A spin field's inner line edit is covered through the spin field.
        if (qobject_cast<QAbstractSpinBox*>(w->parent())) continue;
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w)) w->installEventFilter(rule);
    }
}

void DialogKeys::install(QDialog* dialog, Handler handler) {
    auto* keys = new DialogKeys(dialog, std::move(handler));
    dialog->installEventFilter(keys);
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        // The insides of a combo box (its popup) keep their own keys.
        bool insideCombo = false;
        for (QObject* p = w->parent(); p && p != dialog; p = p->parent())
            insideCombo |= qobject_cast<QComboBox*>(p) != nullptr;
        if (!insideCombo && w->focusPolicy() != Qt::NoFocus) w->installEventFilter(keys);
    }
}

void DialogKeys::installOnField(QWidget* field, std::function<bool(bool enter)> act) {
    field->installEventFilter(
        new DialogKeys(field, [act = std::move(act)](bool enter, QWidget*) { return act(enter); }));
}

bool DialogKeys::twoStep(bool enter, QWidget* control) {
    QLineEdit* edit = editOf(control);
    if (!edit) return false;
    if (enter) emit edit->editingFinished();
    else edit->setText(textAtFocus_);
    if (QPushButton* button = defaultButton(twoStepDialog_)) button->setFocus();
    else twoStepDialog_->setFocus();
    return true;
}

bool DialogKeys::eventFilter(QObject* watched, QEvent* event) {
    if (twoStepDialog_ && event->type() == QEvent::FocusIn) {
        if (QLineEdit* edit = editOf(watched)) textAtFocus_ = edit->text();
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!enter && key != Qt::Key_Escape) return false;
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control) return false;
    return handler_(enter, control);
}

}  // namespace vantor
