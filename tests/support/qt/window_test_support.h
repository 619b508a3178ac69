// What the window tests share: a shown main window, closing it without a
// save question, loading a built-in example, and helpers whose QVERIFY and
// QCOMPARE stop the calling test.
#pragma once

#include <QLabel>
#include <QString>
#include <QtTest>
#include <memory>
#include <utility>

#include "app/main_window.h"

namespace window_test {

// How the main window is shown; flags that add up.
enum Show {
    Plain = 0,
    Fitted = 1,   // at the size the program fits it to
    Centred = 2,  // in the middle of the screen
    Active = 4,   // holding the keyboard before the test starts
};
constexpr Show operator|(Show a, Show b) { return static_cast<Show>(int(a) | int(b)); }

// A main window with its workers started, shown and exposed; null where
// any of that failed, for QVERIFY at the caller.
std::unique_ptr<vantor::MainWindow> showMainWindow(Show how = Fitted);

// Stops a run and clears the marks that would make closing ask to save,
// then closes the window.
void closeMainWindow(std::unique_ptr<vantor::MainWindow>& window);

// Loads a built-in example through the examples dialog; false where the
// dialog or the item is missing.
[[nodiscard]] bool openExample(vantor::MainWindow& w, const QString& item);

// The main window a test class drives: opened in init(), closed in
// cleanup(), reached through w() and world().
class MainWindowFixture {
protected:
    static constexpr Show Plain = window_test::Plain, Fitted = window_test::Fitted, Centred = window_test::Centred,
                          Active = window_test::Active;

    [[nodiscard]] bool openWindow(Show how = Fitted) {
        window = showMainWindow(how);
        return window != nullptr;
    }
    void closeWindow() { closeMainWindow(window); }
    vantor::MainWindow& w() { return *window; }
    vantor::World& world() { return window->world(); }
    // The status line's first part.
    QString part0() const { return window->statusPart(0)->text(); }

    std::unique_ptr<vantor::MainWindow> window;
};

// Runs `checks`, whose QVERIFY and QCOMPARE return from `checks` only;
// true when the test has no failure, so that the caller's QVERIFY stops it.
template <typename F>
[[nodiscard]] bool passes(F&& checks) {
    std::forward<F>(checks)();
    return !QTest::currentTestFailed();
}

}  // namespace window_test
