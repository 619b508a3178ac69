// File > Record video...: asks for a file, then writes every frame the view
// shows into it until the command is chosen again or the program closes.
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

#include "app/file_dialogs.h"
#include "app/main_window.h"
#include "dialogs/common/command_ids.h"
#include "video/video_writer.h"

namespace vantor {

namespace {

constexpr int MAX_VIDEO_FPS = 1000;

// The file to record into, or "" when the dialog was cancelled. Proposes
// the scenery's name with the video's extension, in the scenery's folder.
std::string askVideoFile(QWidget* parent, const std::string& sceneryFile) {
    SceneryFileDialog dialog(parent, "Record video", QFileDialog::AcceptSave);
    dialog.setObjectName("recordVideoDialog");
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("Video (*.mp4 *.mkv *.webm)");
    dialog.setDefaultSuffix("mp4");
    const QFileInfo scenery(pathForDisplay(sceneryFile));
    if (sceneryFile.find('/') != std::string::npos) dialog.setDirectory(scenery.absolutePath());
    const QString base = scenery.completeBaseName().isEmpty() ? QString("vantor") : scenery.completeBaseName();
    dialog.selectFile(base.left(250) + ".mp4");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return pathFromDialog(dialog.selectedFiles().first(), {});
}

}  // namespace

void MainWindow::recordVideoCommand() {
    QAction* item = action(cmd::RecordVideo);
    item->setCheckable(true);
    if (recording_.isRecording()) {
        std::string reason;
        const std::string path = recording_.path();
        const long long frames = recording_.frames();
        if (recording_.stop(&reason)) {
            const QString done = QString("Video recorded: %1 frames in %2").arg(frames).arg(pathForDisplay(path));
            setStatusText(done);
        } else {
            QMessageBox::warning(
                activeWindow(), "Error",
                "The video could not be written!\n\n" + pathForDisplay(path) + "\n" + QString::fromStdString(reason));
        }
    } else if (const std::string path = askVideoFile(activeWindow(), world_.currentFileName); !path.empty()) {
        std::string reason;
        const int fps = std::clamp(world_.FPS_DESIRED, 1, MAX_VIDEO_FPS);
        if (!video::isVideoFile(path)) {
            reason = "Choose a file name ending in .mp4, .mkv or .webm.";
        } else if (surface_.width() < 1 || surface_.height() < 1) {
            reason = "The view has no pixels to record.";
        }
        if (!reason.empty() || !recording_.start(path, surface_, fps, &reason)) {
            QMessageBox::warning(
                activeWindow(), "Error",
                "The video could not be started!\n\n" + pathForDisplay(path) + "\n" + QString::fromStdString(reason));
        }
    }
    item->setChecked(recording_.isRecording());
    if (!recordingMark_) {
        recordingMark_ = new QLabel("\u25cf REC", statusBar());
        recordingMark_->setObjectName("recordingMark");
        recordingMark_->setStyleSheet("QLabel { color: #d00000; font-weight: bold; padding: 0 6px; }");
        recordingMark_->setToolTip("Recording video");
        // Placed by layoutStatusParts beside the parts, not by the bar's
        // layout, which would put it over the last parts.
    }
    recordingMark_->setVisible(recording_.isRecording());
    if (recording_.isRecording()) recordingMark_->setToolTip("Recording video to " + pathForDisplay(recording_.path()));
    layoutStatusParts();
}

void MainWindow::recordShownFrame() {
    if (!recording_.isRecording()) return;
    std::string reason;
    if (recording_.add(surface_, &reason)) return;
    action(cmd::RecordVideo)->setChecked(false);
    if (recordingMark_) recordingMark_->hide();
    layoutStatusParts();
    QMessageBox::warning(activeWindow(), "Error",
                         "Recording stopped: the video could not be written!\n\n" + pathForDisplay(recording_.path()) +
                             "\n" + QString::fromStdString(reason));
}

}  // namespace vantor
