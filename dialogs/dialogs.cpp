#include "dialogs/dialogs.h"

#include "dialogs/common/context.h"

namespace vantor::dialogs {

// Each family of dialogs dispatches its own commands and refreshes its own
// open dialogs.
bool openObjectDialog(int commandId, AppContext& app);    // editor, randomizer, static scenery, spacecraft
bool openSettingsDialog(int commandId, AppContext& app);  // view, autosave, small settings, info, About
bool openBenchmarkDialog(int commandId, AppContext& app);
void refreshObjectDialogs(AppContext& app, Refresh what);
void refreshSettingsDialogs(AppContext& app, Refresh what);

bool openDialog(int commandId, AppContext& app) {
    return openObjectDialog(commandId, app) || openSettingsDialog(commandId, app) ||
           openBenchmarkDialog(commandId, app);
}

void refreshOpenDialogs(AppContext& app, Refresh what) {
    refreshObjectDialogs(app, what);
    refreshSettingsDialogs(app, what);
}

}  // namespace vantor::dialogs
