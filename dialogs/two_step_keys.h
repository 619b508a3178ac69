// The dialogs' keyboard rule: the first Enter or Esc pressed in a text field
// only confirms or undoes the typing and moves the focus to the default
// button; a second Enter or Esc then acts (the default button, or Cancel).
#pragma once

#include <QObject>
#include <QString>

class QDialog;
class QWidget;

namespace vantor {

class TwoStepKeys : public QObject {
    Q_OBJECT
public:
    // Installs the rule on every text field (line edits and spin fields) of
    // the dialog. Call after the dialog's controls exist.
    static void install(QDialog* dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TwoStepKeys(QDialog* dialog);
    QDialog* dialog_;
    QString textAtFocus_;
};

}  // namespace vantor
