// New, Open, Save as, the save prompt and the title.
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/view_widget.h"
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
    return answer == QMessageBox::Yes ? 6 : answer == QMessageBox::No ? 7 : 2;
}

// "Processing NBX file, please wait...": a small window without a caption,
// shown while a scenery is read.
class ProcessingIndicator {
public:
    explicit ProcessingIndicator(QWidget* owner) {
        window_ = new QWidget(owner, Qt::Tool | Qt::FramelessWindowHint);
        window_->setObjectName("processing");
        auto* layout = new QVBoxLayout(window_);
        auto* text = new QLabel("Processing NBX file, please wait...", window_);
        text->setAlignment(Qt::AlignCenter);
        layout->addWidget(text);
        window_->resize(260, 60);
        if (owner) {
            const QPoint centre = owner->geometry().center();
            window_->move(centre.x() - 130, centre.y() - 30);
        }
        window_->show();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~ProcessingIndicator() { delete window_; }

private:
    QWidget* window_;
};

}  // namespace

int MainWindow::confirmSaveChanges() {
    if (world_.isEmpty()) return 6;
    QString question;
    if (world_.sceneryModified) question = "Scenery changed! Do you want to save it?";
    else if (world_.sceneryOnDisk) return 6;
    else question = "Scenery not saved! Do you want to save it?";
    const int answer = askYesNoCancel(activeWindow(), "Save scenery", question);
    if (answer != 6) return answer;
    const int saved = saveSceneryAs();
    return saved == 6 ? 6 : saved == 7 ? 7 : 2;
}

int MainWindow::saveSceneryAs() {
    if (world_.isEmpty()) return 2;
    if (world_.FILE_READ_ONLY) {
        const int answer = askYesNoCancel(activeWindow(), "Save scenery",
                                          "This file is opened as read-only!\nDo you really want to save it?");
        if (answer != 6) return answer;
    }
    QFileDialog dialog(activeWindow(), "Save as");
    dialog.setObjectName("saveDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("NBX (*.nbx)");
    dialog.setDefaultSuffix("nbx");
    dialog.selectFile(QString::fromStdString(world_.currentFileName).left(260));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return 2;
    const QString path = dialog.selectedFiles().first();
    std::string reason;
    if (writeSceneryFile(world_, path.toStdString(), &reason) != 0) {
        QMessageBox::warning(activeWindow(), "Error",
                             "Scenery could not be saved!\n" + QString::fromStdString(reason));
        return 2;
    }
    world_.currentFileName = path.toStdString();
    updateTitle();
    refreshMenus();
    return 6;
}

int MainWindow::openScenery(int exampleNumber, const QString& name, bool showProcessing) {
    const int answer = confirmSaveChanges();
    if (answer != 6 && answer != 7) return 2;
    setRunning(0);
    std::unique_ptr<ProcessingIndicator> indicator;
    if (showProcessing) indicator = std::make_unique<ProcessingIndicator>(activeWindow());
    newScenery(world_);
    refreshMenus();
    const std::string path = name.toStdString();
    // A file that cannot be read leaves the empty scenery; the open completes.
    readScenery(world_, exampleNumber, exampleNumber ? nullptr : path.c_str());
    render::afterSceneryLoaded(world_, view_);
    partitionWork(pool_, world_);
    if (!world_.isEmpty()) world_.currentFileName = path;
    indicator.reset();
    refreshMenus();
    updateStatusLine();
    rebuildAndPaint();
    dialogs::refreshOpenDialogs(*this, dialogs::Refresh::Scenery);
    if (!world_.SCENERY_NAME.empty() || !world_.SCENERY_DESCRIPTION.empty()) {
        const QString hint = "Press 'I' to view scenery description/info";
        updateStatusLine(&hint);
    }
    return 6;
}

void MainWindow::openCommand() {
    QFileDialog dialog(activeWindow(), "Open");
    dialog.setObjectName("openDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({"NBX (*.nbx)", "All (*)"});
    auto* readOnly = new QCheckBox("Open as &read-only", &dialog);
    readOnly->setObjectName("readOnly");
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(readOnly, grid->rowCount(), 0, 1, -1);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    if (openScenery(0, dialog.selectedFiles().first(), true) == 6) {
        world_.FILE_READ_ONLY = readOnly->isChecked() ? 1 : 0;
        refreshMenus();
    }
}

int MainWindow::fileNewCommand() {
    const int answer = confirmSaveChanges();
    if (answer != 6 && answer != 7) return 0;
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
        QString name = QFileInfo(QString::fromStdString(world_.currentFileName)).fileName();
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
