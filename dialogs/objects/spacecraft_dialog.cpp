#include "dialogs/objects/spacecraft_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/dialog_placement.h"
#include "dialogs/common/field_fit.h"
#include "dialogs/common/field_text.h"
#include "dialogs/common/world_text.h"
#include "dialogs/objects/object_editor.h"
#include "dialogs/objects/object_lists.h"
#include "render/camera.h"
#include "scenery/realtext.h"
#include "spacecraft/spacecraft.h"

namespace vantor {

namespace {

QPointer<SpacecraftDialog> theDialog;

bool validObject(const World& world, int index) { return index >= 0 && index < world.OBJECTS_N; }

}  // namespace

SpacecraftDialog* SpacecraftDialog::instance() { return theDialog.data(); }

SpacecraftDialog* SpacecraftDialog::open(AppContext& app) {
    if (!theDialog) {
        World& world = app.world();
        if (world.OBJECTS_N > 0 && validObject(world, world.SPACECRAFT_OBJECT)) {
            setIfChanged(world, world.SPACECRAFT_THRUST_FORCE_MAX,
                         spacecraft::defaultThrustMax(world, world.objects[world.SPACECRAFT_OBJECT].mass));
        }
        dialogs::holdModeless(theDialog, [&app] { return new SpacecraftDialog(app, app.activeWindow()); });
        app.refreshMenus();
    }
    dialogs::showModeless(theDialog, app.activeWindow());
    return theDialog;
}

SpacecraftDialog::SpacecraftDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Spacecraft");
    craftList_ = new QComboBox(this);
    craftList_->setObjectName("spacecraftObject");
    craftList_->setMaxVisibleItems(20);
    trackingList_ = new QComboBox(this);
    trackingList_->setObjectName("trackingObject");
    trackingList_->setMaxVisibleItems(20);
    thrust_ = new QLineEdit(this);
    thrust_->setObjectName("thrustMax");
    fitToReal(thrust_, false);
    showStartOf(thrust_);
    modeList_ = new QComboBox(this);
    modeList_->setObjectName("trackingMode");
    modeList_->addItems({"None", "Center of Mass", "Object"});
    autotracking_ = new QCheckBox("Enable auto-tracking", this);
    autotracking_->setObjectName("autotracking");
    engage_ = new QPushButton("&Engage!", this);
    engage_->setObjectName("engage");
    engage_->setDefault(true);
    spawn_ = new QPushButton("&Spawn new spacecraft", this);
    spawn_->setObjectName("spawn");
    close_ = new QPushButton("&Close", this);
    close_->setObjectName("close");

    auto group = [this](const QString& title, std::initializer_list<QWidget*> widgets) {
        auto* box = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(box);
        for (QWidget* w : widgets) row->addWidget(w, qobject_cast<QLabel*>(w) ? 0 : 1);
        return box;
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group("Spacecraft object selection", {craftList_}));
    layout->addWidget(group("Maximal thrust force", {thrust_, new QLabel("N", this)}));
    layout->addWidget(group("Tracking mode", {modeList_, autotracking_}));
    layout->addWidget(group("Tracking object", {trackingList_}));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(engage_);
    buttons->addWidget(spawn_);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    connect(craftList_, &QComboBox::currentIndexChanged, this, &SpacecraftDialog::spacecraftChosen);
    connect(trackingList_, &QComboBox::currentIndexChanged, this, &SpacecraftDialog::trackingObjectChosen);
    connect(modeList_, &QComboBox::currentIndexChanged, this, &SpacecraftDialog::trackingModeChosen);
    connect(autotracking_, &QCheckBox::clicked, this, &SpacecraftDialog::apply);
    connect(engage_, &QPushButton::clicked, this, &SpacecraftDialog::engage);
    connect(spawn_, &QPushButton::clicked, this, &SpacecraftDialog::spawn);
    connect(close_, &QPushButton::clicked, this, &SpacecraftDialog::close);

    refreshFields(true, true);
    DialogKeys::install(this, [this](bool enter, QWidget* control) { return key(enter, control); });
    engage_->setFocus();
}

void SpacecraftDialog::refreshFields(bool refillLists, bool dropTyping) {
    const World& world = app_.world();
    const int n = std::clamp(world.OBJECTS_N, 0, MAX_OBJECTS);
    // Refilling 50,000 entries is not for every frame: a running
    // simulation never renames, so the count tells.
    if (refillLists || craftList_->count() != n) {
        const QStringList entries = objectEntries(world.objects.get(), n);
        fillObjectList(craftList_, entries, world.SPACECRAFT_OBJECT);
        fillObjectList(trackingList_, entries, world.SPACECRAFT_TRACKING_OBJECT);
    } else {
        const QSignalBlocker quietCraft(craftList_), quietTracking(trackingList_);
        craftList_->setCurrentIndex(validObject(world, world.SPACECRAFT_OBJECT) ? world.SPACECRAFT_OBJECT : -1);
        trackingList_->setCurrentIndex(
            validObject(world, world.SPACECRAFT_TRACKING_OBJECT) ? world.SPACECRAFT_TRACKING_OBJECT : -1);
    }
    if (dropTyping || !thrust_->isModified()) {
        const QString text = fromWorldText(formatReal(world.SPACECRAFT_THRUST_FORCE_MAX));
        if (thrust_->text() != text) thrust_->setText(text);
        thrust_->setModified(false);
    }
    {
        const QSignalBlocker quiet(modeList_);
        modeList_->setCurrentIndex(std::clamp(world.SPACECRAFT_TRACKING_MODE, 0, 2));
    }
    autotracking_->setChecked(world.SPACECRAFT_AUTOTRACKING != 0);
    enableTracking();
}

void SpacecraftDialog::enableTracking() {
    const int mode = modeList_->currentIndex();
    trackingList_->setEnabled(mode == 2);
    autotracking_->setEnabled(mode == 1 || mode == 2);
}

void SpacecraftDialog::apply() {
    World& world = app_.world();
    if (craftList_->currentIndex() >= 0) setIfChanged(world, world.SPACECRAFT_OBJECT, craftList_->currentIndex());
    const double max = dialogs::parseFiniteReal(toWorldText(thrust_->text()), world.SPACECRAFT_THRUST_FORCE_MAX);
    setIfChanged(world, world.SPACECRAFT_THRUST_FORCE_MAX, std::fabs(max));
    setIfChanged(world, world.SPACECRAFT_AUTOTRACKING, autotracking_->isChecked() ? 1 : 0);
    refreshFields(true, true);
    render::updateProjection(world, app_.view());
    app_.paintView();
    app_.refreshMenus();
}

void SpacecraftDialog::spacecraftChosen(int index) {
    World& world = app_.world();
    if (!validObject(world, index)) return;
    setIfChanged(world, world.SPACECRAFT_OBJECT, index);
    setIfChanged(world, world.SPACECRAFT_THRUST_FORCE_MAX,
                 spacecraft::defaultThrustMax(world, world.objects[index].mass));
    thrust_->setText(fromWorldText(formatReal(world.SPACECRAFT_THRUST_FORCE_MAX)));
    apply();
}

void SpacecraftDialog::trackingModeChosen(int index) {
    if (index < 0) return;
    setIfChanged(app_.world(), app_.world().SPACECRAFT_TRACKING_MODE, index);
    apply();
}

void SpacecraftDialog::trackingObjectChosen(int index) {
    if (index < 0) return;
    setIfChanged(app_.world(), app_.world().SPACECRAFT_TRACKING_OBJECT, index);
    apply();
}

void SpacecraftDialog::engage() {
    apply();
    const int result = spacecraft::engageSpacecraft(app_.world());
    app_.paintView();
    app_.refreshMenus();
    app_.refreshViewDialogs();
    if (result == 1) {
        close();
        return;
    }
    QMessageBox::information(this, "Spacecraft", "Spacecraft could not be engaged!");
}

void SpacecraftDialog::spawn() {
    World& world = app_.world();
    const int index = spacecraft::spawnSpacecraft(world, app_.pool(), app_.view());
    if (index < 0) return;  // the table is full
    app_.objectsChanged();
    refreshFields(true, true);
    world.selectedObject = index;
    ObjectEditorDialog::run(app_);
    if (theDialog) refreshFields(true, false);
}

void SpacecraftDialog::changeEvent(QEvent* event) {
    // The lists follow the object table whenever the dialog comes forward.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) refreshFields(true, false);
    QDialog::changeEvent(event);
}

bool SpacecraftDialog::key(bool enter, QWidget* control) {
    if (enter) {
        if (control == this || control == engage_) {
            engage();
            return true;
        }
        if (qobject_cast<QPushButton*>(control)) return false;  // the button presses itself
        apply();
        engage_->setFocus();
        return true;
    }
    if (control == this || control == engage_ || control == close_) {
        close();
    } else {
        refreshFields(true, true);  // the typed text is dropped
        engage_->setFocus();
    }
    return true;
}

}  // namespace vantor
