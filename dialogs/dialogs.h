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

// What changed, for the open modeless dialogs to show it.
enum class Refresh {
    View,      // the camera moved (viewpoint and origin dialogs follow it)
    RunState,  // the run started or paused, or a frame of a run was painted
    Scenery,   // New or Open replaced the whole scenery
};
void refreshOpenDialogs(AppContext& app, Refresh what);

// The status text after the object editor or the randomizer put objects into
// the initial configuration alone: the view shows the current one, empty.
// Short enough for the status bar's first part beside a 600-pixel view.
constexpr const char* INITIAL_ONLY_TEXT = "To see them: Reinitialize simulation";
// Shows INITIAL_ONLY_TEXT in the status line while the current configuration
// is empty and the initial one is not.
void noteInitialOnlyObjects(AppContext& app);

// Set while a benchmark runs: cancels it ("Benchmark not completed!").
extern std::function<void()> cancelBenchmark;

}  // namespace vantor::dialogs
