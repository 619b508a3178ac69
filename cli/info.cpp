// vantor-cli examples, vantor-cli info
#include <iomanip>
#include <sstream>

#include "cli/cli.h"
#include "cli/scenery_source.h"
#include "scenery/examples.h"
#include "scenery/reader.h"
#include "scenery/realtext.h"

namespace vantor::cli {

namespace {

std::ostream& field(std::ostream& out, const char* label) { return out << std::left << std::setw(22) << label; }

// Continuation lines of a multi-line text start under the first line's text.
std::string indentLines(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\r') continue;
        result += c;
        if (c == '\n') result += std::string(22, ' ');
    }
    return result;
}

std::string objectLabel(const World& w, int index) {
    std::string label = "object " + std::to_string(index + 1);
    if (index >= 0 && index < w.OBJECTS_N && w.objects[index].name)
        label += std::string(" (") + w.objects[index].name + ")";
    return label;
}

std::string pointText(double x, double y, double z) {
    std::string text = "(";
    text += formatReal(x);
    text += ", ";
    text += formatReal(y);
    text += ", ";
    text += formatReal(z);
    text += ") m";
    return text;
}

void printOrigin(std::ostream& out, const World& w) {
    field(out, "Origin:");
    if (w.ORIGIN_MODE == 1) out << objectLabel(w, w.ORIGIN_OBJECT);
    else if (w.ORIGIN_MODE == 2)
        out << "point " << pointText(w.ORIGIN_POSITION_X, w.ORIGIN_POSITION_Y, w.ORIGIN_POSITION_Z);
    else out << "centre of mass";
    out << "\n";
}

void printViewpoint(std::ostream& out, const World& w) {
    field(out, "Viewpoint:");
    if (w.VIEWPOINT_MODE == 1) {
        out << "at " << objectLabel(w, w.VIEWPOINT_OBJECT);
    } else if (w.VIEWPOINT_MODE == 2) {
        out << "point " << pointText(w.VIEWPOINT_POSITION_X, w.VIEWPOINT_POSITION_Y, w.VIEWPOINT_POSITION_Z);
    } else {
        out << "distance " << formatReal(w.VIEWPOINT_DISTANCE) << " m, theta " << formatReal(w.VIEWPOINT_THETA)
            << ", phi " << formatReal(w.VIEWPOINT_PHI) << ", alpha " << formatReal(w.VIEWPOINT_ALPHA) << " degrees";
    }
    out << "\n";
    field(out, "Field of view:") << formatReal(w.VIEWPOINT_FOV) << " degrees\n";
}

void printRunSettings(std::ostream& out, const World& w) {
    field(out, "Relativistic masses:") << (w.CALCULATE_RELATIVISTIC_MASSES ? "on" : "off") << "\n";
    field(out, "Collisions:") << (w.ALLOW_OBJECT_COLLISIONS ? "disable the objects" : "stop the simulation")
                              << " (counter " << w.COLLISION_COUNTER << ")\n";
    field(out, "Desired frame rate:") << w.FPS_DESIRED << " frames/s\n";
    field(out, "Autosave:");
    if (w.AUTOSAVE_ENABLED) {
        out << "every " << w.AUTOSAVE_PERIOD << " s" << (w.AUTOSAVE_INTO_SEPARATE_FILES ? " into separate files" : "");
    } else {
        out << "off";
    }
    out << "\n";
    field(out, "Automatic stop:");
    if (w.AUTOSTOP_MODE == 0) out << "off";
    if (w.AUTOSTOP_MODE & 1) out << "after " << w.AUTOSTOP_RT_PERIOD << " s of running";
    if (w.AUTOSTOP_MODE == 3) out << "; ";
    if (w.AUTOSTOP_MODE & 2) out << "at simulated time " << formatReal(w.AUTOSTOP_ST_PERIOD) << " s";
    if (w.AUTOSTOP_MODE != 0 && w.RESTART_AFTER_AUTOSTOP) out << ", then restart";
    out << "\n";
}

}  // namespace

int examplesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) return usageError(err, "examples takes no arguments");
    World world;
    out << std::left << std::setw(8) << "Number" << std::setw(40) << "Item" << std::setw(30) << "Category"
        << "Objects (initial/current)\n";
    for (const ExampleScenery& e : allExamples()) {
        newScenery(world);
        readScenery(world, e.number, nullptr);
        out << std::left << std::setw(8) << e.number << std::setw(40) << e.itemText << std::setw(30) << e.category
            << world.INIT_OBJECTS_N << " / " << world.OBJECTS_N << "\n";
    }
    return EXIT_DONE;
}

int infoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return usageError(err, "info takes one SCENERY");
    World w;
    std::string message;
    if (!loadScenery(w, args[0], message, &err)) {
        err << "vantor-cli: " << message << "\n";
        return EXIT_FILE;
    }
    field(out, "Scenery:") << w.currentFileName << "\n";
    field(out, "Name:") << w.SCENERY_NAME << "\n";
    field(out, "Description:") << indentLines(w.SCENERY_DESCRIPTION) << "\n";
    field(out, "Objects:") << w.INIT_OBJECTS_N << " initial, " << w.OBJECTS_N << " current\n";
    field(out, "Time step:") << formatReal(w.INIT_SIMULATION_TIME_STEP) << " s initial, "
                             << formatReal(w.SIMULATION_TIME_STEP) << " s current\n";
    field(out, "Simulated time:") << formatReal(w.SIMULATION_TIME) << " s\n";
    printRunSettings(out, w);
    printOrigin(out, w);
    printViewpoint(out, w);
    field(out, "Spacecraft mode:");
    if (w.SPACECRAFT_MODE) out << "on, " << objectLabel(w, w.SPACECRAFT_OBJECT) << "\n";
    else out << "off\n";
    field(out, "Static scenery:") << (w.DISPLAY_STATIC_SCENERY ? "on" : "off") << ", " << w.STATIC_SCENERY_OBJECTS_N
                                  << " points\n";
    field(out, "Read-only:") << (w.FILE_READ_ONLY ? "yes" : "no") << "\n";
    return EXIT_DONE;
}

}  // namespace vantor::cli
