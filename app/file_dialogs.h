// The file dialogs of the file commands, and the window shown while a
// scenery is read.
#pragma once

#include <QAbstractFileIconProvider>
#include <QFileDialog>
#include <QString>
#include <memory>
#include <string>

class QProgressBar;

namespace vantor {

// Icons and type names from a file's kind alone. The stock provider asks the
// MIME database, which reads a file's first bytes when its name says
// nothing: a FIFO or /proc/kmsg then blocks the dialog's listing for ever.
class FileKindIconProvider final : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

// The non-native file dialog with the icon provider above. In save mode it
// refuses, before it closes, a file name whose folder does not exist.
class SceneryFileDialog final : public QFileDialog {
    Q_OBJECT
public:
    SceneryFileDialog(QWidget* parent, const QString& caption, AcceptMode mode);

public slots:
    void accept() override;

private:
    FileKindIconProvider icons_;
};

// File paths are byte strings to the system; Qt's names are Unicode. These
// two convert at that edge.
QString pathForDisplay(const std::string& path);
std::string pathFromDialog(const QString& chosen, const std::string& proposed);

// "Processing NBX file, please wait...": a small window without a caption,
// painted before reading starts; for large files it shows a bar of the bytes
// read and keeps repainting meanwhile.
class ProcessingIndicator {
public:
    explicit ProcessingIndicator(QWidget* owner);
    ~ProcessingIndicator();
    void progress(size_t done, size_t total);

private:
    void paintNow();

    QWidget* window_;
    QProgressBar* bar_;
};

}  // namespace vantor
