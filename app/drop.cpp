// Files dropped on the main window: a scenery file opens as File > Open
// opens it (the save question first); anything else is refused with a word.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/main_window.h"
#include "dialogs/common/command_ids.h"

namespace vantor {

namespace {

// The local files a drag carries; empty when it carries anything else
// (text, a web address).
QStringList localFiles(const QMimeData* mime) {
    QStringList files;
    if (!mime || !mime->hasUrls()) return files;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) return {};
        files << url.toLocalFile();
    }
    return files;
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (world_.benchmarkRunning || localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList files = localFiles(event->mimeData());
    if (world_.benchmarkRunning || files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened after the drop has ended: the program that the file came from
    // waits for the drop, and opening may ask a question first.
    QTimer::singleShot(0, this, [this, files] { openDroppedFiles(files); });
}

void MainWindow::openDroppedFiles(const QStringList& files) {
    if (world_.benchmarkRunning) return;
    activateWindow();
    if (files.size() != 1) {
        QMessageBox::critical(activeWindow(), "Error",
                              QString("Drop one scenery file at a time (%1 files were dropped).").arg(files.size()));
        return;
    }
    const QString& file = files.first();
    if (!file.endsWith(".nbx", Qt::CaseInsensitive) || QFileInfo(file).isDir()) {
        QMessageBox::critical(activeWindow(), "Error",
                              "Only scenery files (.nbx) can be opened:\n\n" + QFileInfo(file).fileName());
        return;
    }
    // As File > Open leaves it, with "Open as read-only" not ticked.
    if (openSceneryFile(QFile::encodeName(file).toStdString(), true) == answer::Yes) {
        world_.FILE_READ_ONLY = 0;
        refreshMenus();
    }
}

}  // namespace vantor
