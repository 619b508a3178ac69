// The object editor, the object randomizer, the static scenery count and the
// spacecraft dialog, by command id; the spacecraft keys.
#include <QtGlobal>

#include "dialogs/common/command_ids.h"
#include "dialogs/common/context.h"
#include "dialogs/dialogs.h"
#include "dialogs/objects/object_editor.h"
#include "dialogs/objects/object_randomizer.h"
#include "dialogs/objects/spacecraft_dialog.h"
#include "dialogs/objects/static_scenery_dialog.h"
#include "spacecraft/spacecraft.h"

namespace vantor::dialogs {

namespace {

// The spacecraft dialog's lists follow tables changed by the other dialogs.
void refreshSpacecraftDialog() {
    if (SpacecraftDialog* d = SpacecraftDialog::instance()) d->refreshFields(true, false);
}

}  // namespace

bool openObjectDialog(int commandId, AppContext& app) {
    switch (commandId) {
        case cmd::ObjectEditor: ObjectEditorDialog::run(app); break;
        case cmd::ObjectRandomizer: ObjectRandomizerDialog::run(app); break;
        case cmd::StaticSceneryDialog: StaticSceneryDialog::run(app); break;
        case cmd::Spacecraft: SpacecraftDialog::open(app); return true;
        default: return false;
    }
    refreshSpacecraftDialog();
    return true;
}

void noteInitialOnlyObjects(AppContext& app) {
    const World& world = app.world();
    if (world.OBJECTS_N < 1 && world.INIT_OBJECTS_N > 0) app.setStatusText(INITIAL_ONLY_TEXT);
}

void spacecraftKey(int qtKey, AppContext& app) {
    World& world = app.world();
    if (!world.SPACECRAFT_MODE) return;
    const int modified = world.sceneryModified;
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            spacecraft::trackTarget(world, app.view());
            app.refreshViewDialogs();
            break;
        case Qt::Key_PageUp: spacecraft::applyThrust(world, +1); break;
        case Qt::Key_PageDown: spacecraft::applyThrust(world, -1); break;
        case Qt::Key_End: spacecraft::stopSpacecraft(world); break;
        case Qt::Key_Home: spacecraft::setFullThrust(world); break;
        case Qt::Key_Insert: spacecraft::adjustThrust(world, +1); break;
        case Qt::Key_Delete: spacecraft::adjustThrust(world, -1); break;
        default: return;
    }
    // While the simulation runs the next frame shows the change.
    if (!world.simulationRunning) app.paintView();
    if (world.sceneryModified != modified) app.refreshMenus();
}

void leaveSpacecraftMode(AppContext& app) {
    if (!app.world().SPACECRAFT_MODE) return;
    spacecraft::engageSpacecraft(app.world());
    app.paintView();
    app.refreshMenus();
    refreshSpacecraftDialog();
}

void refreshObjectDialogs(AppContext&, Refresh what) {
    if (SpacecraftDialog* d = SpacecraftDialog::instance()) {
        const bool scenery = what == Refresh::Scenery;
        d->refreshFields(scenery, scenery);
    }
}

}  // namespace vantor::dialogs
