#include "tests/support/qt/window_test_support.h"

#include <QAbstractButton>
#include <QTreeWidget>

#include "dialogs/common/command_ids.h"
#include "dialogs/objects/examples_dialog.h"

namespace window_test {

std::unique_ptr<vantor::MainWindow> showMainWindow(Show how) {
    auto window = std::make_unique<vantor::MainWindow>();
    if (!window->startWorkers()) return nullptr;
    if (how & Fitted) window->fitMainWindow();
    if (how & Centred) window->centreOnScreen();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
    if (how & Active) {
        // Active before any dialog opens, so that no late activation of the
        // main window takes the focus from a dialog.
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get())) return nullptr;
    }
    return window;
}

void closeMainWindow(std::unique_ptr<vantor::MainWindow>& window) {
    if (window) {
        window->setRunning(0);
        window->world().sceneryModified = 0;
        window->world().sceneryOnDisk = 1;
    }
    window.reset();
}

bool openExample(vantor::MainWindow& w, const QString& item) {
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

}  // namespace window_test
