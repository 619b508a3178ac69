// The object editor, the object randomizer, the static scenery count and the
// spacecraft dialog, by command id.
#include "dialogs/context.h"
#include "dialogs/dialogs.h"

namespace vantor::dialogs {

bool openObjectDialog(int, AppContext&) { return false; }

void spacecraftKey(int, AppContext&) {}

void leaveSpacecraftMode(AppContext&) {}

}  // namespace vantor::dialogs

namespace vantor::dialogs {

void refreshObjectDialogs(AppContext&, Refresh) {}

}  // namespace vantor::dialogs
