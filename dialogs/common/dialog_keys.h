// Enter and Esc in the dialogs, one filter for every rule:
// - the two-step rule of every dialog: the first Enter or Esc pressed in a
//   text field only confirms or undoes the typing and moves the focus to the
//   default button; a second Enter or Esc then acts (the default button, or
//   Cancel);
// - a dialog that states what the two keys do for the control that has the
//   focus (the object dialogs);
// - a hook on one field that runs before the dialog's rule.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace vantor {

class DialogKeys : public QObject {
    Q_OBJECT

public:
    // handler(enter, control): control is the widget that got the key, or
    // the dialog itself; true when the key was used. A push button that is
    // not handled clicks itself on Enter, as buttons do.
    using Handler = std::function<bool(bool enter, QWidget* control)>;

    // The two-step rule on every text field (line edits and spin fields) of
    // the dialog. Call after the dialog's controls exist.
    static void installTwoStep(QDialog* dialog);

    // Watches the dialog and every focusable control in it. Call after the
    // controls exist.
    static void install(QDialog* dialog, Handler handler);

    // Calls `act` with true for Enter and false for Esc pressed in `field`;
    // `act` returns whether it consumed the key. Install after the two-step
    // rule so that it runs first.
    static void installOnField(QWidget* field, std::function<bool(bool enter)> act);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DialogKeys(QObject* parent, Handler handler);
    bool twoStep(bool enter, QWidget* control);

    Handler handler_;
    QDialog* twoStepDialog_ = nullptr;  // set for the two-step rule
    QString textAtFocus_;
};

}  // namespace vantor
