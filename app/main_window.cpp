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

#include "app/long_timer.h"
#include "app/view_widget.h"
#include "dialogs/command_ids.h"
#include "dialogs/dialog_placement.h"
#include "dialogs/field_fit.h"
#include "dialogs/settings_widgets.h"
#include "dialogs/spin_field.h"
#include "engine/runcontrol.h"
#include "render/camera.h"
#include "render/painter.h"
#include "scenery/realtext.h"

// The pictures are compiled into the library; a static library needs its
// resources registered by hand (outside any namespace).
static void registerIconResources() { Q_INIT_RESOURCE(icons); }

namespace vantor {

namespace {

// The menu bar: a separator has id 0 and no text; a submenu has id -1.
struct MenuEntry {
    int id;
    const char* text;
    std::vector<MenuEntry> items;
};

const MenuEntry& separator() {
    static const MenuEntry entry{0, nullptr, {}};
    return entry;
}

std::vector<MenuEntry> menuBarTable() {
    const MenuEntry sep = separator();
    return {
        {-1, "&File",
         {{cmd::New, "&New", {}},
          {cmd::Open, "&Open...", {}},
          {cmd::SaveAs, "&Save as...", {}},
          {cmd::Autosave, "&Autosave...", {}},
          sep,
          {cmd::ReadOnlyFlag, "&Read-only flag", {}},
          sep,
          {cmd::Exit, "&Exit", {}},
          sep,
          {cmd::RecordVideo, "Record &video...", {}}}},
        {-1, "&Edit",
         {{cmd::SceneryInfo, "Scener&y info/description\tI", {}},
          sep,
          {cmd::ObjectEditor, "Object &Editor...\tE", {}},
          {cmd::ObjectRandomizer, "Object &Randomizer...\tR", {}},
          {cmd::StaticSceneryDialog, "S&tatic scenery...", {}},
          sep,
          {cmd::TimeStep, "&Simulation time step...", {}},
          {cmd::FramesPerSecond, "&Frames per second...", {}},
          sep,
          {cmd::Reinitialize, "Re&initialize simulation", {}},
          sep,
          {-1, "&Process priority",
           {{cmd::PriorityHighest, "Highe&st", {}},
            {cmd::PriorityHigh, "&High", {}},
            {cmd::PriorityNormal, "&Normal", {}},
            {cmd::PriorityLow, "&Low", {}}}}}},
        {-1, "&View",
         {{cmd::Viewpoint, "&Viewpoint...\tV", {}},
          {cmd::Origin, "&Origin...\tO", {}},
          sep,
          {cmd::Spacecraft, "&Spacecraft...\tF12", {}},
          sep,
          {cmd::FieldOfView, "&Field of View angle...", {}},
          sep,
          {-1, "&Zoom", {{cmd::ZoomIn, "Zoom &In\t+", {}}, {cmd::ZoomOut, "Zoom &Out\t-", {}}}},
          {-1, "&Rotate",
           {{cmd::RotatePhiMinus, "Rotate around z-axis (+)\tUp", {}},
            {cmd::RotatePhiPlus, "Rotate around z-axis (-)\tDown", {}},
            {cmd::RotateThetaMinus, "Rotate around vertical (+)\tLeft", {}},
            {cmd::RotateThetaPlus, "Rotate around vertical (-)\tRight", {}},
            {cmd::RotateClockwise, "Rotate clockwise", {}},
            {cmd::RotateCounterclockwise, "Rotate counterclockwise", {}}}},
          {cmd::RotatingStep, "R&otating step...", {}},
          sep,
          {cmd::DisplayOsd, "Display O&SD\tS", {}},
          {cmd::DisplayAxes, "Display &Axes\tA", {}},
          {cmd::DisplayNames, "Display object &names\tN", {}},
          {cmd::DimDistant, "&Dim distant objects\tD", {}},
          {cmd::StaticScenery, "Display &static scenery\tF5", {}},
          {cmd::Dots, "Display objects as &dots\tF6", {}},
          {cmd::ImproveVisibility, "Improve objects &visibility\tF7", {}},
          {cmd::Trails, "Show object &trails\tF8", {}},
          sep,
          {cmd::RepaintWindow, "Re&paint window", {}},
          sep,
          {cmd::Fullscreen, "Fulls&creen\tF11", {}}}},
        {-1, "&Action",
         {{cmd::StartPause, "&Start simulation\tSpace", {}},
          {cmd::AutoStop, "Auto Sto&p/Restart...", {}},
          sep,
          {cmd::Threads, "Number of &threads...", {}},
          sep,
          {cmd::Relativistic, "Calculate &relativistic masses", {}},
          {cmd::Collisions, "Allow object &collisions", {}},
          sep,
          {cmd::Benchmark, "&Benchmark computer...\tF9", {}},
          sep,
          {cmd::Diagnostics, "Dia&gnostics...\tG", {}}}},
        {-1, "&Help",
         {{cmd::Examples, "&Examples...\tX", {}},
          sep,
          {cmd::AboutMcsFps, "About &MCS and FPS", {}},
          {cmd::KeyShortcuts, "&Key shortcuts", {}},
          sep,
          {cmd::Website, "Launch Vantor &Website", {}},
          sep,
          {cmd::About, "&About Vantor...", {}}}},
    };
}

// The toolbar's pictures and tooltips by command.
struct ToolbarEntry {
    int id;  // 0: separator
    const char* icon;
    const char* tip;
};

const ToolbarEntry kToolbar[] = {
    {cmd::New, "new", "New"},
    {cmd::Open, "open", "Open"},
    {cmd::SaveAs, "save", "Save as"},
    {0, nullptr, nullptr},
    {cmd::StartPause, "start", "Start simulation"},
    {cmd::Reinitialize, "reinitialize", "Reinitialize simulation"},
    {0, nullptr, nullptr},
    {cmd::ObjectEditor, "object_editor", "Object editor"},
    {cmd::ObjectRandomizer, "object_randomizer", "Object randomizer"},
    {0, nullptr, nullptr},
    {cmd::Viewpoint, "viewpoint", "Viewpoint"},
    {cmd::Origin, "origin", "Origin"},
    {0, nullptr, nullptr},
    {cmd::RotateCounterclockwise, "rotate_alpha_plus", "Rotate clockwise (alpha+)"},
    {cmd::ZoomIn, "zoom_in", "Zoom in"},
    {cmd::ZoomOut, "zoom_out", "Zoom out"},
    {cmd::RotateClockwise, "rotate_alpha_minus", "Rotate counterclockwise (alpha-)"},
    {0, nullptr, nullptr},
    {cmd::RotatePhiPlus, "rotate_phi_plus", "Rotate around z-axis clockwise (phi+)"},
    {cmd::RotateThetaPlus, "theta_plus", "Increase theta (theta+)"},
    {cmd::RotateThetaMinus, "theta_minus", "Decrease theta (theta-)"},
    {cmd::RotatePhiMinus, "rotate_phi_minus", "Rotate around z-axis counterclockwise (phi-)"},
    {0, nullptr, nullptr},
    {cmd::DisplayAxes, "axes", "Display axes"},
    {0, nullptr, nullptr},
    {cmd::Benchmark, "benchmark", "Benchmark computer"},
};

QIcon icon(const char* name) { return QIcon(QString(":/icons/%1.svg").arg(name)); }

// The status bar's first part: a text too long for it ends in an ellipsis
// rather than being cut off anywhere (a cut-off date reads as a wrong one).
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), Qt::ElideRight, area.width()), foregroundRole());
    }
};

// A run-state part of the status bar: a text a little too wide for its part
// ("16 threads" in a 60-pixel part) is drawn in a smaller size of the font
// rather than cut off; one far too wide is clipped at the part's edges.
class FittedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        QFont fitted = font();
        const qreal full = fitted.pointSizeF(), smallest = full * 0.75;
        while (full > 0 && fitted.pointSizeF() > smallest &&
               QFontMetrics(fitted).horizontalAdvance(text()) > area.width()) {
            fitted.setPointSizeF(std::max(smallest, fitted.pointSizeF() - 0.5));
        }
        painter.setFont(fitted);
        style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(), text(),
                              foregroundRole());
    }
};

// Which settings the check marks of the menu show.
struct CheckMark {
    int id;
    int World::*setting;
};

const CheckMark kWorldChecks[] = {
    {cmd::DisplayNames, &World::DISPLAY_OBJECT_NAMES},
    {cmd::DisplayOsd, &World::displayOSD},
    {cmd::DimDistant, &World::DIM_DISTANT_OBJECTS},
    {cmd::DisplayAxes, &World::displayAxes},
    {cmd::Trails, &World::SHOW_OBJECT_TRAILS},
    {cmd::Dots, &World::DISPLAY_OBJECTS_AS_DOTS},
    {cmd::ImproveVisibility, &World::IMPROVE_OBJECTS_VISIBILITY},
    {cmd::StaticScenery, &World::DISPLAY_STATIC_SCENERY},
    {cmd::ReadOnlyFlag, &World::FILE_READ_ONLY},
    {cmd::StartPause, &World::simulationRunning},
    {cmd::Relativistic, &World::CALCULATE_RELATIVISTIC_MASSES},
    {cmd::Collisions, &World::ALLOW_OBJECT_COLLISIONS},
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
    std::function<void(const std::vector<MenuEntry>&)> walk = [&](const std::vector<MenuEntry>& entries) {
        for (const MenuEntry& e : entries) {
            if (e.id > 0) makeAction(e.id, e.text);
            walk(e.items);
        }
    };
    walk(menuBarTable());
    for (const CheckMark& c : kWorldChecks) action(c.id)->setCheckable(true);
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
    std::function<void(QMenu*, const std::vector<MenuEntry>&)> fill = [&](QMenu* menu,
                                                                          const std::vector<MenuEntry>& entries) {
        for (const MenuEntry& e : entries) {
            if (e.id == 0) {
                menu->addSeparator();
            } else if (e.id < 0) {
                QMenu* sub = menu->addMenu(e.text);
                fill(sub, e.items);
            } else {
                menu->addAction(action(e.id));
            }
        }
    };
    for (const MenuEntry& top : menuBarTable()) {
        QMenu* menu = menuBar()->addMenu(top.text);
        fill(menu, top.items);
        // Opening a menu disturbs a benchmark's run.
        connect(menu, &QMenu::aboutToShow, this, [this] { abortWhileBenchmarking(); });
    }
}

void MainWindow::createToolbars() {
    toolbar_ = addToolBar("Toolbar");
    toolbar_->setObjectName("667");
    toolbar_->setMovable(false);
    // Compact buttons, so that the whole row fits above a 600-pixel view.
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setStyleSheet("QToolBar { spacing: 0px; padding: 0px; } QToolButton { padding: 1px; margin: 0px; }");
    for (const ToolbarEntry& e : kToolbar) {
        if (e.id == 0) toolbar_->addSeparator();
        else toolbar_->addAction(makeAction(e.id, {}, e.icon, e.tip));
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
        {cmd::TimeStep, "time_step", "Simulation time step", 670, "sec."},
        {cmd::FramesPerSecond, "fps", "Frames per second", 668, "FPS"},
        {cmd::RotatingStep, "rotating_step", "Rotating step", 671, "deg."},
    };
    for (const FieldSpec& f : specs) {
        fieldsBar_->addAction(makeAction(f.command, {}, f.icon, f.tip));
        SpinField* field = f.id == 668 ? new DigitSpinField(fieldsBar_) : new SpinField(fieldsBar_);
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
            widthToShow(field, f.id == 668 ? digitSample(metrics, 4) : fullPrecisionSample(metrics, false)));
        field->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        if (f.id != 668) field->setMaxLength(50);
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
    statusBar()->setObjectName("666");
    statusBar()->setSizeGripEnabled(true);
    for (int part = 0; part < 6; ++part) {
        // The first part ends a text too long for it in an ellipsis; its
        // tooltip shows it whole.
        auto* label = part == 0 ? static_cast<QLabel*>(new ElidedLabel(statusBar())) : new FittedLabel(statusBar());
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
    for (const CheckMark& c : kWorldChecks) action(c.id)->setChecked(world_.*c.setting != 0);
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
    if (id == 668) f->setValue(QString::number(world_.FPS_DESIRED));
    else if (id == 670) f->setValue(QString::fromStdString(formatReal(world_.SIMULATION_TIME_STEP, 50)));
    else if (id == 671) f->setValue(QString::fromStdString(formatReal(world_.VIEW_ROTATING_STEP, 50)));
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
    if (answer == 6 || answer == 7) {
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
