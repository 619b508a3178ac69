// The viewpoint and origin dialogs, autosave and automatic stop, the small
// settings dialogs, scenery info and About, by command id.
#include <QPointer>

#include "dialogs/common/command_ids.h"
#include "dialogs/common/context.h"
#include "dialogs/common/dialog_placement.h"
#include "dialogs/dialogs.h"
#include "dialogs/settings/autosave_autostop_dialogs.h"
#include "dialogs/settings/one_value_dialogs.h"
#include "dialogs/settings/scenery_info_about_dialogs.h"
#include "dialogs/settings/viewpoint_origin_dialogs.h"

namespace vantor::dialogs {

namespace {

// The open modeless dialogs, one of each; empty while closed.
QPointer<ViewpointDialog> viewpointDialog;
QPointer<OriginDialog> originDialog;
QPointer<AutosaveDialog> autosaveDialog;
QPointer<AutostopDialog> autostopDialog;
QPointer<SceneryInfoDialog> sceneryInfoDialog;

// Gives an open dialog the focus, or creates it.
template <typename D>
void openModeless(QPointer<D>& handle, AppContext& app) {
    holdModeless(handle, [&app] { return new D(app, app.activeWindow()); });
    showModeless(handle, app.activeWindow());
}

}  // namespace

bool openSettingsDialog(int commandId, AppContext& app) {
    switch (commandId) {
        case cmd::Viewpoint: openModeless(viewpointDialog, app); return true;
        case cmd::Origin: openModeless(originDialog, app); return true;
        case cmd::Autosave: openModeless(autosaveDialog, app); return true;
        case cmd::AutoStop: openModeless(autostopDialog, app); return true;
        case cmd::SceneryInfo: openModeless(sceneryInfoDialog, app); return true;
        case cmd::TimeStep: TimeStepDialog::run(app, app.activeWindow()); return true;
        case cmd::FramesPerSecond: FpsDialog::run(app, app.activeWindow()); return true;
        case cmd::RotatingStep: RealSettingDialog::runRotatingStep(app, app.activeWindow()); return true;
        case cmd::FieldOfView: RealSettingDialog::runFieldOfView(app, app.activeWindow()); return true;
        case cmd::About: AboutDialog::run(app.activeWindow()); return true;
        default: return false;
    }
}

void refreshSettingsDialogs(AppContext& app, Refresh what) {
    // A dialog of another window (tests make several) is left alone.
    auto mine = [&app](auto& handle) { return handle && &handle->app() == &app; };
    if (what == Refresh::View) {
        // The camera moved: the command paints its frame after this call,
        // and the frame derives the values that the fields show.
        if (mine(viewpointDialog)) viewpointDialog->invalidate();
        if (mine(originDialog)) originDialog->invalidate();
        return;
    }
    const bool scenery = what == Refresh::Scenery;
    if (mine(viewpointDialog)) viewpointDialog->fill(scenery);
    if (mine(originDialog)) originDialog->fill(scenery);
    if (!scenery) return;
    if (mine(sceneryInfoDialog)) {
        sceneryInfoDialog->fillSceneryInfo();
        sceneryInfoDialog->updateInfoEditState();
    }
    // Another scenery's periods: what the dialogs showed belongs to the old one.
    if (mine(autosaveDialog)) autosaveDialog->fillFromSettings();
    if (mine(autostopDialog)) autostopDialog->fillFromSettings();
}

}  // namespace vantor::dialogs
