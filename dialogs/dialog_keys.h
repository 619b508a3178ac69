// Enter and Esc in the object dialogs: each dialog states what the two keys
// do for the control that has the focus (a field only confirms or undoes
// the typing and hands the focus to the default button; the default button
// or the dialog itself acts).
#pragma once

#include <QObject>
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

    // Watches the dialog and every focusable control in it. Call after the
    // controls exist.
    static void install(QDialog* dialog, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DialogKeys(QDialog* dialog, Handler handler);
    QDialog* dialog_;
    Handler handler_;
};

}  // namespace vantor
