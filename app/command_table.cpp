#include "app/command_table.h"

#include <Qt>

#include "dialogs/common/command_ids.h"

namespace vantor {

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = {
        {cmd::New, "&New", 0, "new", "New"},
        {cmd::Open, "&Open...", 0, "open", "Open"},
        {cmd::SaveAs, "&Save as...", 0, "save", "Save as"},
        {cmd::Autosave, "&Autosave..."},
        {cmd::ReadOnlyFlag, "&Read-only flag", 0, nullptr, nullptr, &World::FILE_READ_ONLY},
        {cmd::Exit, "&Exit"},
        {cmd::RecordVideo, "Record &video..."},
        {cmd::SceneryInfo, "Scener&y info/description\tI", Qt::Key_I},
        {cmd::ObjectEditor, "Object &Editor...\tE", Qt::Key_E, "object_editor", "Object editor"},
        {cmd::ObjectRandomizer, "Object &Randomizer...\tR", Qt::Key_R, "object_randomizer", "Object randomizer"},
        {cmd::StaticSceneryDialog, "S&tatic scenery..."},
        {cmd::TimeStep, "&Simulation time step..."},
        {cmd::FramesPerSecond, "&Frames per second..."},
        {cmd::Reinitialize, "Re&initialize simulation", 0, "reinitialize", "Reinitialize simulation"},
        {cmd::PriorityHighest, "Highe&st"},
        {cmd::PriorityHigh, "&High"},
        {cmd::PriorityNormal, "&Normal"},
        {cmd::PriorityLow, "&Low"},
        {cmd::Viewpoint, "&Viewpoint...\tV", Qt::Key_V, "viewpoint", "Viewpoint"},
        {cmd::Origin, "&Origin...\tO", Qt::Key_O, "origin", "Origin"},
        {cmd::Spacecraft, "&Spacecraft...\tF12"},
        {cmd::FieldOfView, "&Field of View angle...", Qt::Key_F},
        {cmd::ZoomIn, "Zoom &In\t+", Qt::Key_Plus, "zoom_in", "Zoom in"},
        {cmd::ZoomOut, "Zoom &Out\t-", Qt::Key_Minus, "zoom_out", "Zoom out"},
        {cmd::RotatePhiMinus, "Rotate around z-axis (+)\tUp", 0, "rotate_phi_minus",
         "Rotate around z-axis counterclockwise (phi-)"},
        {cmd::RotatePhiPlus, "Rotate around z-axis (-)\tDown", 0, "rotate_phi_plus",
         "Rotate around z-axis clockwise (phi+)"},
        {cmd::RotateThetaMinus, "Rotate around vertical (+)\tLeft", 0, "theta_minus", "Decrease theta (theta-)"},
        {cmd::RotateThetaPlus, "Rotate around vertical (-)\tRight", 0, "theta_plus", "Increase theta (theta+)"},
        {cmd::RotateClockwise, "Rotate clockwise", 0, "rotate_alpha_minus", "Rotate counterclockwise (alpha-)"},
        {cmd::RotateCounterclockwise, "Rotate counterclockwise", 0, "rotate_alpha_plus", "Rotate clockwise (alpha+)"},
        {cmd::RotatingStep, "R&otating step..."},
        {cmd::DisplayOsd, "Display O&SD\tS", Qt::Key_S, nullptr, nullptr, &World::displayOSD},
        {cmd::DisplayAxes, "Display &Axes\tA", Qt::Key_A, "axes", "Display axes", &World::displayAxes},
        {cmd::DisplayNames, "Display object &names\tN", Qt::Key_N, nullptr, nullptr, &World::DISPLAY_OBJECT_NAMES},
        {cmd::DimDistant, "&Dim distant objects\tD", Qt::Key_D, nullptr, nullptr, &World::DIM_DISTANT_OBJECTS},
        {cmd::StaticScenery, "Display &static scenery\tF5", Qt::Key_F5, nullptr, nullptr,
         &World::DISPLAY_STATIC_SCENERY},
        // F6 to F8 show their setting while held: the key dispatch handles them.
        {cmd::Dots, "Display objects as &dots\tF6", 0, nullptr, nullptr, &World::DISPLAY_OBJECTS_AS_DOTS},
        {cmd::ImproveVisibility, "Improve objects &visibility\tF7", 0, nullptr, nullptr,
         &World::IMPROVE_OBJECTS_VISIBILITY},
        {cmd::Trails, "Show object &trails\tF8", 0, nullptr, nullptr, &World::SHOW_OBJECT_TRAILS},
        {cmd::RepaintWindow, "Re&paint window"},
        {cmd::Fullscreen, "Fulls&creen\tF11"},
        {cmd::StartPause, "&Start simulation\tSpace", 0, "start", "Start simulation", &World::simulationRunning},
        {cmd::AutoStop, "Auto Sto&p/Restart..."},
        {cmd::Threads, "Number of &threads..."},
        {cmd::Relativistic, "Calculate &relativistic masses", 0, nullptr, nullptr,
         &World::CALCULATE_RELATIVISTIC_MASSES},
        {cmd::Collisions, "Allow object &collisions", 0, nullptr, nullptr, &World::ALLOW_OBJECT_COLLISIONS},
        {cmd::Benchmark, "&Benchmark computer...\tF9", Qt::Key_F9, "benchmark", "Benchmark computer"},
        {cmd::Diagnostics, "Dia&gnostics...\tG", Qt::Key_G},
        {cmd::Examples, "&Examples...\tX", Qt::Key_X},
        {cmd::AboutMcsFps, "About &MCS and FPS"},
        {cmd::KeyShortcuts, "&Key shortcuts", Qt::Key_F1},
        {cmd::Website, "Launch Vantor &Website"},
        {cmd::About, "&About Vantor..."},
        // The speed limit's menu is built with its own controls.
        {cmd::SpeedLimitToggle, nullptr, Qt::Key_L},
    };
    return table;
}

const Command* findCommand(int id) {
    for (const Command& c : commandTable()) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

int commandForKey(int qtKey) {
    if (qtKey == 0) return 0;  // a key Qt could not name runs nothing, least of all a command without a key
    for (const Command& c : commandTable()) {
        if (c.key == qtKey) return c.id;
    }
    return 0;
}

const std::vector<MenuItem>& menuBarLayout() {
    static const std::vector<MenuItem> layout = {
        {-1,
         "&File",
         {{cmd::New},
          {cmd::Open},
          {cmd::SaveAs},
          {cmd::Autosave},
          {0},
          {cmd::ReadOnlyFlag},
          {0},
          {cmd::Exit},
          {0},
          {cmd::RecordVideo}}},
        {-1,
         "&Edit",
         {{cmd::SceneryInfo},
          {0},
          {cmd::ObjectEditor},
          {cmd::ObjectRandomizer},
          {cmd::StaticSceneryDialog},
          {0},
          {cmd::TimeStep},
          {cmd::FramesPerSecond},
          {0},
          {cmd::Reinitialize},
          {0},
          {-1,
           "&Process priority",
           {{cmd::PriorityHighest}, {cmd::PriorityHigh}, {cmd::PriorityNormal}, {cmd::PriorityLow}}}}},
        {-1,
         "&View",
         {{cmd::Viewpoint},
          {cmd::Origin},
          {0},
          {cmd::Spacecraft},
          {0},
          {cmd::FieldOfView},
          {0},
          {-1, "&Zoom", {{cmd::ZoomIn}, {cmd::ZoomOut}}},
          {-1,
           "&Rotate",
           {{cmd::RotatePhiMinus},
            {cmd::RotatePhiPlus},
            {cmd::RotateThetaMinus},
            {cmd::RotateThetaPlus},
            {cmd::RotateClockwise},
            {cmd::RotateCounterclockwise}}},
          {cmd::RotatingStep},
          {0},
          {cmd::DisplayOsd},
          {cmd::DisplayAxes},
          {cmd::DisplayNames},
          {cmd::DimDistant},
          {cmd::StaticScenery},
          {cmd::Dots},
          {cmd::ImproveVisibility},
          {cmd::Trails},
          {0},
          {cmd::RepaintWindow},
          {0},
          {cmd::Fullscreen}}},
        {-1,
         "&Action",
         {{cmd::StartPause},
          {cmd::AutoStop},
          {0},
          {cmd::Threads},
          {0},
          {cmd::Relativistic},
          {cmd::Collisions},
          {0},
          {cmd::Benchmark},
          {0},
          {cmd::Diagnostics}}},
        {-1,
         "&Help",
         {{cmd::Examples}, {0}, {cmd::AboutMcsFps}, {cmd::KeyShortcuts}, {0}, {cmd::Website}, {0}, {cmd::About}}},
    };
    return layout;
}

const std::vector<int>& toolbarLayout() {
    static const std::vector<int> layout = {
        cmd::New,
        cmd::Open,
        cmd::SaveAs,
        0,
        cmd::StartPause,
        cmd::Reinitialize,
        0,
        cmd::ObjectEditor,
        cmd::ObjectRandomizer,
        0,
        cmd::Viewpoint,
        cmd::Origin,
        0,
        cmd::RotateCounterclockwise,
        cmd::ZoomIn,
        cmd::ZoomOut,
        cmd::RotateClockwise,
        0,
        cmd::RotatePhiPlus,
        cmd::RotateThetaPlus,
        cmd::RotateThetaMinus,
        cmd::RotatePhiMinus,
        0,
        cmd::DisplayAxes,
        0,
        cmd::Benchmark,
    };
    return layout;
}

}  // namespace vantor
