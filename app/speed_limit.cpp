// The speed limit's controls: the toolbar box, the Action menu's items, the
// L key's switch and the status bar's note. The limit belongs to the
// session: it is never saved, and New and Open keep it.
#include <QActionGroup>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "engine/runcontrol.h"

namespace vantor {

namespace {

struct LimitItem {
    int id;
    const char* menuText;
    double limit;
};

const LimitItem kLimitItems[] = {
    {cmd::SpeedLimitOff, "&Off", 0},
    {cmd::SpeedLimitHour, "1 &hour per second", SPEED_LIMIT_PRESETS[0]},
    {cmd::SpeedLimitDay, "1 &day per second", SPEED_LIMIT_PRESETS[1]},
    {cmd::SpeedLimitWeek, "1 &week per second", SPEED_LIMIT_PRESETS[2]},
    {cmd::SpeedLimitMonth, "1 &month per second", SPEED_LIMIT_PRESETS[3]},
    {cmd::SpeedLimitYear, "1 &year per second", SPEED_LIMIT_PRESETS[4]},
};

const char* const kLimitExamples = "for example 1 day/s, 12 h/s, 3 weeks/s or 5000 (seconds per second); off for none";

QString limitText(double limit) { return QString::fromStdString(speedLimitText(limit)); }

QMenu* topMenu(QMenuBar* bar, const QString& title) {
    for (QAction* a : bar->actions())
        if (a->menu() && a->text() == title) return a->menu();
    return nullptr;
}

}  // namespace

void MainWindow::createSpeedLimitControls() {
    // A row of its own: the rows above are full at the view's starting width.
    addToolBarBreak();
    limitBar_ = addToolBar("Speed limit");
    limitBar_->setObjectName("speedLimitBar");
    limitBar_->setMovable(false);
    limitBar_->setStyleSheet(toolbar_->styleSheet());
    limitBar_->addWidget(new QLabel(" Speed limit ", limitBar_));
    speedLimitBox_ = new QComboBox(limitBar_);
    speedLimitBox_->setObjectName("speedLimit");
    speedLimitBox_->setEditable(true);
    speedLimitBox_->setInsertPolicy(QComboBox::NoInsert);
    speedLimitBox_->setMinimumContentsLength(9);
    speedLimitBox_->setToolTip(QString("Speed limit: the most simulated time per second of real time (L switches "
                                       "it on and off). Type a value and press Enter, %1.")
                                   .arg(kLimitExamples));
    for (const LimitItem& item : kLimitItems) speedLimitBox_->addItem(limitText(item.limit), item.limit);
    limitBar_->addWidget(speedLimitBox_);
    connect(speedLimitBox_, &QComboBox::activated, this, [this](int index) {
        setSpeedLimit(speedLimitBox_->itemData(index).toDouble());
        viewWidget_->setFocus();
    });
    connect(speedLimitBox_->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (applySpeedLimitText(speedLimitBox_->currentText())) viewWidget_->setFocus();
    });
    auto* undo = new QShortcut(Qt::Key_Escape, speedLimitBox_, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(undo, &QShortcut::activated, this, [this] {
        viewWidget_->setFocus();
        refreshSpeedLimit();
    });

    if (QMenu* menu = topMenu(menuBar(), "&Action")) {
        menu->addSeparator();
        menu->addAction(makeAction(cmd::SpeedLimitToggle, "&Limit speed\tL"));
        QMenu* presets = menu->addMenu("Speed l&imit");
        for (const LimitItem& item : kLimitItems) presets->addAction(makeAction(item.id, item.menuText));
        presets->addSeparator();
        presets->addAction(makeAction(cmd::SpeedLimitOther, "O&ther..."));
    }
    action(cmd::SpeedLimitToggle)->setCheckable(true);
    // One of the limits is marked, as radio items.
    auto* group = new QActionGroup(this);
    for (const LimitItem& item : kLimitItems) group->addAction(action(item.id))->setCheckable(true);
    group->addAction(action(cmd::SpeedLimitOther))->setCheckable(true);

    speedLimitStatus_ = new QLabel(statusBar());
    speedLimitStatus_->setObjectName("speedLimitStatus");
    speedLimitStatus_->setAlignment(Qt::AlignCenter);
    speedLimitStatus_->setContentsMargins(6, 0, 6, 0);
    // Placed by layoutStatusParts beside the parts, not by the bar's
    // layout, which would put it over the last parts.
    speedLimitStatus_->hide();
}

bool MainWindow::speedLimitCommand(int id) {
    if (id == cmd::SpeedLimitToggle) {
        setSpeedLimit(world_.speedLimit > 0 ? 0 : chosenSpeedLimit_);
        return true;
    }
    if (id == cmd::SpeedLimitOther) {
        bool ok = false;
        const QString text = QInputDialog::getText(
            activeWindow(), "Speed limit",
            QString("Most simulated time per second of real time\n(%1):").arg(kLimitExamples), QLineEdit::Normal,
            limitText(world_.speedLimit > 0 ? world_.speedLimit : chosenSpeedLimit_), &ok);
        if (ok) applySpeedLimitText(text);
        refreshSpeedLimit();
        return true;
    }
    for (const LimitItem& item : kLimitItems) {
        if (item.id == id) {
            setSpeedLimit(item.limit);
            return true;
        }
    }
    return false;
}

bool MainWindow::applySpeedLimitText(const QString& text) {
    double limit = world_.speedLimit;
    if (!parseSpeedLimit(text.toStdString(), limit)) {
        QMessageBox::warning(activeWindow(), "Speed limit",
                             QString("\"%1\" is not a speed limit (%2).\nThe limit stays at %3.")
                                 .arg(text.left(60), kLimitExamples, limitText(world_.speedLimit)));
        refreshSpeedLimit();
        return false;
    }
    setSpeedLimit(limit);
    return true;
}

void MainWindow::setSpeedLimit(double limit) {
    world_.speedLimit = limit > 0 ? limit : 0;
    if (limit > 0) chosenSpeedLimit_ = limit;
    refreshMenus();
}

void MainWindow::refreshSpeedLimit() {
    if (!speedLimitBox_) return;
    const double limit = world_.speedLimit;
    QAction* toggle = action(cmd::SpeedLimitToggle);
    toggle->setText("&Limit speed to " + limitText(chosenSpeedLimit_) + "\tL");
    toggle->setChecked(limit > 0);
    bool preset = false;
    for (const LimitItem& item : kLimitItems) {
        action(item.id)->setChecked(item.limit == limit);
        preset = preset || item.limit == limit;
    }
    action(cmd::SpeedLimitOther)->setChecked(!preset);
    if (!speedLimitBox_->hasFocus()) {
        const int index = speedLimitBox_->findData(limit);
        if (index >= 0) speedLimitBox_->setCurrentIndex(index);
        speedLimitBox_->setEditText(limitText(limit));
    }
    // A benchmark's run is never limited: no note then.
    const bool inForce = limit > 0 && !world_.benchmarkRunning;
    const QString note = "Limit " + limitText(limit);
    bool changed = false;
    if (speedLimitStatus_->text() != note) {
        speedLimitStatus_->setText(note);
        speedLimitStatus_->setToolTip("At most " + limitText(limit) +
                                      " of simulated time per second of real time (L switches the limit off)");
        changed = true;
    }
    if (speedLimitStatus_->isHidden() == inForce) {
        speedLimitStatus_->setVisible(inForce);
        changed = true;
    }
    if (changed) layoutStatusParts();  // the note's width and place
}

}  // namespace vantor
