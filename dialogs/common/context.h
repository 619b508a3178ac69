// What the dialogs may ask of the main window. The main window implements
// it; dialogs receive it at construction and never include app/ headers.
#pragma once

#include <QString>

class QWidget;

namespace vantor {

struct World;
struct WorkerPool;
namespace render {
struct View;
}

class AppContext {
public:
    virtual ~AppContext() = default;

    virtual World& world() = 0;
    virtual WorkerPool& pool() = 0;
    virtual render::View& view() = 0;
    // The top-level window that shows the view (the parent for dialogs).
    virtual QWidget* activeWindow() = 0;

    virtual void paintView() = 0;                         // paint one frame now
    virtual void rebuildAndPaint() = 0;                   // a fresh back buffer, then a frame
    virtual void refreshMenus() = 0;                      // menu marks, toolbar, title
    virtual void setStatusText(const QString& text) = 0;  // the status bar's first part
    virtual void setRunning(int mode) = 0;                // 0 pause, >0 run, <0 toggle
    // Replaces the scenery (example number, or 0 and a path); 6 when it went
    // ahead, 2 when cancelled.
    virtual int openScenery(int exampleNumber, const QString& name, bool showProcessing) = 0;
    // After a dialog changed the object tables: repartition the work, the
    // projection, a fresh back buffer, menus and a frame.
    virtual void objectsChanged() = 0;
    // The viewpoint and origin dialogs show the present values again.
    virtual void refreshViewDialogs() = 0;

    // The benchmark's runs. Leaves fullscreen mode, fits the main window
    // around a 600 by 350 view, focuses it and lets the window system catch up.
    virtual void prepareBenchmarkView() = 0;
    // The view measures 600 by 350 pixels and is completely visible.
    virtual bool benchmarkViewReady() = 0;
    // High process priority class and highest worker thread priority;
    // setRunning(0) restores the normal ones.
    virtual void raiseBenchmarkPriority() = 0;
    // The New command without a question: the scenery is discarded.
    virtual void discardScenery() = 0;
};

}  // namespace vantor
