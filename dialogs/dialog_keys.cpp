#include "dialogs/dialog_keys.h"

#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>

namespace vantor {

DialogKeys::DialogKeys(QDialog* dialog, Handler handler)
    : QObject(dialog), dialog_(dialog), handler_(std::move(handler)) {}

void DialogKeys::install(QDialog* dialog, Handler handler) {
    auto* keys = new DialogKeys(dialog, std::move(handler));
    dialog->installEventFilter(keys);
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        // The insides of a combo box (its popup) keep their own keys.
        bool insideCombo = false;
        for (QObject* p = w->parent(); p && p != dialog; p = p->parent()) insideCombo |= qobject_cast<QComboBox*>(p) != nullptr;
        if (!insideCombo && w->focusPolicy() != Qt::NoFocus) w->installEventFilter(keys);
    }
}

bool DialogKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!enter && key != Qt::Key_Escape) return false;
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control) return false;
    return handler_(enter, control);
}

}  // namespace vantor
