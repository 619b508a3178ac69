// The run loop on Qt's event loop: while the simulation runs, a zero-interval
// pump performs the present batch of steps in slices short enough that input
// is handled between them, and paints one frame when the batch is complete.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>
#include <algorithm>

#include "app/long_timer.h"
#include "app/main_window.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/dialogs.h"
#include "engine/runcontrol.h"
#include "render/camera.h"
#include "scenery/writer.h"
#include "spacecraft/spacecraft.h"

namespace vantor {

namespace {

// Input waits at most this long for a batch of steps.
constexpr qint64 kSliceNanoseconds = 12'000'000;

std::tm localTimeNow() {
    const QDateTime now = QDateTime::currentDateTime();
    std::tm local{};
    local.tm_year = now.date().year() - 1900;
    local.tm_mon = now.date().month() - 1;
    local.tm_mday = now.date().day();
    local.tm_hour = now.time().hour();
    local.tm_min = now.time().minute();
    local.tm_sec = now.time().second();
    return local;
}

}  // namespace

void MainWindow::createTimers() {
    pumpTimer_.setInterval(0);
    connect(&pumpTimer_, &QTimer::timeout, this, &MainWindow::runPump);

    measureTimer_.setInterval(1000);
    connect(&measureTimer_, &QTimer::timeout, this, &MainWindow::measureTick);
    repeatTimer_.setInterval(25);
    connect(&repeatTimer_, &QTimer::timeout, this, &MainWindow::toolbarRepeatTick);
    blinkTimer_.setInterval(350);
    connect(&blinkTimer_, &QTimer::timeout, this, [this] { view_.blinkPhase = !view_.blinkPhase; });
    measureTimer_.start();
    repeatTimer_.start();
    blinkTimer_.start();

    autosaveTimer_ = std::make_unique<LongTimer>(this);
    autostopTimer_ = std::make_unique<LongTimer>(this);
    connect(autosaveTimer_.get(), &LongTimer::timeout, this, [this] {
        if (!world_.benchmarkRunning) autosaveTick();
    });
    connect(autostopTimer_.get(), &LongTimer::timeout, this, [this] {
        if (!world_.benchmarkRunning) autostopAction();
    });
    speedClock_.start();
    fpsClock_.start();
}

void MainWindow::setRunning(int mode) { changeRunState(mode, false); }

void MainWindow::changeRunState(int mode, bool keepAutosavePeriod) {
    const int before = world_.simulationRunning;
    world_.simulationRunning = mode > 0 ? 1 : mode == 0 ? 0 : !world_.simulationRunning;
    updateAutosaveTimer(keepAutosavePeriod);
    updateAutostopTimer();
    updateStatusLine();
    if (world_.simulationRunning) {
        if (!before) {
            // A run's speed figures start with the run, not at the last
            // measurement before the pause.
            world_.simTimeAtLastMeasure = world_.SIMULATION_TIME;
            speedClock_.restart();
            world_.batchStepCounter = 0;
            runBaseTime_ = world_.SIMULATION_TIME;
            limitClock_.restart();
            limitCarry_ = 0;
            pumpTimer_.setInterval(0);
        }
        notePriorityResult(setProcessPriority(pool_, world_.PROCESS_PRIORITY), world_.PROCESS_PRIORITY);
        pumpTimer_.start();
    } else {
        pumpTimer_.stop();
        world_.batchStepCounter = 0;
        // A refusal is told once, when a run ends; the menus then show the
        // setting again.
        const int restored = restoreNormalPriority(pool_);
        if (before) notePriorityResult(restored, 0);
        priorityInForce_.reset();
        // A run stopped inside its first batch has not been marked yet.
        if (before) markModifiedIfTimeMoved(world_, runBaseTime_);
    }
    dialogs::refreshOpenDialogs(*this, dialogs::Refresh::RunState);
    refreshMenus();
    paintView();
}

void MainWindow::runPump() {
    if (inPump_) return;
    inPump_ = true;
    if (world_.batchStepCounter == 0) beginPass();
    if (passSteps() <= 0 && (!world_.simulationRunning || world_.OBJECTS_N < 2)) {
        // A batch the limit leaves empty still ends a run that cannot go on.
        inPump_ = false;
        setRunning(0);
        return;
    }
    QElapsedTimer slice;
    slice.start();
    bool passOver = false;
    const int collisionsBefore = world_.COLLISION_COUNTER;
    while (!passOver && world_.batchStepCounter < passSteps()) {
        if (!world_.simulationRunning || world_.OBJECTS_N < 2) {
            inPump_ = false;
            setRunning(0);
            return;
        }
        simulationStep(world_, pool_);
        if (world_.collisionDetected && !world_.ALLOW_OBJECT_COLLISIONS) {
            inPump_ = false;
            collisionStop();
            return;
        }
        if (simulatedTimeStopDue(world_)) {
            inPump_ = false;
            autostopAction();
            return;
        }
        ++world_.batchStepCounter;
        // Hand back to the event loop between steps now and then, so that
        // input is handled while a long batch runs; the batch continues at
        // the next pass of the pump.
        if (slice.nsecsElapsed() > kSliceNanoseconds) passOver = true;
    }
    if (world_.COLLISION_COUNTER != collisionsBefore) updateStatusLine();
    if (world_.batchStepCounter >= passSteps() || passSteps() <= 0) endPass();
    else if (pumpTimer_.interval() != 0) pumpTimer_.setInterval(0);  // the batch goes on at once
    inPump_ = false;
}

// The start of a batch. Under a speed limit it takes the steps that the limit
// allows for the real time since the last batch began; a benchmark's run is
// never limited.
void MainWindow::beginPass() {
    const double real = static_cast<double>(limitClock_.nsecsElapsed()) * 1e-9;
    limitClock_.restart();
    limitSteps_ = -1;
    if (world_.benchmarkRunning || !(world_.speedLimit > 0)) {
        world_.speedLimitHeld = 0;
        return;
    }
    const LimitedBatch batch =
        limitedBatch(world_.speedLimit, world_.SIMULATION_TIME_STEP, real, limitCarry_, world_.stepsPerFrame);
    limitCarry_ = batch.carry;
    // A batch that runs full shows that the batch size, not the limit, sets
    // the pace: the next frame-rate measurement adapts it.
    if (batch.held) limitSteps_ = batch.steps;
    else world_.speedLimitHeld = 0;
}

int MainWindow::passSteps() const { return limitSteps_ >= 0 ? limitSteps_ : world_.stepsPerFrame; }

// After a batch the limit cut short, the pump waits for the next frame's time
// in the event loop (the program neither sleeps nor spins meanwhile); an
// unlimited run goes on at once.
void MainWindow::scheduleNextPass() {
    int wait = 0;
    if (limitSteps_ >= 0 && world_.FPS_DESIRED > 0) {
        const qint64 period = 1000 / world_.FPS_DESIRED;
        wait = static_cast<int>(std::clamp<qint64>(period - limitClock_.elapsed(), 1, period));
    }
    if (pumpTimer_.interval() != wait) pumpTimer_.setInterval(wait);
}

// The end of a batch: one frame (the first pass after a start only marks the
// scenery modified).
void MainWindow::endPass() {
    world_.batchStepCounter = 0;
    if (!world_.simulationRunning) return;
    scheduleNextPass();
    if (world_.SPACECRAFT_MODE && world_.SPACECRAFT_AUTOTRACKING) spacecraft::trackTarget(world_, view_);
    if (!world_.sceneryModified) {
        world_.sceneryModified = 1;
        refreshMenus();
        return;
    }
    paintView();
    ++world_.frameCounter;
    // Dialogs that show the view or the run follow it live.
    dialogs::refreshOpenDialogs(*this, dialogs::Refresh::RunState);
}

void MainWindow::collisionStop() {
    setRunning(0);
    QMessageBox::critical(activeWindow(), "Error", "A collision has been detected. Simulation stopped.");
}

void MainWindow::measureTick() {
    if (world_.simulationRunning) {
        measureSpeed(world_, static_cast<double>(speedClock_.nsecsElapsed()) * 1e-9);
        speedClock_.restart();
    }
    if (measureFpsAndAdapt(world_, static_cast<double>(fpsClock_.nsecsElapsed()) * 1e-9)) fpsClock_.restart();
}

void MainWindow::updateAutosaveTimer(bool keepPeriod) {
    if (world_.AUTOSAVE_ENABLED && world_.simulationRunning && world_.AUTOSAVE_PERIOD > 0) {
        const uint64_t period = static_cast<uint64_t>(world_.AUTOSAVE_PERIOD) * 1000;
        if (keepPeriod && autosaveTimer_->isActive() && autosaveTimer_->period() == period) return;
        autosaveTimer_->start(period);
    } else {
        autosaveTimer_->stop();
    }
}

void MainWindow::updateAutostopTimer() {
    if ((world_.AUTOSTOP_MODE & 1) && world_.simulationRunning && world_.AUTOSTOP_RT_PERIOD > 0) {
        autostopTimer_->start(static_cast<uint64_t>(world_.AUTOSTOP_RT_PERIOD) * 1000);
    } else {
        autostopTimer_->stop();
    }
}

void MainWindow::autosaveTick() {
    if (!world_.AUTOSAVE_ENABLED || !world_.simulationRunning) return;
    world_.AUTOSAVE_ENABLED = 0;  // no second save from the timer meanwhile
    bool saved = false;
    std::string reason;
    QString text;
    const std::tm local = localTimeNow();
    if (world_.currentFileName.empty() || world_.currentFileName.find('/') == std::string::npos) {
        // Never saved (an example has only its item text): ask where.
        saved = saveSceneryAs() == answer::Yes;
        if (saved) {
            text = QString::fromStdString(autosaveTimestampText(local));
            runBaseTime_ = world_.SIMULATION_TIME;
        }
    } else {
        const AutosaveTarget target = autosaveTarget(world_, local);
        // The scenery's own state flags stay as they were when the copy goes
        // to a separate file: the scenery itself was not saved.
        const int modified = world_.sceneryModified, onDisk = world_.sceneryOnDisk;
        world_.AUTOSAVE_ENABLED = 1;  // written as enabled
        saved = writeSceneryFile(world_, target.path, &reason) == 0;
        world_.AUTOSAVE_ENABLED = 0;
        if (target.separate) {
            world_.sceneryModified = modified;
            world_.sceneryOnDisk = onDisk;
        }
        if (saved) text = QString::fromStdString(autosaveSuccessText(target, local));
        if (saved && !target.separate) runBaseTime_ = world_.SIMULATION_TIME;
    }
    world_.AUTOSAVE_ENABLED = 1;
    // A failure stays in the status line (and over the fullscreen view) until
    // an autosave succeeds again.
    autosaveAlert_ = saved ? QString() : QString::fromStdString(autosaveFailureText(reason));
    showAutosaveAlert();
    updateStatusLine(&text);
    refreshMenus();
}

void MainWindow::showAutosaveAlert() {
    autosaveAlertLabel_->setText(autosaveAlert_);
    autosaveAlertLabel_->adjustSize();
    placeAutosaveAlert();
    autosaveAlertLabel_->setVisible(view_.fullscreenMode && !autosaveAlert_.isEmpty());
    autosaveAlertLabel_->raise();
}

void MainWindow::placeAutosaveAlert() {
    // Centred at the top, clear of the status figures in the view's corners.
    const int x = std::max(0, (fullscreenWindow_->width() - autosaveAlertLabel_->width()) / 2);
    autosaveAlertLabel_->move(x, 24);
}

void MainWindow::autostopAction() {
    switch (autostopOutcome(world_)) {
        case AutostopOutcome::Restart: {
            // Going back to the initial configuration clears the modified
            // mark, which the run before it (or an earlier change) set.
            markModifiedIfTimeMoved(world_, runBaseTime_);
            const int modified = world_.sceneryModified;
            reinitializeWorld(world_, pool_);
            world_.sceneryModified = modified;
            render::updateProjection(world_, view_);
            rebuildAndPaint();
            // The autosave period runs on across restarts, so that a restart
            // period shorter than it does not put off every save.
            changeRunState(1, true);
            break;
        }
        case AutostopOutcome::RestartSkipped: {
            setRunning(0);
            const QString why = AUTOSTOP_RESTART_SKIPPED_TEXT;
            updateStatusLine(&why);
            break;
        }
        case AutostopOutcome::Stop: setRunning(0); break;
    }
    refreshMenus();
    paintView();
}

int MainWindow::reinitializeSimulation() {
    if (world_.INIT_OBJECTS_N < 1) return answer::Yes;
    QMessageBox box(QMessageBox::Question, "Reinitialize simulation", "Do you really want to reload initial data?",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, activeWindow());
    box.setDefaultButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) {
        setRunning(0);
        reinitializeWorld(world_, pool_);
        render::updateProjection(world_, view_);
        rebuildAndPaint();
        refreshMenus();
        // The hint that led here has done its work.
        if (statusParts_[0]->toolTip().endsWith(dialogs::INITIAL_ONLY_TEXT)) {
            const QString empty;
            updateStatusLine(&empty);
        }
        updateStatusLine();
        return answer::Yes;
    }
    return answer == QMessageBox::No ? answer::No : answer::Cancel;
}

}  // namespace vantor
