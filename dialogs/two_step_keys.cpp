#include "dialogs/two_step_keys.h"

#include <QAbstractSpinBox>
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

TwoStepKeys::TwoStepKeys(QDialog* dialog) : QObject(dialog), dialog_(dialog) {}

void TwoStepKeys::install(QDialog* dialog) {
    auto* rule = new TwoStepKeys(dialog);
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        // A spin field's inner line edit is covered through the spin field.
        if (qobject_cast<QAbstractSpinBox*>(w->parent())) continue;
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w)) w->installEventFilter(rule);
    }
}

bool TwoStepKeys::eventFilter(QObject* watched, QEvent* event) {
    QLineEdit* edit = editOf(watched);
    if (!edit) return false;
    if (event->type() == QEvent::FocusIn) {
        textAtFocus_ = edit->text();
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape) return false;
    if (key == Qt::Key_Escape) {
        edit->setText(textAtFocus_);
    } else {
        emit edit->editingFinished();
    }
    if (QPushButton* button = defaultButton(dialog_)) button->setFocus();
    else dialog_->setFocus();
    return true;
}

}  // namespace vantor
