// The viewpoint and origin dialogs, autosave and automatic stop, the small
// settings dialogs, scenery info and About, by command id.
#include "dialogs/context.h"
#include "dialogs/dialogs.h"

namespace vantor::dialogs {

bool openSettingsDialog(int, AppContext&) { return false; }

}  // namespace vantor::dialogs

namespace vantor::dialogs {

void refreshSettingsDialogs(AppContext&, Refresh) {}

}  // namespace vantor::dialogs
