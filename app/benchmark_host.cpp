// What the benchmark's runs need of the main window: the view prepared and
// checked, priorities, the scenery discarded, and disturbances cancelling.
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "engine/runcontrol.h"

namespace vantor {

namespace {

constexpr int kViewWidth = 600;   // pixels
constexpr int kViewHeight = 350;  // pixels
constexpr int kGridSpacing = 10;  // pixels between the points probed for other windows
constexpr qint64 kSettleMilliseconds = 500;  // longest wait for the window system

// Platforms whose window stack Qt can query at a screen point; elsewhere
// (offscreen, Wayland) only the window's own state can be checked.
bool windowStackQueryable() {
    const QString platform = QGuiApplication::platformName();
    return platform == "xcb" || platform == "windows" || platform == "cocoa";
}

}  // namespace

void MainWindow::prepareBenchmarkView() {
    if (view_.fullscreenMode) toggleFullscreen();
    if (isMinimized()) showNormal();
    fitMainWindow();
    raise();
    activateWindow();
    viewWidget_->setFocus();
    // Resizing and activation are requests to the window system; give it a
    // moment to carry them out, handling no user input meanwhile.
    QElapsedTimer clock;
    clock.start();
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    while (clock.elapsed() < kSettleMilliseconds &&
           (viewWidget_->size() != QSize(kViewWidth, kViewHeight) || !isActiveWindow())) {
        QThread::msleep(5);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

bool MainWindow::benchmarkViewReady() {
    if (view_.fullscreenMode || !isVisible() || isMinimized()) return false;
    if (viewWidget_->size() != QSize(kViewWidth, kViewHeight) || !viewWidget_->isVisible()) return false;
    const QRect view(viewWidget_->mapToGlobal(QPoint(0, 0)), viewWidget_->size());
    const QScreen* screen = this->screen();
    if (!screen || !screen->availableGeometry().contains(view)) return false;
    // Inside the main window's own area, not cut off by its edges.
    if (!rect().contains(QRect(viewWidget_->mapTo(this, QPoint(0, 0)), viewWidget_->size()))) return false;

    if (!windowStackQueryable()) return isActiveWindow();
    const QWindow* own = windowHandle();
    for (int y = 0; y < kViewHeight; y += kGridSpacing) {
        for (int x = 0; x < kViewWidth; x += kGridSpacing) {
            const QWindow* top = QGuiApplication::topLevelAt(viewWidget_->mapToGlobal(QPoint(x, y)));
            if (!top || (top != own && top->transientParent() != own)) return false;
        }
    }
    return true;
}

void MainWindow::raiseBenchmarkPriority() {
    // A refused raise only costs accuracy.
    setProcessPriority(pool_, 3);
}

void MainWindow::discardScenery() {
    world_.sceneryModified = 0;
    world_.sceneryOnDisk = 1;  // nothing to offer for saving
    fileNewCommand();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    abortWhileBenchmarking();
    QMainWindow::moveEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    abortWhileBenchmarking();
    QMainWindow::resizeEvent(event);
}

}  // namespace vantor
