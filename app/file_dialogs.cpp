#include "app/file_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

namespace vantor {

QIcon FileKindIconProvider::icon(IconType type) const {
    QStyle* style = QApplication::style();
    switch (type) {
        case Folder: return style->standardIcon(QStyle::SP_DirIcon);
        case Drive: return style->standardIcon(QStyle::SP_DriveHDIcon);
        case Computer: return style->standardIcon(QStyle::SP_ComputerIcon);
        case Trashcan: return style->standardIcon(QStyle::SP_TrashIcon);
        default: return style->standardIcon(QStyle::SP_FileIcon);
    }
}

QIcon FileKindIconProvider::icon(const QFileInfo& info) const { return icon(info.isDir() ? Folder : File); }

QString FileKindIconProvider::type(const QFileInfo& info) const {
    if (info.isDir()) return "Folder";
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QString("File") : suffix.toUpper() + " File";
}

SceneryFileDialog::SceneryFileDialog(QWidget* parent, const QString& caption, AcceptMode mode)
    : QFileDialog(parent, caption) {
    setOption(QFileDialog::DontUseNativeDialog);
    setIconProvider(&icons_);
    setAcceptMode(mode);
}

void SceneryFileDialog::accept() {
    if (acceptMode() == AcceptSave) {
        // The name typed (relative to the folder shown) and the selection
        // the dialog made of it: both must lie in a folder that exists.
        QStringList chosen = selectedFiles();
        if (const auto* typed = findChild<QLineEdit*>("fileNameEdit"); typed && !typed->text().isEmpty()) {
            chosen << directory().absoluteFilePath(typed->text());
        }
        for (const QString& path : chosen) {
            const QString folder = QFileInfo(path).absolutePath();
            if (!QFileInfo(folder).isDir()) {
                QMessageBox::warning(this, windowTitle(),
                                     "The folder\n" + QDir::toNativeSeparators(folder) + "\ndoes not exist.");
                return;
            }
        }
    }
    QFileDialog::accept();
}

QString pathForDisplay(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::string pathFromDialog(const QString& chosen, const std::string& proposed) {
    // A proposed name in bytes that Qt cannot show comes back from the dialog
    // changed; chosen unchanged, it is the proposed file.
    if (!proposed.empty() && chosen == pathForDisplay(proposed)) return proposed;
    return QFile::encodeName(chosen).toStdString();
}

ProcessingIndicator::ProcessingIndicator(QWidget* owner) {
    window_ = new QWidget(owner, Qt::Tool | Qt::FramelessWindowHint);
    window_->setObjectName("processing");
    auto* layout = new QVBoxLayout(window_);
    auto* text = new QLabel("Processing NBX file, please wait...", window_);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    bar_ = new QProgressBar(window_);
    bar_->setObjectName("processingProgress");
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    bar_->hide();
    layout->addWidget(bar_);
    window_->resize(280, 72);
    if (owner) {
        const QPoint centre = owner->geometry().center();
        window_->move(centre.x() - 140, centre.y() - 36);
    }
    window_->show();
    paintNow();
}

ProcessingIndicator::~ProcessingIndicator() { delete window_; }

void ProcessingIndicator::paintNow() {
    // A window manager maps the window some time after show(): wait for that
    // (briefly), so the text is on the screen before the reading blocks.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 300 && !(window_->windowHandle() && window_->windowHandle()->isExposed())) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    window_->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProcessingIndicator::progress(size_t done, size_t total) {
    // Small files are read in a blink; a bar would only flicker.
    constexpr size_t SHOW_BAR_FROM = size_t{4} << 20;
    if (total < SHOW_BAR_FROM) return;
    if (bar_->isHidden()) bar_->show();
    bar_->setValue(static_cast<int>(1000.0 * static_cast<double>(done) / static_cast<double>(total)));
    paintNow();
}

}  // namespace vantor
