#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/main_window.h"
#include "scenery/writer.h"

namespace {

const char* const kHelp =
    "Usage: vantor [FILE.nbx]\n"
    "       vantor --help | --version\n"
    "\n"
    "Vantor simulates up to 50,000 bodies under mutual gravity and shows them in a 3-D view.\n"
    "FILE.nbx, a scenery file, is opened at start; File > Open, a file dropped on the window\n"
    "and Help > Examples open others. Space starts and pauses, L limits the speed, F1 lists\n"
    "every key.\n"
    "\n"
    "Options:\n"
    "  --help     Print this help and exit.\n"
    "  --version  Print the version and exit.\n"
    "\n"
    "vantor-cli runs, renders and benchmarks sceneries without a window (vantor-cli --help).\n";

// --help and --version are answered before any window exists, so that they
// work without a display. True when the program is done.
bool answeredWithoutWindow(int argc, char** argv) {
    if (argc < 2) return false;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kHelp, stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("vantor %s\n", vantor::PROGRAM_VERSION);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (answeredWithoutWindow(argc, argv)) return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantor");
    QApplication::setApplicationVersion(vantor::PROGRAM_VERSION);
    // The desktop entry's name: window managers match the window to it.
    QGuiApplication::setDesktopFileName("vantor");
    QApplication::setAttribute(Qt::AA_DontShowIconsInMenus);
    vantor::MainWindow window;
    if (!window.startWorkers()) return 0;
    window.fitMainWindow();
    window.centreOnScreen();
    window.show();
    // The path as the system gave it, bytes unchanged: a name in any
    // encoding opens (Qt's arguments() would decode it as UTF-8).
    if (argc > 1 && argv[1][0] != '\0') {
        std::string path = argv[1];
        if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
        window.openSceneryFile(path, true);
    }
    const QString hint = "Press F9 for computer benchmark";
    window.updateStatusLine(&hint);
    return QApplication::exec();
}
