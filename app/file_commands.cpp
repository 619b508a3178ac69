// New, Open, Save as, the save prompt and the title.
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>
#include <filesystem>

#include "app/file_dialogs.h"
#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/common/world_text.h"
#include "dialogs/dialogs.h"
#include "render/camera.h"
#include "render/painter.h"
#include "render/static_scenery.h"
#include "scenery/reader.h"
#include "scenery/writer.h"

namespace vantor {

namespace {

int askYesNoCancel(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    parent);
    box.setDefaultButton(QMessageBox::Cancel);
    const int answer = box.exec();
    return answer == QMessageBox::Yes ? answer::Yes : answer == QMessageBox::No ? answer::No : answer::Cancel;
}

// Where a file named by a relative path lies, so that the scenery knows its
// file wherever the program's folder goes. Paths are bytes: nothing is
// decoded on the way.
std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

QString reportText(const QString& file, const ReadReport& report) {
    QString text = file + "\nwas read only in part:\n";
    for (const std::string& note : report.notes) text += "\n- " + fromWorldText(note);
    return text;
}

}  // namespace

int MainWindow::confirmSaveChanges() {
    if (world_.isEmpty()) return answer::Yes;
    QString question;
    if (world_.sceneryModified) question = "Scenery changed! Do you want to save it?";
    else if (world_.sceneryOnDisk) return answer::Yes;
    else question = "Scenery not saved! Do you want to save it?";
    const int answer = askYesNoCancel(activeWindow(), "Save scenery", question);
    if (answer != answer::Yes) return answer;
    const int saved = saveSceneryAs();
    return saved == answer::Yes ? answer::Yes : saved == answer::No ? answer::No : answer::Cancel;
}

int MainWindow::saveSceneryAs() {
    if (world_.isEmpty()) return answer::Cancel;
    if (world_.FILE_READ_ONLY) {
        const int answer = askYesNoCancel(activeWindow(), "Save scenery",
                                          "This file is opened as read-only!\nDo you really want to save it?");
        if (answer != answer::Yes) return answer;
    }
    SceneryFileDialog dialog(activeWindow(), "Save as", QFileDialog::AcceptSave);
    dialog.setObjectName("saveDialog");
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("NBX (*.nbx)");
    dialog.setDefaultSuffix("nbx");
    // A scenery from a file proposes that file, in its own folder; an
    // example proposes its item text.
    const std::string& proposed = world_.currentFileName;
    const QFileInfo proposedInfo(pathForDisplay(proposed));
    if (proposed.find('/') != std::string::npos) dialog.setDirectory(proposedInfo.absolutePath());
    dialog.selectFile(proposedInfo.fileName().left(260));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer::Cancel;
    const std::string path = pathFromDialog(dialog.selectedFiles().first(), proposed);
    std::string reason;
    if (writeSceneryFile(world_, path, &reason) != 0) {
        QMessageBox::warning(
            activeWindow(), "Error",
            "Scenery could not be saved!\n\n" + pathForDisplay(path) + "\n" + QString::fromStdString(reason));
        return answer::Cancel;
    }
    world_.currentFileName = path;
    updateTitle();
    refreshMenus();
    return answer::Yes;
}

int MainWindow::openScenery(int exampleNumber, const QString& name, bool showProcessing) {
    if (exampleNumber != 0) return openSceneryText(exampleNumber, name.toStdString(), showProcessing);
    return openSceneryFile(QFile::encodeName(name).toStdString(), showProcessing);
}

int MainWindow::openSceneryFile(const std::string& path, bool showProcessing) {
    return openSceneryText(0, absolutePath(path), showProcessing);
}

// The open sequence. The file is read whole before anything changes, so a
// file that cannot be read leaves the scenery as it was, with a word why.
int MainWindow::openSceneryText(int exampleNumber, const std::string& name, bool showProcessing) {
    const int answer = confirmSaveChanges();
    if (answer != answer::Yes && answer != answer::No) return answer::Cancel;
    setRunning(0);
    std::unique_ptr<ProcessingIndicator> indicator;
    if (showProcessing) indicator = std::make_unique<ProcessingIndicator>(activeWindow());
    std::string text, reason;
    if (exampleNumber == 0) {
        const int read = readSceneryFile(name.c_str(), text, &reason, [&](size_t done, size_t total) {
            if (indicator) indicator->progress(done, total);
        });
        if (read != 0) {
            indicator.reset();
            QMessageBox::critical(activeWindow(), "Error",
                                  "The scenery file could not be opened:\n\n" + pathForDisplay(name) + "\n" +
                                      QString::fromStdString(reason));
            return answer::Cancel;
        }
    }
    newScenery(world_);
    refreshMenus();
    ReadReport report;
    if (exampleNumber != 0) readScenery(world_, exampleNumber, nullptr, nullptr, &report);
    else readSceneryText(world_, text, report);
    std::string().swap(text);  // a large file's text is not kept meanwhile
    render::afterSceneryLoaded(world_, view_);
    partitionWork(pool_, world_);
    if (!world_.isEmpty()) world_.currentFileName = name;
    indicator.reset();
    refreshMenus();
    updateStatusLine();
    rebuildAndPaint();
    dialogs::refreshOpenDialogs(*this, dialogs::Refresh::Scenery);
    if (!world_.SCENERY_NAME.empty() || !world_.SCENERY_DESCRIPTION.empty()) {
        const QString hint = "Press 'I' to view scenery description/info";
        updateStatusLine(&hint);
    }
    if (!report.complete()) {
        viewWidget_->repaint();  // the scenery behind the box, as it was read
        QMessageBox::warning(activeWindow(), "Warning", reportText(pathForDisplay(name), report));
    }
    return answer::Yes;
}

void MainWindow::openCommand() {
    SceneryFileDialog dialog(activeWindow(), "Open", QFileDialog::AcceptOpen);
    dialog.setObjectName("openDialog");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({"NBX (*.nbx)", "All (*)"});
    // Where the scenery on show came from, if from a file.
    if (world_.currentFileName.find('/') != std::string::npos)
        dialog.setDirectory(QFileInfo(pathForDisplay(world_.currentFileName)).absolutePath());
    auto* readOnly = new QCheckBox("Open as &read-only", &dialog);
    readOnly->setObjectName("readOnly");
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(readOnly, grid->rowCount(), 0, 1, -1);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    if (openScenery(0, dialog.selectedFiles().first(), true) == answer::Yes) {
        world_.FILE_READ_ONLY = readOnly->isChecked() ? 1 : 0;
        refreshMenus();
    }
}

int MainWindow::fileNewCommand() {
    const int answer = confirmSaveChanges();
    if (answer != answer::Yes && answer != answer::No) return 0;
    setRunning(0);
    newScenery(world_);
    render::afterSceneryLoaded(world_, view_);
    partitionWork(pool_, world_);
    refreshMenus();
    const QString empty;
    updateStatusLine(&empty);
    rebuildAndPaint();
    dialogs::refreshOpenDialogs(*this, dialogs::Refresh::Scenery);
    return 1;
}

void MainWindow::updateTitle() {
    QString title = "Vantor";
    if (!world_.isEmpty() && !world_.currentFileName.empty()) {
        QString name = QFileInfo(pathForDisplay(world_.currentFileName)).fileName();
        // A name written entirely in capitals is shown in lower case.
        if (name == name.toUpper() && name != name.toLower()) name = name.toLower();
        title = name + (world_.sceneryModified ? "*" : "") + " - Vantor";
    }
    if (windowTitle() != title) setWindowTitle(title);
}

void MainWindow::objectsChanged() {
    partitionWork(pool_, world_);
    render::updateProjection(world_, view_);
    rebuildAndPaint();
    refreshMenus();
    updateStatusLine();
}

void MainWindow::refreshViewDialogs() { dialogs::refreshOpenDialogs(*this, dialogs::Refresh::View); }

}  // namespace vantor
