// How the main window opens the settings dialogs, by command id, and the
// few hooks of the spacecraft and the benchmark that the key table needs.
#pragma once

#include <functional>

namespace vantor {
class AppContext;
}

namespace vantor::dialogs {

// Opens the dialog of a command (the object editor, the viewpoint dialog,
// ...); a modeless one that is open already only gets the focus. False for
// a command without a dialog.
bool openDialog(int commandId, AppContext& app);

// The spacecraft keys while spacecraft mode is on: Enter, Page Up/Down,
// End, Home, Insert, Delete (Qt key codes).
void spacecraftKey(int qtKey, AppContext& app);
void leaveSpacecraftMode(AppContext& app);

// Set while a benchmark runs: cancels it ("Benchmark not completed!").
extern std::function<void()> cancelBenchmark;

}  // namespace vantor::dialogs
