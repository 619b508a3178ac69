// The computer benchmark dialog, by command id.
#include "dialogs/context.h"
#include "dialogs/dialogs.h"

namespace vantor::dialogs {

bool openBenchmarkDialog(int, AppContext&) { return false; }

}  // namespace vantor::dialogs
