#include "app/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/command_table.h"
#include "app/long_timer.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/common/dialog_placement.h"
#include "dialogs/common/field_fit.h"
#include "dialogs/common/spin_field.h"
#include "dialogs/settings/settings_fields.h"
#include "engine/runcontrol.h"
#include "render/camera.h"
#include "render/painter.h"
#include "scenery/realtext.h"

// The pictures are compiled into the library; a static library needs its
// resources registered by hand (outside any namespace).
static void registerIconResources() { Q_INIT_RESOURCE(icons); }

namespace vantor {

namespace {

QIcon icon(const char* name) { return QIcon(QString(":/icons/%1.svg").arg(name)); }

// A part of the status bar. The first part ends a text too long for it in
// an ellipsis rather than cutting it off anywhere (a cut-off date reads as a
// wrong one). A run-state part draws a text a little too wide for it ("16
// threads" in a 60-pixel part) in a smaller size of the font; one far too
// wide is clipped at the part's edges.
class StatusPart : public QLabel {
public:
    StatusPart(bool elide, QWidget* parent) : QLabel(parent), elide_(elide) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        QString shown = text();
        if (elide_) {
            shown = fontMetrics().elidedText(shown, Qt::ElideRight, area.width());
        } else {
            QFont fitted = font();
            const qreal full = fitted.pointSizeF(), smallest = full * 0.75;
            while (full > 0 && fitted.pointSizeF() > smallest &&
                   QFontMetrics(fitted).horizontalAdvance(shown) > area.width()) {
                fitted.setPointSizeF(std::max(smallest, fitted.pointSizeF() - 0.5));
            }
            painter.setFont(fitted);
        }
        style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                              foregroundRole());
    }

private:
    bool elide_;
};

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    registerIconResources();
    setObjectName("mainWindow");
    setWindowTitle("Vantor");
    setWindowIcon(icon("app"));
    newScenery(world_);

    surface_.setTextRenderer(&viewText_);
    viewWidget_ = new ViewWidget(*this, surface_);
    setCentralWidget(viewWidget_);
    view_.present = [this] { viewWidget_->present(); };

    fullscreenWindow_ = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
    fullscreenWindow_->setObjectName("fullscreenWindow");
    fullscreenWindow_->setWindowTitle("Vantor Fullscreen");
    fullscreenWindow_->installEventFilter(this);
    auto* fullscreenLayout = new QVBoxLayout(fullscreenWindow_);
    fullscreenLayout->setContentsMargins(0, 0, 0, 0);
    // Fullscreen has no status bar: a failed autosave shows over the view.
    autosaveAlertLabel_ = new QLabel(fullscreenWindow_);
    autosaveAlertLabel_->setObjectName("autosaveAlert");
    autosaveAlertLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    autosaveAlertLabel_->setStyleSheet(
        "QLabel { color: #ffffff; background: #b00020; font-weight: bold; padding: 4px 10px; }");
    autosaveAlertLabel_->hide();

    createActions();
    createMenus();
    createToolbars();
    createStatusBar();
    createSpeedLimitControls();
    setAcceptDrops(true);
    createTimers();
    refreshMenus();
    updateStatusLine();
}

MainWindow::~MainWindow() {
    pumpTimer_.stop();
    delete fullscreenWindow_;
}

bool MainWindow::startWorkers() {
    if (createWorkerPool(pool_, world_) != 1) return false;
    updateStatusLine();
    return true;
}

QAction* MainWindow::makeAction(int id, const QString& text, const QString& iconName, const QString& tip) {
    auto it = actions_.find(id);
    QAction* a = it != actions_.end() ? it->second : nullptr;
    if (!a) {
        a = new QAction(text, this);
        a->setData(id);
        a->setObjectName(QString::number(id));
        // The key table handles every key; the hint after the tab is text.
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
        actions_[id] = a;
    }
    if (!iconName.isEmpty()) a->setIcon(icon(iconName.toUtf8().constData()));
    if (!tip.isEmpty()) a->setToolTip(tip);
    return a;
}

QAction* MainWindow::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::createActions() {
    for (const Command& c : commandTable()) {
        if (!c.text) continue;
        QAction* a = makeAction(c.id, c.text, c.icon ? c.icon : QString(), c.tip ? c.tip : QString());
        if (c.checked) a->setCheckable(true);
    }
    for (int id : {cmd::Fullscreen, cmd::PriorityHighest, cmd::PriorityHigh, cmd::PriorityNormal, cmd::PriorityLow})
        action(id)->setCheckable(true);
    // The four priorities are one choice: radio items.
    auto* priorities = new QActionGroup(this);
    priorities->setExclusive(true);
    for (int id : {cmd::PriorityHighest, cmd::PriorityHigh, cmd::PriorityNormal, cmd::PriorityLow})
        priorities->addAction(action(id));
    startIcon_ = icon("start");
    pauseIcon_ = icon("pause");
}

void MainWindow::createMenus() {
    std::function<void(QMenu*, const std::vector<MenuItem>&)> fill = [&](QMenu* menu,
                                                                         const std::vector<MenuItem>& items) {
        for (const MenuItem& e : items) {
            if (e.id == 0) menu->addSeparator();
            else if (e.id < 0) fill(menu->addMenu(e.caption), e.items);
            else menu->addAction(action(e.id));
        }
    };
    for (const MenuItem& top : menuBarLayout()) {
        QMenu* menu = menuBar()->addMenu(top.caption);
        fill(menu, top.items);
        // Opening a menu disturbs a benchmark's run.
        connect(menu, &QMenu::aboutToShow, this, [this] { abortWhileBenchmarking(); });
    }
}

void MainWindow::createToolbars() {
    toolbar_ = addToolBar("Toolbar");
    toolbar_->setObjectName(QString::number(cmd::Toolbar));
    toolbar_->setMovable(false);
    // Compact buttons, so that the whole row fits above a 600-pixel view.
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setStyleSheet("QToolBar { spacing: 0px; padding: 0px; } QToolButton { padding: 1px; margin: 0px; }");
    for (int id : toolbarLayout()) {
        if (id == 0) toolbar_->addSeparator();
        else toolbar_->addAction(action(id));
    }
    addToolBarBreak();

    fieldsBar_ = addToolBar("Fields");
    fieldsBar_->setObjectName("fields");
    fieldsBar_->setMovable(false);
    fieldsBar_->setIconSize(QSize(16, 16));
    // Tighter still than the buttons' row: the three fields with all their
    // digits and the units must fit above a 600-pixel view.
    fieldsBar_->setStyleSheet("QToolBar { spacing: 0px; padding: 0px; } QToolButton { padding: 0px; margin: 0px; }");
    struct FieldSpec {
        int command;
        const char* icon;
        const char* tip;
        int id;
        const char* unit;
    };
    const FieldSpec specs[] = {
        {cmd::TimeStep, "time_step", "Simulation time step", cmd::TimeStepField, "sec."},
        {cmd::FramesPerSecond, "fps", "Frames per second", cmd::FpsField, "FPS"},
        {cmd::RotatingStep, "rotating_step", "Rotating step", cmd::RotatingStepField, "deg."},
    };
    for (const FieldSpec& f : specs) {
        fieldsBar_->addAction(makeAction(f.command, {}, f.icon, f.tip));
        SpinField* field = f.id == cmd::FpsField ? new DigitSpinField(fieldsBar_) : new SpinField(fieldsBar_);
        field->setObjectName(QString::number(f.id));
        // The wheel steps a field without taking the keys from the view.
        field->setFocusPolicy(Qt::StrongFocus);
        // Wide enough for the longest value each holds (four digits, or a
        // positive real with all its digits), so that the row is tight around
        // the text; a narrow window takes its room from the fields, whose
        // texts then show their starts.
        field->setTextMargin(0);
        field->ensurePolished();
        const QFontMetrics metrics(field->font());
        field->setPreferredWidth(
            widthToShow(field, f.id == cmd::FpsField ? digitSample(metrics, 4) : fullPrecisionSample(metrics, false)));
        field->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        if (f.id != cmd::FpsField) field->setMaxLength(50);
        const int id = f.id;
        field->onStep = [this, id](int direction) { spinToolbarField(id, direction); };
        connect(field, &SpinField::enterPressed, this, [this, id] { applyToolbarField(id); });
        connect(field, &SpinField::escapePressed, this, [this] { onCommand(cmd::FocusView); });
        // An arrow clicked or held hands the keys back to the view when let go.
        connect(field, &SpinField::arrowReleased, this, [this] { onCommand(cmd::FocusView); });
        // Typing left behind is dropped, so that no later Enter takes it.
        connect(field, &SpinField::focusLeft, this, [this, id] { showToolbarField(id); });
        fields_[f.id] = field;
        fieldsBar_->addWidget(field);
        auto* unit = new QLabel(f.unit, fieldsBar_);
        unit->setContentsMargins(1, 0, 2, 0);
        fieldsBar_->addWidget(unit);
    }
}

SpinField* MainWindow::toolbarField(int id) const {
    auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

void MainWindow::createStatusBar() {
    statusBar()->setObjectName(QString::number(cmd::StatusBar));
    statusBar()->setSizeGripEnabled(true);
    for (int part = 0; part < 6; ++part) {
        // The first part ends a text too long for it in an ellipsis; its
        // tooltip shows it whole.
        auto* label = new StatusPart(part == 0, statusBar());
        label->setObjectName(QString("status%1").arg(part));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setContentsMargins(2, 0, 2, 0);
        // Placed by layoutStatusParts, not by the bar's layout, whose
        // spacing and size grip would move the parts off their edges. Below
        // the size grip, which stays in reach over the last part.
        label->lower();
        statusParts_[part] = label;
    }
    statusBar()->installEventFilter(this);
    layoutStatusParts();
}

void MainWindow::layoutStatusParts() {
    const int w = view_.viewWidth > 0 ? view_.viewWidth : 600;
    const int h = w / 2;
    std::array<int, 6> edges{};
    if (h > 450) {
        edges = {w - 450, w - 360, w - 270, w - 180, w - 90, w};
    } else {
        const int q = h / 5;
        edges = {h, h + q, h + 2 * q, h + 3 * q, h + 4 * q, h + 5 * q};
    }
    // Each part is a widget of its own: it clips its text at its edges.
    int left = 0;
    for (int part = 0; part < 6; ++part) {
        statusParts_[part]->setGeometry(left, 0, std::max(0, edges[part] - left), statusBar()->height());
        left = edges[part];
    }
    // The marks (speed limit, recording) take the end of the first part,
    // whose text gives way (it ends in an ellipsis), so that they cover no
    // other part.
    int end = edges[0];
    for (QLabel* mark : {recordingMark_, speedLimitStatus_}) {
        if (!mark || !mark->isVisibleTo(statusBar())) continue;
        const int markWidth = std::min(mark->sizeHint().width(), end);
        end -= markWidth;
        mark->setGeometry(end, 0, markWidth, statusBar()->height());
    }
    statusParts_[0]->setGeometry(0, 0, end, statusBar()->height());
}

void MainWindow::updateStatusLine(const QString* text) {
    auto setPart = [this](int part, const QString& value) {
        // A leading tab centres a part's text.
        const bool centred = value.startsWith('\t');
        const QString shown = centred ? value.mid(1) : value;
        QLabel* label = statusParts_[part];
        if (label->text() != shown) label->setText(shown);
        const Qt::Alignment alignment = (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
        if (label->alignment() != alignment) label->setAlignment(alignment);
    };
    if (text) {
        // A failed autosave stays in front of whatever else is shown. Its
        // reason shows when it stands alone; before another text only the
        // words that say it, so that the other text still fits. The tooltip
        // has it all.
        QString first = *text, whole = *text;
        if (!autosaveAlert_.isEmpty()) {
            first = text->isEmpty() ? autosaveAlert_ : QString(AUTOSAVE_FAILED_TEXT) + " - " + *text;
            whole = text->isEmpty() ? autosaveAlert_ : autosaveAlert_ + " - " + *text;
        }
        setPart(0, first);
        statusParts_[0]->setToolTip(whole);
    }
    // Every frame of a run comes here: rebuild the texts only when what they
    // show has changed, so that a frame allocates nothing.
    const std::array<int, 5> shown = {world_.simulationRunning, world_.INIT_OBJECTS_N, world_.OBJECTS_N,
                                      computingWorkers(pool_), world_.COLLISION_COUNTER};
    if (statusShown_ && *statusShown_ == shown) return;
    statusShown_ = shown;
    const std::array<std::string, 5> parts = statusRunParts(world_, pool_);
    for (int part = 1; part < 6; ++part) setPart(part, QString::fromStdString(parts[part - 1]));
}

void MainWindow::refreshMenus() {
    const bool hasObjects = world_.INIT_OBJECTS_N >= 1 || world_.OBJECTS_N >= 1;
    action(cmd::SaveAs)->setEnabled(hasObjects);
    action(cmd::ReadOnlyFlag)->setEnabled(hasObjects);
    action(cmd::Reinitialize)->setEnabled(world_.INIT_OBJECTS_N >= 1);
    action(cmd::StartPause)->setEnabled(world_.OBJECTS_N >= 1);
    for (const Command& c : commandTable()) {
        if (c.checked && c.text) action(c.id)->setChecked(world_.*c.checked != 0);
    }
    action(cmd::Fullscreen)->setChecked(view_.fullscreenMode);
    const int priorityIds[] = {cmd::PriorityNormal, cmd::PriorityLow, cmd::PriorityHigh, cmd::PriorityHighest};
    const int priority = shownPriority();
    for (int p = 0; p < 4; ++p) action(priorityIds[p])->setChecked(priority == p);
    refreshToolbar();
    refreshSpeedLimit();
    updateTitle();
}

void MainWindow::refreshToolbar() {
    QAction* start = action(cmd::StartPause);
    start->setToolTip(world_.simulationRunning ? "Pause simulation" : "Start simulation");
    start->setIcon(world_.simulationRunning ? pauseIcon_ : startIcon_);
    // The fields show the stored values; a value being typed is replaced.
    for (const auto& [id, field] : fields_) {
        if (!field->hasFocus()) showToolbarField(id);
    }
}

void MainWindow::showToolbarField(int id) {
    SpinField* f = toolbarField(id);
    if (!f) return;
    if (id == cmd::FpsField) f->setValue(QString::number(world_.FPS_DESIRED));
    else if (id == cmd::TimeStepField) f->setValue(QString::fromStdString(formatReal(world_.SIMULATION_TIME_STEP, 50)));
    else if (id == cmd::RotatingStepField)
        f->setValue(QString::fromStdString(formatReal(world_.VIEW_ROTATING_STEP, 50)));
}

void MainWindow::fitMainWindow() {
    // Pin the view to 600 x 350, let the window fit around it, then let the
    // user resize freely again.
    viewWidget_->setFixedSize(600, 350);
    adjustSize();
    viewWidget_->setMinimumSize(0, 0);
    viewWidget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The window's size hint can be wider than the view (the status bar's
    // parts and size grip): take off what the view got too much.
    if (layout()) layout()->activate();
    resize(size() + QSize(600, 350) - viewWidget_->size());
}

void MainWindow::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

QWidget* MainWindow::activeWindow() { return view_.fullscreenMode ? fullscreenWindow_ : this; }

void MainWindow::viewResized() {
    render::updateViewSize(view_, viewWidget_->width(), viewWidget_->height());
    render::updateProjection(world_, view_);
    layoutStatusParts();
}

void MainWindow::paintView() {
    if (surface_.width() != view_.viewWidth || surface_.height() != view_.viewHeight) {
        render::clearBackBuffer(view_, surface_);
    }
    render::paintFrame(world_, view_, surface_);
    updateStatusLine();  // as every repaint does: the run-state parts follow
}

void MainWindow::rebuildAndPaint() {
    viewResized();
    render::clearBackBuffer(view_, surface_);
    paintView();
}

void MainWindow::toggleFullscreen() {
    view_.fullscreenMode = !view_.fullscreenMode;
    if (view_.fullscreenMode) {
        takeCentralWidget();
        fullscreenWindow_->layout()->addWidget(viewWidget_);
        hide();
        fullscreenWindow_->showFullScreen();
    } else {
        fullscreenWindow_->layout()->removeWidget(viewWidget_);
        setCentralWidget(viewWidget_);
        fullscreenWindow_->hide();
        show();
    }
    viewWidget_->show();
    viewWidget_->setFocus();
    dialogs::keepModelessAbove(activeWindow());
    showAutosaveAlert();
    rebuildAndPaint();
    refreshMenus();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Closing the fullscreen window goes through the save prompt like
    // closing the main window.
    if (watched == fullscreenWindow_ && event->type() == QEvent::Close) {
        event->ignore();
        onCommand(cmd::Exit);
        return true;
    }
    if (watched == fullscreenWindow_ && event->type() == QEvent::Resize) placeAutosaveAlert();
    if (watched == statusBar() && event->type() == QEvent::Resize) layoutStatusParts();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    const int answer = confirmSaveChanges();
    if (answer == answer::Yes || answer == answer::No) {
        setRunning(0);
        fullscreenWindow_->hide();
        event->accept();
        QApplication::quit();
    } else {
        event->ignore();
    }
}

void MainWindow::changeEvent(QEvent* event) {
    // Deactivating the window disturbs a benchmark's timing.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) abortWhileBenchmarking();
    QMainWindow::changeEvent(event);
}

}  // namespace vantor
