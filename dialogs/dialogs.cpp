#include "dialogs/dialogs.h"

#include "dialogs/context.h"

namespace vantor::dialogs {

std::function<void()> cancelBenchmark;

// Each family of dialogs dispatches its own commands.
bool openObjectDialog(int commandId, AppContext& app);    // editor, randomizer, static scenery, spacecraft
bool openSettingsDialog(int commandId, AppContext& app);  // view, autosave, small settings, info, About
bool openBenchmarkDialog(int commandId, AppContext& app);

bool openDialog(int commandId, AppContext& app) {
    return openObjectDialog(commandId, app) || openSettingsDialog(commandId, app) ||
           openBenchmarkDialog(commandId, app);
}

}  // namespace vantor::dialogs
