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

constexpr int kViewWidth = 600;                       // pixels
constexpr int kViewHeight = 350;                      // pixels
constexpr int kGridSpacing = 10;                      // pixels between the points probed for other windows
constexpr qint64 kSettleMilliseconds = 2000;          // longest wait for the window system
constexpr qint64 kActivationRetryMilliseconds = 200;  // between two requests to activate the window
constexpr int kSettledPolls = 5;                      // polls in a row that must find the window ready
constexpr unsigned long kPollMilliseconds = 10;

// Platforms whose window stack Qt can query at a screen point; elsewhere
// (offscreen, Wayland) only the window's own state can be checked.
bool windowStackQueryable() {
    const QString platform = QGuiApplication::platformName();
    return platform == "xcb" || platform == "windows" || platform == "cocoa";
}

// The window system has carried out what a run asked for: the view at its
// size, the window on the screen and holding the keyboard.
bool benchmarkWindowSettled(MainWindow& window) {
    const QWindow* handle = window.windowHandle();
    return window.viewWidget()->size() == QSize(kViewWidth, kViewHeight) && handle && handle->isExposed() &&
           window.isActiveWindow();
}

// Resizing and activation are requests to the window system, carried out in
// its own time; after a key press in the dialog the focus may even come back
// to the dialog first. Waits until they have taken effect and stay so,
// asking again for the focus, handling no user input meanwhile: a change
// that came after the run's start would end the run.
void waitUntilSettled(MainWindow& window) {
    QElapsedTimer clock, sinceRequest;
    clock.start();
    sinceRequest.start();
    int settledPolls = 0;
    while (clock.elapsed() < kSettleMilliseconds && settledPolls < kSettledPolls) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (benchmarkWindowSettled(window)) {
            ++settledPolls;
        } else {
            settledPolls = 0;
            if (!window.isActiveWindow() && sinceRequest.elapsed() >= kActivationRetryMilliseconds) {
                window.activateWindow();
                sinceRequest.restart();
            }
        }
        QThread::msleep(kPollMilliseconds);
    }
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Whether the point lies on the frame of a window the main window owns (the
// benchmark dialog kept above it): the window system names no window of the
// program's there.
bool onOwnWindowFrame(const QWindow* own, QPoint global) {
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->transientParent() == own && window->frameGeometry().contains(global))
            return true;
    }
    return false;
}

}  // namespace

void MainWindow::prepareBenchmarkView() {
    if (view_.fullscreenMode) toggleFullscreen();
    if (isMinimized()) showNormal();
    fitMainWindow();
    raise();
    activateWindow();
    viewWidget_->setFocus();
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    waitUntilSettled(*this);
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
            const QPoint point = viewWidget_->mapToGlobal(QPoint(x, y));
            const QWindow* top = QGuiApplication::topLevelAt(point);
            if (top == own || (top && top->transientParent() == own)) continue;
            if (!top && onOwnWindowFrame(own, point)) continue;
            return false;
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
