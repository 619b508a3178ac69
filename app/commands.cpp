// The command, key and mouse dispatch of the main window.
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTextLayout>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

#include "app/command_table.h"
#include "app/main_window.h"
#include "app/view_widget.h"
#include "benchmark/submission.h"
#include "dialogs/common/browser.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/common/dialog_placement.h"
#include "dialogs/common/spin_field.h"
#include "dialogs/common/world_text.h"
#include "dialogs/diagnostics/diagnostics_dialog.h"
#include "dialogs/dialogs.h"
#include "dialogs/objects/examples_dialog.h"
#include "dialogs/settings/threads_dialog.h"
#include "engine/runcontrol.h"
#include "render/camera.h"
#include "render/navigation.h"
#include "render/painter.h"
#include "scenery/realtext.h"

namespace vantor {

namespace {

const char* const kWebSite = WEB_SERVER;

const char* const kAboutMcsFps =
    "MCS (Measured Computer Speed) is a quantity introduced in Vantor which aims to be an objective indicator of "
    "current processor speed as measured by the program. Greater MCS value means faster processor. MCS scale is "
    "calibrated around the value of 10'000; that is the value a processor on which the program is calibrated would "
    "achieve. Therefore, if your processor is (for example) twice as fast, you'll get 20'000 MCS, and if it is two "
    "times slower your MCS score will be 5'000. \n\nFPS (Frames Per Second) indicates how many times Vantor is able "
    "to draw the scene on the screen in one second. This value, given the same number of scenery objects, depends on "
    "the CPU speed, memory speed (RAM, VRAM, cache), system bus speed, GPU speed, and even on graphics drivers "
    "installed. \n\nMore on this subjects at the Vantor Website.";

const char* const kKeyShortcuts =
    "General:\t\tA\t\ttoggle axes\n\t\tD\t\ttoggle dim distant objects\n\t\tE\t\topen object editor\n"
    "\t\tF\t\tField Of View angle\n\t\tI\t\tscenery info\n\t\tN\t\ttoggle object names\n"
    "\t\tO\t\topen origin dialog\n\t\tR\t\topen object randomizer\n\t\tS\t\ttoggle on-screen status display\n"
    "\t\tV\t\topen viewpoint dialog\n\t\tX\t\topen examples dialog\n\t\t+/-\t\tzoom in/out\n"
    "\t\tF5\t\ttoggle static scenery\n"
    "\t\tF8\t\tshow trails (Shift+F8 to lock)\n\t\tF9\t\topen benchmark dialog\n\t\tF11\t\ttoggle fullscreen\n"
    "\t\tF12\t\tspacecraft mode toggle\n\t\tEsc\t\tpause simulation\n\t\tSpace\t\tstart/pause simulation\n"
    "\t\tdrag\t\trotate by theta and phi\n\t\tShift+drag\trotate by alpha\n\t\tCtrl+drag\t\tmove in X-Y plane\n"
    "\t\tCtrl+Shift+drag\tmove in Z plane\nSpacecraft:\tArrow keys\tmove view\n"
    "\t\tPgUp/PgDn\tthrust forward/backward\n\t\tEnd\t\thalt\n\t\tIns/Del\t\tthrust increase/decrease\n"
    "\t\tHome\t\tmax thrust\n\t\tEnter\t\tcenter tracking object\n\t\tScroll Lock\ttoggle autotracking";

// Keys the box's own text leaves out (F6 and F7) or that came later, listed
// after it so that the box names every key.
const char* const kMoreKeyShortcuts =
    "More:\t\tF6\t\tobjects as dots (Shift+F6 to lock)\n\t\tF7\t\timprove visibility (Shift+F7 to lock)\n"
    "\t\tG\t\topen diagnostics window\n\t\tL\t\tspeed limit on/off\n\t\twheel\t\tzoom in/out";

// The key box's lines as a table: a group's name ("General:",
// "Spacecraft:") heads its rows, each row a key and what it does. Tabs in a
// message box's text land wherever the line has reached, so the columns are
// made by the table instead.
QString keyShortcutsTable() {
    QString html = "<table cellspacing=\"0\" cellpadding=\"1\">";
    for (const QString& line : (QString(kKeyShortcuts) + '\n' + kMoreKeyShortcuts).split('\n')) {
        QStringList cells = line.split('\t', Qt::SkipEmptyParts);
        if (!line.startsWith('\t') && !cells.isEmpty()) {
            html += "<tr><td colspan=\"2\"><b>" + cells.takeFirst().toHtmlEscaped() + "</b></td></tr>";
        }
        if (cells.isEmpty()) continue;
        const QString key = cells.takeFirst().toHtmlEscaped(), action = cells.join(' ').toHtmlEscaped();
        html += "<tr><td style=\"padding-left: 16px; padding-right: 20px; white-space: pre;\">" + key +
                "</td><td style=\"white-space: pre;\">" + action + "</td></tr>";
    }
    return html + "</table>";
}

// The object tooltip's widest line in pixels: longer lines are broken
// between words, or inside a word wider than that.
constexpr int kTooltipWidth = 300;

// The tooltip as rich text, so that a name that looks like markup shows as
// it is, with its lines broken to kTooltipWidth in the tooltip's font.
QString tooltipText(const QString& text) {
    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : text.split('\n')) {
        QTextLayout layout(paragraph, QToolTip::font());
        layout.setTextOption(option);
        layout.beginLayout();
        const qsizetype before = lines.size();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(kTooltipWidth);
            lines << paragraph.mid(line.textStart(), line.textLength()).toHtmlEscaped();
        }
        layout.endLayout();
        if (lines.size() == before) lines << QString();
    }
    return "<p style=\"white-space: pre;\">" + lines.join("<br>") + "</p>";
}

// The rotation commands: which angle, and in which direction.
struct Rotation {
    int id;
    void (*change)(World&, double);
    double sign;
};

const Rotation kRotations[] = {
    {cmd::RotatePhiMinus, render::changePhi, -1},     {cmd::RotatePhiPlus, render::changePhi, +1},
    {cmd::RotateThetaMinus, render::changeTheta, -1}, {cmd::RotateThetaPlus, render::changeTheta, +1},
    {cmd::RotateClockwise, render::changeAlpha, -1},  {cmd::RotateCounterclockwise, render::changeAlpha, +1},
};

}  // namespace

// Input while a benchmark runs is dropped; only what disturbs its timing
// (moving, sizing or deactivating the window, opening a menu; Esc) ends it.
bool MainWindow::refusedWhileBenchmarking() const { return world_.benchmarkRunning != 0; }

bool MainWindow::abortWhileBenchmarking() {
    if (!world_.benchmarkRunning) return false;
    if (dialogs::cancelBenchmark) dialogs::cancelBenchmark();
    return true;
}

void MainWindow::showMessage(const QString& caption, const QString& text) {
    QMessageBox::information(activeWindow(), caption, text);
}

void MainWindow::onCommand(int id) {
    if (refusedWhileBenchmarking()) return;
    if (speedLimitCommand(id)) return;
    for (const Rotation& r : kRotations) {
        if (r.id == id) {
            r.change(world_, r.sign * world_.VIEW_ROTATING_STEP);
            refreshViewDialogs();
            paintView();
            return;
        }
    }
    auto toggle = [this](int& setting) {
        setting = !setting;
        paintView();
        refreshMenus();
    };
    auto toggleMarked = [this](int& setting) {
        setIfChanged(world_, setting, !setting);
        paintView();
        refreshMenus();
    };
    switch (id) {
        case cmd::New: fileNewCommand(); break;
        case cmd::Open: openCommand(); break;
        case cmd::SaveAs: saveSceneryAs(); break;
        case cmd::ReadOnlyFlag:
            world_.FILE_READ_ONLY = !world_.FILE_READ_ONLY;
            refreshMenus();
            break;
        case cmd::Exit:
            if (view_.fullscreenMode) {
                const int answer = confirmSaveChanges();
                if (answer == answer::Yes || answer == answer::No) {
                    world_.sceneryModified = 0;  // answered: close without asking again
                    world_.sceneryOnDisk = 1;
                    close();
                }
            } else {
                close();
            }
            break;
        case cmd::Reinitialize: reinitializeSimulation(); break;
        case cmd::RecordVideo: recordVideoCommand(); break;
        case cmd::PriorityHighest: setPriorityCommand(3); break;
        case cmd::PriorityHigh: setPriorityCommand(2); break;
        case cmd::PriorityNormal: setPriorityCommand(0); break;
        case cmd::PriorityLow: setPriorityCommand(1); break;
        case cmd::ZoomIn:
            render::zoomIn(world_, view_);
            refreshViewDialogs();
            paintView();
            break;
        case cmd::ZoomOut:
            render::zoomOut(world_, view_);
            refreshViewDialogs();
            paintView();
            break;
        case cmd::DisplayOsd: toggle(world_.displayOSD); break;
        case cmd::DisplayAxes: toggle(world_.displayAxes); break;
        case cmd::DisplayNames: toggle(world_.DISPLAY_OBJECT_NAMES); break;
        case cmd::DimDistant: toggle(world_.DIM_DISTANT_OBJECTS); break;
        case cmd::StaticScenery: toggleStaticScenery(); break;
        case cmd::Dots: toggleMarked(world_.DISPLAY_OBJECTS_AS_DOTS); break;
        case cmd::ImproveVisibility: toggleMarked(world_.IMPROVE_OBJECTS_VISIBILITY); break;
        case cmd::Trails: toggleMarked(world_.SHOW_OBJECT_TRAILS); break;
        case cmd::Relativistic: toggleMarked(world_.CALCULATE_RELATIVISTIC_MASSES); break;
        case cmd::Collisions: toggleMarked(world_.ALLOW_OBJECT_COLLISIONS); break;
        case cmd::RepaintWindow: rebuildAndPaint(); break;
        case cmd::Fullscreen: toggleFullscreen(); break;
        case cmd::StartPause: setRunning(-1); break;
        case cmd::Threads: ThreadsDialog::run(*this, activeWindow()); break;
        case cmd::Examples:
            dialogs::holdModeless(examplesDialog_, [this] { return new ExamplesDialog(*this, activeWindow()); });
            dialogs::showModeless(examplesDialog_, activeWindow());
            break;
        case cmd::Diagnostics:
            dialogs::holdModeless(diagnosticsDialog_, [this] { return new DiagnosticsDialog(*this, activeWindow()); });
            dialogs::showModeless(diagnosticsDialog_, activeWindow());
            break;
        case cmd::AboutMcsFps: showMessage("About MCS and FPS", kAboutMcsFps); break;
        case cmd::KeyShortcuts: {
            QMessageBox box(QMessageBox::Information, "Keyboard and Mouse Shortcuts", keyShortcutsTable(),
                            QMessageBox::Ok, activeWindow());
            box.setTextFormat(Qt::RichText);
            box.exec();
            break;
        }
        case cmd::Website: dialogs::openInBrowser(QUrl(kWebSite), activeWindow(), "Vantor Website"); break;
        case cmd::ApplyToolbarFields: applyToolbarField(focusedToolbarField()); break;
        case cmd::FocusView:
            // Once the field has lost the focus it shows the stored value.
            viewWidget_->setFocus();
            refreshToolbar();
            break;
        case cmd::ObjectToOrigin: objectToOrigin(); break;
        default:
            dialogs::openDialog(id, *this);
            refreshMenus();
            break;
    }
}

void MainWindow::setPriorityCommand(int priority) {
    setIfChanged(world_, world_.PROCESS_PRIORITY, priority);
    if (world_.simulationRunning) notePriorityResult(setProcessPriority(pool_, priority), priority);
    refreshMenus();
}

void MainWindow::notePriorityResult(int result, int wanted) {
    if (result == 0 || wanted < 0 || wanted > 3) {
        priorityInForce_.reset();
        return;
    }
    const int inForce = priorityInForce();
    priorityInForce_ = inForce;
    const QString text = QString::fromStdString(priorityRefusedText(wanted, inForce));
    updateStatusLine(&text);
}

void MainWindow::toggleStaticScenery() {
    if (world_.DISPLAY_STATIC_SCENERY) {
        world_.DISPLAY_STATIC_SCENERY = 0;
        world_.sceneryModified = 1;
    } else if (world_.STATIC_SCENERY_OBJECTS_N < 1) {
        // Asks for a count first; the dialog switches the display on when
        // the count became positive.
        dialogs::openDialog(cmd::StaticSceneryDialog, *this);
    } else {
        world_.DISPLAY_STATIC_SCENERY = 1;
        world_.sceneryModified = 1;
    }
    refreshMenus();
    paintView();
}

void MainWindow::objectToOrigin() {
    if (world_.selectedObject < 0) return;
    setIfChanged(world_, world_.ORIGIN_MODE, 1);
    setIfChanged(world_, world_.ORIGIN_OBJECT, world_.selectedObject);
    refreshViewDialogs();
    paintView();
    refreshMenus();
}

void MainWindow::keyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (world_.benchmarkRunning) {
        if (key == Qt::Key_Escape && dialogs::cancelBenchmark) dialogs::cancelBenchmark();
        return;
    }
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool craft = world_.SPACECRAFT_MODE != 0;
    auto turn = [this](bool horizontal, double beta) {
        if (horizontal) render::turnViewHorizontal(world_, view_, beta);
        else render::turnViewVertical(world_, view_, beta);
        refreshViewDialogs();
        if (!world_.simulationRunning) paintView();
    };
    switch (key) {
        case Qt::Key_Escape: setRunning(0); break;
        case Qt::Key_Space: setRunning(-1); break;
        case Qt::Key_Left:
            if (craft) shift ? onCommand(cmd::RotateCounterclockwise) : turn(true, 0.5);
            else onCommand(shift ? cmd::RotateClockwise : cmd::RotateThetaMinus);
            break;
        case Qt::Key_Right:
            if (craft) shift ? onCommand(cmd::RotateClockwise) : turn(true, -0.5);
            else onCommand(shift ? cmd::RotateCounterclockwise : cmd::RotateThetaPlus);
            break;
        case Qt::Key_Up:
            if (craft) turn(false, -0.5);
            else onCommand(cmd::RotatePhiMinus);
            break;
        case Qt::Key_Down:
            if (craft) turn(false, 0.5);
            else onCommand(cmd::RotatePhiPlus);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Insert:
        case Qt::Key_Delete:
            if (craft) dialogs::spacecraftKey(key, *this);
            break;
        case Qt::Key_ScrollLock:
            if (craft) {
                setIfChanged(world_, world_.SPACECRAFT_AUTOTRACKING, !world_.SPACECRAFT_AUTOTRACKING);
                refreshMenus();
            }
            break;
        case Qt::Key_F6: toggleWithShiftLock(0, world_.DISPLAY_OBJECTS_AS_DOTS, true, shift); break;
        case Qt::Key_F7: toggleWithShiftLock(1, world_.IMPROVE_OBJECTS_VISIBILITY, true, shift); break;
        case Qt::Key_F8: toggleWithShiftLock(2, world_.SHOW_OBJECT_TRAILS, true, shift); break;
        case Qt::Key_F11: toggleFullscreen(); break;
        case Qt::Key_F12:
            if (craft) dialogs::leaveSpacecraftMode(*this);
            else onCommand(cmd::Spacecraft);
            break;
        default:
            if (const int id = commandForKey(key)) onCommand(id);
            break;
    }
}

void MainWindow::keyUp(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    // The window system reports a release before every auto-repeat; only the
    // real release counts.
    if (autoRepeat || world_.benchmarkRunning) return;
    const bool shift = modifiers & Qt::ShiftModifier;
    if (key == Qt::Key_F6) toggleWithShiftLock(0, world_.DISPLAY_OBJECTS_AS_DOTS, false, shift);
    if (key == Qt::Key_F7) toggleWithShiftLock(1, world_.IMPROVE_OBJECTS_VISIBILITY, false, shift);
    if (key == Qt::Key_F8) toggleWithShiftLock(2, world_.SHOW_OBJECT_TRAILS, false, shift);
}

int MainWindow::shiftLock(int key) const {
    if (key == Qt::Key_F6) return shiftLocks_[0];
    if (key == Qt::Key_F7) return shiftLocks_[1];
    if (key == Qt::Key_F8) return shiftLocks_[2];
    return 0;
}

// A plain press shows the setting while the key is held; Shift with the key
// locks it on, and a second Shift press (or a plain press and release)
// turns it off. Never marks the scenery modified.
void MainWindow::toggleWithShiftLock(int which, int& setting, bool held, bool shift) {
    const int old = setting;
    int& lock = shiftLocks_[which];
    if (held) {
        if (!shift) {
            setting = 1;
            lock = 0;
        } else if (lock) {
            lock = 0;
            setting = 0;
        } else {
            setting = 1;
            lock = 1;
        }
    } else if (!shift && !lock) {
        setting = 0;
    }
    if (setting != old) {
        refreshMenus();
        if (which != 2) paintView();
    }
}

void MainWindow::viewMousePress(QPoint pos, Qt::MouseButton button) {
    if (button != Qt::LeftButton || refusedWhileBenchmarking()) return;
    if (render::beginViewDrag(world_, view_, drag_, pos.x(), pos.y()) & render::DRAG_REPAINT) paintView();
}

void MainWindow::viewMouseRelease(Qt::MouseButton button) {
    if (button != Qt::LeftButton || refusedWhileBenchmarking()) return;
    if (render::endViewDrag(view_, drag_) & render::DRAG_REPAINT) paintView();
}

void MainWindow::viewWheel(int angleDelta) {
    if (refusedWhileBenchmarking()) return;
    // Bounded, so that no single event can stall the window.
    constexpr int kMostSteps = 50;
    const int steps = std::clamp(render::wheelZoomSteps(wheel_, angleDelta), -kMostSteps, kMostSteps);
    if (steps == 0) return;
    for (int k = 0; k < std::abs(steps); ++k) {
        if (steps > 0) render::zoomIn(world_, view_);
        else render::zoomOut(world_, view_);
    }
    refreshViewDialogs();
    paintView();
}

void MainWindow::viewDoubleClick() {
    if (refusedWhileBenchmarking()) return;
    toggleFullscreen();
}

void MainWindow::viewMouseMove(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint global) {
    if (refusedWhileBenchmarking()) return;
    updateObjectTooltip(pos, global);
    if (!drag_.buttonHeld) return;
    if (!(buttons & Qt::LeftButton)) {
        render::loseViewDrag(drag_);
        return;
    }
    const int effect = render::applyViewDrag(world_, view_, drag_, pos.x(), pos.y(), modifiers & Qt::ShiftModifier,
                                             modifiers & Qt::ControlModifier);
    if (effect & (render::DRAG_ANGLES | render::DRAG_ORIGIN)) refreshViewDialogs();
    if (effect & render::DRAG_REPAINT) paintView();
}

void MainWindow::updateObjectTooltip(QPoint viewPos, QPoint global) {
    const int i = render::objectAtPoint(view_, viewPos.x(), viewPos.y());
    if (i < 0 || i >= world_.OBJECTS_N) {
        if (nameShown_) {
            QToolTip::hideText();
            const QString empty;
            updateStatusLine(&empty);
            nameShown_ = false;
        }
        return;
    }
    const ObjectRecord& o = world_.objects[i];
    const QString name = o.name ? fromWorldText(o.name) : QString();
    const QString tip =
        QString("%1\nMass: %2\nRadius: %3")
            .arg(name, QString::fromStdString(formatReal(o.mass)), QString::fromStdString(formatReal(o.radius)))
            .left(1503);
    QToolTip::showText(global, tooltipText(tip), viewWidget_);
    if (o.name) {
        updateStatusLine(&name);
        nameShown_ = true;
    }
}

void MainWindow::showContextMenu(QPoint global) {
    if (refusedWhileBenchmarking()) return;
    // The menu takes the mouse: the left button's release of a drag under
    // way never reaches the view, so the drag ends here and its axes go.
    if (drag_.buttonHeld || view_.viewDragging) {
        render::endViewDrag(view_, drag_);
        paintView();
    }
    const QPoint local = viewWidget_->mapFromGlobal(global);
    world_.selectedObject = render::objectAtPoint(view_, local.x(), local.y());
    delete contextMenu_;
    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName("contextMenu");
    auto add = [this](int id, const QString& text, bool enabled = true, int checked = -1) {
        QAction* a = contextMenu_->addAction(text);
        a->setData(id);
        a->setEnabled(enabled);
        if (checked >= 0) {
            a->setCheckable(true);
            a->setChecked(checked != 0);
        }
        connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
        return a;
    };
    add(cmd::StartPause, "Start simulation", world_.OBJECTS_N >= 1, world_.simulationRunning);
    add(cmd::Reinitialize, "Reinitialize simulation", world_.INIT_OBJECTS_N >= 1);
    contextMenu_->addSeparator();
    add(cmd::ObjectEditor, "Object Editor...");
    add(cmd::ObjectRandomizer, "Object Randomizer...");
    contextMenu_->addSeparator();
    add(cmd::TimeStep, "Simulation time step...");
    add(cmd::FramesPerSecond, "Frames per second...");
    contextMenu_->addSeparator();
    add(cmd::Viewpoint, "Viewpoint...");
    add(cmd::Origin, "Origin...");
    contextMenu_->addSeparator();
    add(cmd::DisplayOsd, "Display OSD", true, world_.displayOSD);
    add(cmd::DisplayAxes, "Display axes", true, world_.displayAxes);
    add(cmd::DimDistant, "Dim distant objects", true, world_.DIM_DISTANT_OBJECTS);
    contextMenu_->addSeparator();
    add(cmd::Benchmark, "Benchmark computer...");
    QMenu* priority = contextMenu_->addMenu("Process priority");
    const struct {
        int id;
        const char* text;
        int value;
    } priorities[] = {{cmd::PriorityHighest, "Highest", 3},
                      {cmd::PriorityHigh, "High", 2},
                      {cmd::PriorityNormal, "Normal", 0},
                      {cmd::PriorityLow, "Low", 1}};
    auto* choice = new QActionGroup(priority);  // radio items, as in the menu bar
    for (const auto& p : priorities) {
        QAction* a = priority->addAction(p.text);
        a->setData(p.id);
        a->setCheckable(true);
        a->setChecked(shownPriority() == p.value);
        choice->addAction(a);
        const int id = p.id;
        connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
    }
    contextMenu_->addSeparator();
    add(cmd::Fullscreen, "Fullscreen", true, view_.fullscreenMode);
    if (world_.selectedObject >= 0) {
        contextMenu_->addSeparator();
        const long n = world_.selectedObject + 1;
        add(cmd::ObjectToOrigin, QString("Object %1 to origin").arg(n), world_.OBJECTS_N >= 1);
        add(cmd::ObjectEditor, QString("Object %1 properties...").arg(n), world_.OBJECTS_N >= 1);
    }
    contextMenu_->popup(global);
}

void MainWindow::applyToolbarField(int fieldId) {
    SpinField* f = toolbarField(fieldId);
    if (fieldId == cmd::FpsField && f) {
        bool ok = false;
        long fps = f->value().trimmed().toLong(&ok);
        if (!ok) fps = 0;
        fps = std::clamp<long>(fps, 5, 1000);
        setIfChanged(world_, world_.FPS_DESIRED, static_cast<int>(fps));
    } else if (fieldId == cmd::TimeStepField && f) {
        const double step = parseReal(f->value().left(50).toLatin1().constData());
        setIfChanged(world_, world_.SIMULATION_TIME_STEP, acceptPositiveUpTo(world_.SIMULATION_TIME_STEP, step, 1e10));
    } else if (fieldId == cmd::RotatingStepField && f) {
        const double step = parseReal(f->value().left(50).toLatin1().constData());
        setIfChanged(world_, world_.VIEW_ROTATING_STEP, acceptPositiveUpTo(world_.VIEW_ROTATING_STEP, step, 10));
    }
    viewWidget_->setFocus();
    refreshMenus();
}

int MainWindow::focusedToolbarField() const {
    for (const auto& [id, field] : fields_) {
        if (field->hasFocus()) return id;
    }
    return 0;
}

void MainWindow::spinToolbarField(int fieldId, int direction) {
    if (fieldId == cmd::FpsField) {
        int fps = world_.FPS_DESIRED;
        if (direction > 0) fps = std::min(1000, (fps / 5 + 1) * 5);
        else fps = std::max(5, (fps % 5 == 0 ? fps - 5 : fps / 5 * 5));
        world_.FPS_DESIRED = fps;
    } else if (fieldId == cmd::TimeStepField) {
        const double factor = direction > 0 ? 1.1 : 0.9;
        world_.SIMULATION_TIME_STEP =
            acceptPositiveUpTo(world_.SIMULATION_TIME_STEP, world_.SIMULATION_TIME_STEP * factor, 1e10);
    } else if (fieldId == cmd::RotatingStepField) {
        const double factor = direction > 0 ? 1.1 : 0.9;
        world_.VIEW_ROTATING_STEP =
            acceptPositiveUpTo(world_.VIEW_ROTATING_STEP, world_.VIEW_ROTATING_STEP * factor, 10);
    }
    // A spin does not mark the scenery modified. The field shows the value
    // at once, also while it has the focus (a held arrow, the Up key).
    showToolbarField(fieldId);
    refreshToolbar();
}

void MainWindow::toolbarRepeatTick() {
    if (world_.benchmarkRunning) return;
    static const int kRepeating[] = {
        cmd::ZoomIn,           cmd::ZoomOut,         cmd::RotatePhiMinus,  cmd::RotatePhiPlus,
        cmd::RotateThetaMinus, cmd::RotateThetaPlus, cmd::RotateClockwise, cmd::RotateCounterclockwise};
    int pressed = 0;
    for (int id : kRepeating) {
        auto* button = qobject_cast<QToolButton*>(toolbar_->widgetForAction(action(id)));
        if (button && button->isDown()) {
            pressed = id;
            break;
        }
    }
    const bool rotation = pressed != 0 && pressed != cmd::ZoomIn && pressed != cmd::ZoomOut;
    if (!rotation && repeatActive_ && view_.viewDragging && !drag_.buttonHeld) {
        view_.viewDragging = 0;
        paintView();
    }
    if (rotation) view_.viewDragging = 1;
    repeatActive_ = pressed != 0;
    if (!repeatActive_) {
        repeatTicks_ = 0;
        return;
    }
    // The first 100 ms only count; then the command repeats every tick.
    if (++repeatTicks_ >= 5) onCommand(pressed);
}

}  // namespace vantor
