// What the settings dialog tests share: a shown main window, acting on a
// modal dialog while it runs, typing into a field as a person does.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/objects/examples_dialog.h"
#include "tests/modal_test_support.h"

namespace settings_test {

// Acts on a modal dialog once it holds the keyboard, so that focus moves
// count.
template <typename T>
void whenModal(std::function<void(T*)> act) {
    modal_test::whenModal<T>(std::move(act), modal_test::Wait::Active);
}

inline std::unique_ptr<vantor::MainWindow> shownMainWindow() {
    auto window = std::make_unique<vantor::MainWindow>();
    if (!window->startWorkers()) return nullptr;
    window->fitMainWindow();
    window->centreOnScreen();
    window->show();
    // Active before any dialog opens, so that no late activation of the main
    // window takes the focus from a dialog.
    if (!QTest::qWaitForWindowExposed(window.get()) || !QTest::qWaitForWindowActive(window.get())) return nullptr;
    return window;
}

// Loads a built-in example through the examples dialog.
inline bool openExample(vantor::MainWindow& w, const QString& item) {
    w.onCommand(vantor::cmd::Examples);
    auto* dialog = w.findChild<vantor::ExamplesDialog*>();
    if (!dialog) return false;
    const auto found = dialog->tree()->findItems(item, Qt::MatchExactly | Qt::MatchRecursive);
    if (found.size() != 1) return false;
    dialog->tree()->setCurrentItem(found.first());
    dialog->findChild<QAbstractButton*>("load")->click();
    dialog->close();
    return true;
}

// Waits until `dialog` holds the keyboard: a dialog counts as active for
// its owner's sake before it really is.
inline bool waitActive(QWidget* dialog) {
    return dialog && QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; });
}

inline QLineEdit* editOf(QWidget* field) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) return edit;
    return field->findChild<QLineEdit*>();
}

// Replaces a field's text by typing, the field having the focus.
inline void typeInto(QWidget* field, const QString& text) {
    field->setFocus();
    editOf(field)->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

inline QString text(QWidget* field) { return editOf(field)->text(); }

// Presses a key on whatever has the focus in the window of `inside`.
inline void pressOnFocus(QWidget* inside, int key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : inside, static_cast<Qt::Key>(key));
}

}  // namespace settings_test
