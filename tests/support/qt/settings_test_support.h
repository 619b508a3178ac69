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
#include "tests/support/qt/field_test_support.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

namespace settings_test {

// Acts on a modal dialog once it holds the keyboard, so that focus moves
// count.
template <typename T>
void whenModal(std::function<void(T*)> act) {
    modal_test::whenModal<T>(std::move(act), modal_test::Wait::Active);
}

using field_test::editOf;
using window_test::openExample;

// Waits until `dialog` holds the keyboard: a dialog counts as active for
// its owner's sake before it really is.
inline bool waitActive(QWidget* dialog) {
    return dialog && QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; });
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
