#include <QApplication>
#include <string>

#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantor");
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
