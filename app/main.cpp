#include <QApplication>

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
    const QStringList args = QApplication::arguments();
    if (args.size() > 1 && !args.at(1).isEmpty()) {
        QString path = args.at(1);
        if (path.size() >= 2 && path.startsWith('"') && path.endsWith('"')) path = path.mid(1, path.size() - 2);
        window.openScenery(0, path, true);
    }
    const QString hint = "Press F9 for computer benchmark";
    window.updateStatusLine(&hint);
    return QApplication::exec();
}
