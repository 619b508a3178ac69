// The main window: menus, toolbar, status bar and the view; the command,
// key and mouse dispatch; the run loop on Qt's event loop; the file
// commands; fullscreen mode.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <map>
#include <memory>
#include <optional>

#include "app/qt_text_renderer.h"
#include "app/video_recording.h"
#include "dialogs/common/context.h"
#include "engine/gravity.h"
#include "engine/runcontrol.h"
#include "engine/world.h"
#include "render/navigation.h"
#include "render/surface.h"
#include "render/view.h"

class QComboBox;
class QLabel;
class QToolBar;
class QToolButton;
class QMenu;

namespace vantor {

class SpinField;
class ViewWidget;
class LongTimer;

class MainWindow : public QMainWindow, public AppContext {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Creates the worker pool; false when the threads cannot be started.
    bool startWorkers();
    // The view 600 by 350 pixels and the window centred on the screen.
    void fitMainWindow();
    void centreOnScreen();

    // AppContext
    World& world() override { return world_; }
    WorkerPool& pool() override { return pool_; }
    render::View& view() override { return view_; }
    QWidget* activeWindow() override;
    void paintView() override;
    void rebuildAndPaint() override;
    void refreshMenus() override;
    void setStatusText(const QString& text) override { updateStatusLine(&text); }
    void setRunning(int mode) override;
    int openScenery(int exampleNumber, const QString& name, bool showProcessing) override;
    // Opens the file at path, a byte string as the system names it (a
    // relative path is taken from the working folder).
    int openSceneryFile(const std::string& path, bool showProcessing);
    void objectsChanged() override;
    void refreshViewDialogs() override;
    // The benchmark's needs (app/benchmark_host.cpp).
    void prepareBenchmarkView() override;
    bool benchmarkViewReady() override;
    void raiseBenchmarkPriority() override;
    void discardScenery() override;

    // Commands, keys and mouse.
    void onCommand(int id);
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void keyUp(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    void viewMousePress(QPoint pos, Qt::MouseButton button);
    void viewMouseMove(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint global);
    void viewMouseRelease(Qt::MouseButton button);
    // A turn of the mouse wheel by angleDelta (120 for one notch) zooms.
    void viewWheel(int angleDelta);
    void viewDoubleClick();
    void showContextMenu(QPoint global);

    // File commands: 6 Yes (saved or nothing to save), 7 No, 2 Cancel.
    int confirmSaveChanges();
    int saveSceneryAs();
    int fileNewCommand();
    void openCommand();
    void updateTitle();

    // Run control.
    int reinitializeSimulation();
    void autosaveTick();
    void autostopAction();
    void updateStatusLine(const QString* text = nullptr);
    void refreshToolbar();
    // Enter in a toolbar field: that field's value into its setting.
    void applyToolbarField(int fieldId);
    void spinToolbarField(int fieldId, int direction);
    void toggleFullscreen();
    // File > Record video... (app/video_command.cpp): starts or ends the
    // recording; the view hands every frame it shows to recordShownFrame.
    void recordVideoCommand();
    void recordShownFrame();
    bool recordingVideo() const { return recording_.isRecording(); }

    // For tests and the benchmark dialog.
    ViewWidget* viewWidget() const { return viewWidget_; }
    QAction* action(int id) const;
    SpinField* toolbarField(int id) const;
    QLabel* statusPart(int part) const { return statusParts_[part]; }
    QMenu* contextMenu() const { return contextMenu_; }
    bool fullscreenMode() const { return view_.fullscreenMode; }
    const render::Surface& surface() const { return surface_; }
    int shiftLock(int key) const;
    QComboBox* speedLimitBox() const { return speedLimitBox_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Moving or sizing the window disturbs a benchmark's run.
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Dropped scenery files open (app/drop.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int openSceneryText(int exampleNumber, const std::string& name, bool showProcessing);
    void createActions();
    void createMenus();
    void createToolbars();
    // The field shows its setting's stored value.
    void showToolbarField(int id);
    // The toolbar field that has the focus, or 0.
    int focusedToolbarField() const;
    void createStatusBar();
    void createTimers();
    QAction* makeAction(int id, const QString& text, const QString& icon = {}, const QString& tip = {});

    void runPump();
    void beginPass();
    int passSteps() const;
    void scheduleNextPass();
    void endPass();
    void changeRunState(int mode, bool keepAutosavePeriod);
    void measureTick();
    void toolbarRepeatTick();
    // keepPeriod: a timer already counting the same period runs on.
    void updateAutosaveTimer(bool keepPeriod = false);
    void showAutosaveAlert();
    void placeAutosaveAlert();
    void updateAutostopTimer();
    void toggleWithShiftLock(int key, int& setting, bool held, bool shift);
    void setPriorityCommand(int priority);
    // After setProcessPriority or restoreNormalPriority: a refusal is told
    // in the status line and, while the run lasts, the menus show the
    // priority that stayed in force.
    void notePriorityResult(int result, int wanted);
    // The priority the menus mark: PROCESS_PRIORITY, or the one in force.
    int shownPriority() const { return priorityInForce_.value_or(world_.PROCESS_PRIORITY); }
    void toggleStaticScenery();
    void objectToOrigin();
    void showMessage(const QString& caption, const QString& text);
    void updateObjectTooltip(QPoint viewPos, QPoint global);
    void layoutStatusParts();
    void viewResized();
    bool refusedWhileBenchmarking() const;
    bool abortWhileBenchmarking();
    void collisionStop();
    // The speed limit's controls (app/speed_limit.cpp).
    void openDroppedFiles(const QStringList& files);
    void createSpeedLimitControls();
    bool speedLimitCommand(int id);
    bool applySpeedLimitText(const QString& text);
    void setSpeedLimit(double limit);
    void refreshSpeedLimit();

    World world_;
    WorkerPool pool_;
    render::View view_;
    QtTextRenderer viewText_;  // the surface draws its text with it
    render::Surface surface_;

    ViewWidget* viewWidget_ = nullptr;
    QWidget* fullscreenWindow_ = nullptr;
    std::map<int, QAction*> actions_;
    QToolBar* toolbar_ = nullptr;
    QToolBar* fieldsBar_ = nullptr;
    std::map<int, SpinField*> fields_;
    std::array<QLabel*, 6> statusParts_{};
    std::optional<std::array<int, 5>> statusShown_;  // what parts 1..5 show
    QMenu* contextMenu_ = nullptr;
    QIcon startIcon_, pauseIcon_;

    // The run loop: a zero-interval pump that performs a slice of the
    // present batch of steps, and the frame at the batch's end.
    QTimer pumpTimer_;
    bool inPump_ = false;
    // SIMULATION_TIME when the present run started or autosaved the scenery
    // into its own file: a run that ends at another time changed the scenery.
    double runBaseTime_ = 0;
    bool pendingCollisionMessage_ = false;
    QElapsedTimer speedClock_, fpsClock_;
    // The speed limit's share of the run loop: the real time since the last
    // batch began, the fraction of a step carried on, and the present
    // batch's steps when the limit cut it short (-1: stepsPerFrame).
    QElapsedTimer limitClock_;
    double limitCarry_ = 0;
    int limitSteps_ = -1;

    QTimer measureTimer_, repeatTimer_, blinkTimer_;
    std::unique_ptr<LongTimer> autosaveTimer_, autostopTimer_;
    // The last autosave's failure, empty after a success: it leads the status
    // bar's first part and shows over the fullscreen view.
    QString autosaveAlert_;
    QLabel* autosaveAlertLabel_ = nullptr;
    int repeatTicks_ = 0;
    bool repeatActive_ = false;

    // The view's drag state and the hover tooltip.
    render::DragState drag_;
    render::WheelState wheel_;
    bool nameShown_ = false;

    std::array<int, 3> shiftLocks_{};     // F6, F7, F8
    std::optional<int> priorityInForce_;  // set while a refused priority leaves another in force

    QPointer<QDialog> examplesDialog_;
    QPointer<QDialog> diagnosticsDialog_;

    // Last, so that it is destroyed first: closing the program completes
    // the video being recorded.
    VideoRecording recording_;
    QLabel* recordingMark_ = nullptr;

    QToolBar* limitBar_ = nullptr;
    QComboBox* speedLimitBox_ = nullptr;
    QLabel* speedLimitStatus_ = nullptr;
    double chosenSpeedLimit_ = DEFAULT_SPEED_LIMIT;  // the L key's limit
};

}  // namespace vantor
