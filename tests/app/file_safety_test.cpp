// The file commands keep what a user has: where a scenery came from, the
// scenery itself when another cannot be opened, file names in any bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "app/file_dialogs.h"
#include "app/main_window.h"
#include "dialogs/common/command_ids.h"
#include "scenery/examples.h"
#include "scenery/reader.h"
#include "scenery/writer.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"
#include "tests/support/temp_dir.h"

using namespace vantor;
using modal_test::answerBox;
using modal_test::whenModal;

namespace {

std::string exampleText(int number) {
    const ExampleScenery* e = findExample(number);
    return std::string(reinterpret_cast<const char*>(e->data), e->size);
}

void writeBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Changes the working folder for one test.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& path) : before_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~WorkingFolder() { std::filesystem::current_path(before_); }

private:
    std::filesystem::path before_;
};

// Types path into the dialog's name field as a user does and accepts once
// the dialog has taken it (its folder model fills in the background).
void typeAndAccept(QFileDialog* dialog, const QString& path) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    name->setFocus();
    dialog->selectFile(path);
    name->setText(path);
    QElapsedTimer waited;
    waited.start();
    while (dialog->selectedFiles().value(0) != path && waited.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
}

// Answers Yes to the question whether to replace a file, then records the
// next message box's text and caption and closes it.
void answerReplaceThenRecord(std::shared_ptr<QString> text, std::shared_ptr<QString> title) {
    whenModal<QMessageBox>([=](QMessageBox* box) {
        if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
            answerReplaceThenRecord(text, title);
            yes->click();
            return;
        }
        *text = box->text();
        *title = box->windowTitle();
        box->close();
    });
}

}  // namespace

class FileSafetyTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

    // An autosave tick while running, as the timer gives it.
    void autosaveOnce() {
        World& world = w().world();
        world.AUTOSAVE_ENABLED = 1;
        world.AUTOSAVE_PERIOD = 60;
        w().setRunning(1);
        w().autosaveTick();
        w().setRunning(0);
    }

private slots:
    void init() { QVERIFY(openWindow(Plain)); }

    void cleanup() { closeWindow(); }

    void aRelativeNameIsKeptAsTheAbsolutePath() {
        // Opened as "orbit.nbx" from its folder, the scenery counted as never
        // saved: autosave asked for a file name at every tick.
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString();
        writeBytes(folder + "/orbit.nbx", exampleText(110));
        {
            WorkingFolder here(folder);
            QCOMPARE(w().openSceneryFile("orbit.nbx", false), 6);
        }
        QCOMPARE(w().world().currentFileName, folder + "/orbit.nbx");
        QCOMPARE(w().windowTitle(), QString("orbit.nbx - Vantor"));
        autosaveOnce();  // no dialog may appear: it would block here
        QCOMPARE(w().statusPart(0)->text().left(19), QString("Autosave timestamp:"));
        QVERIFY(readBytes(folder + "/orbit.nbx").find("[AUTOSAVE_ENABLED]=1\n") != std::string::npos);
    }

    void saveAsProposesTheFilesOwnFolderAndName() {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sims");
        const std::string path = dir.path().toStdString() + "/sims/orbit.nbx";
        writeBytes(path, exampleText(110));
        QCOMPARE(w().openSceneryFile(path, false), 6);
        QString folder, name;
        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            folder = dialog->directory().absolutePath();
            name = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
            dialog->reject();
        });
        QCOMPARE(w().saveSceneryAs(), 2);
        QCOMPARE(folder, dir.path() + "/sims");
        QCOMPARE(name, QString("orbit.nbx"));
    }

    // Open starts in the folder of the scenery on show, where its
    // neighbours usually are.
    void openStartsInTheFolderOfTheSceneryOnShow() {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sims");
        const std::string path = dir.path().toStdString() + "/sims/orbit.nbx";
        writeBytes(path, exampleText(110));
        QCOMPARE(w().openSceneryFile(path, false), 6);
        QString folder;
        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            folder = dialog->directory().absolutePath();
            dialog->reject();
        });
        w().action(cmd::Open)->trigger();
        QCOMPARE(folder, dir.path() + "/sims");
    }

    void theSaveDialogRefusesAFolderThatDoesNotExist() {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/orbit.nbx";
        writeBytes(path, exampleText(110));
        QCOMPARE(w().openSceneryFile(path, false), 6);
        bool stayedOpen = false;
        QString warning;
        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            name->setFocus();
            name->setText(dir.path() + "/nowhere/x.nbx");
            answerBox(QMessageBox::Ok, &warning);
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            QTimer::singleShot(1500, dialog, [&, dialog] {
                stayedOpen = dialog->isVisible();
                dialog->reject();
            });
        });
        QCOMPARE(w().saveSceneryAs(), 2);
        QVERIFY(stayedOpen);
        QVERIFY2(warning.contains("does not exist"), qPrintable(warning));
        QVERIFY(!QFileInfo::exists(dir.path() + "/nowhere"));
    }

    void aFailedSaveNamesTheFileAndTheReason() {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/orbit.nbx";
        writeBytes(path, exampleText(110));
        QCOMPARE(w().openSceneryFile(path, false), 6);
        const QString target = "/proc/version";
        auto text = std::make_shared<QString>(), title = std::make_shared<QString>();
        whenModal<QFileDialog>([=](QFileDialog* dialog) {
            // The overwrite question for an existing file comes first.
            answerReplaceThenRecord(text, title);
            typeAndAccept(dialog, target);
        });
        QCOMPARE(w().saveSceneryAs(), 2);
        QCOMPARE(*title, QString("Error"));
        QVERIFY2(text->startsWith("Scenery could not be saved!"), qPrintable(*text));
        QVERIFY2(text->contains(target), qPrintable(*text));
        QVERIFY2(text->contains("not a regular file"), qPrintable(*text));
    }

    void aNameInBytesThatAreNotUtf8OpensAndSaves() {
        const test::TempDir dir("vantor-bytes");  // QTemporaryDir cannot remove names that are not UTF-8
        const std::string path = dir.path() + "/\xe9t\xe9.nbx";
        writeBytes(path, exampleText(110));
        QCOMPARE(w().openSceneryFile(path, false), 6);
        QCOMPARE(w().world().OBJECTS_N, 10);
        QCOMPARE(w().world().currentFileName, path);
        // Saving over it, as proposed, writes to the same bytes.
        w().world().SHOW_OBJECT_TRAILS = 1;
        whenModal<QFileDialog>(
            [](QFileDialog* dialog) { QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection); });
        QCOMPARE(w().saveSceneryAs(), 6);
        QCOMPARE(w().world().currentFileName, path);
        QVERIFY(readBytes(path).find("[SHOW_OBJECT_TRAILS]=1\n") != std::string::npos);
        QCOMPARE(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
                 1);
    }

    void anUnreadableFileKeepsTheSceneryAndSaysWhy() {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/orbit.nbx";
        writeBytes(path, exampleText(110));
        QCOMPARE(w().openSceneryFile(path, false), 6);
        w().world().SHOW_OBJECT_TRAILS = 1;
        w().world().sceneryModified = 1;
        const std::string fifo = dir.path().toStdString() + "/pipe.nbx";
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        QDir(dir.path()).mkdir("folder.nbx");
        const struct {
            std::string path;
            const char* reason;
        } cases[] = {
            {dir.path().toStdString() + "/missing.nbx", "No such file or directory"},
            {dir.path().toStdString() + "/folder.nbx", "Is a directory"},
            {fifo, "not a regular file (a FIFO)"},
        };
        for (const auto& c : cases) {
            auto text = std::make_shared<QString>(), title = std::make_shared<QString>();
            // The scenery changed: do not save it; then the error.
            whenModal<QMessageBox>([=](QMessageBox* question) {
                answerBox(QMessageBox::Ok, text.get(), title.get());
                question->button(QMessageBox::No)->click();
            });
            QCOMPARE(w().openSceneryFile(c.path, false), 2);
            QCOMPARE(*title, QString("Error"));
            QVERIFY2(text->contains(QString::fromStdString(c.path)), qPrintable(*text));
            QVERIFY2(text->contains(c.reason), qPrintable(*text));
            QCOMPARE(w().world().OBJECTS_N, 10);
            QCOMPARE(w().world().SHOW_OBJECT_TRAILS, 1);
            QCOMPARE(w().world().currentFileName, path);
            QCOMPARE(w().windowTitle(), QString("orbit.nbx* - Vantor"));
        }
    }

    void aFileReadInPartSaysWhatWasLeftOut() {
        QTemporaryDir dir;
        const std::string text = exampleText(110);
        const std::string path = dir.path().toStdString() + "/cut.nbx";
        writeBytes(path, text.substr(0, text.find("[OBJECT_5_X]=") + 16));
        QString message, title;
        answerBox(QMessageBox::Ok, &message, &title);
        QCOMPARE(w().openSceneryFile(path, false), 6);
        QCOMPARE(title, QString("Warning"));
        QVERIFY2(message.contains("was read only in part"), qPrintable(message));
        QVERIFY2(message.contains("5 objects of the current configuration are missing"), qPrintable(message));
        QCOMPARE(w().world().OBJECTS_N, 10);
    }

    void largeFilesShowTheirProgress() {
        // Over a few megabytes the processing window shows a bar that moves.
        QTemporaryDir dir;
        World big;
        newScenery(big);
        big.OBJECTS_N = 30000;
        for (int i = 0; i < big.OBJECTS_N; ++i) {
            vantor::setObjectName(big.objects[i], "Body");
            big.objects[i].mass = 1;
            big.objects[i].x = i;
        }
        const std::string path = dir.path().toStdString() + "/big.nbx";
        QCOMPARE(writeSceneryFile(big, path), 0);
        QVERIFY(std::filesystem::file_size(path) > (8u << 20));
        int barSeen = 0;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() != "processing" || !top->isVisible()) continue;
                if (auto* bar = top->findChild<QProgressBar*>("processingProgress"); bar && bar->isVisible()) {
                    barSeen = std::max(barSeen, bar->value());
                }
            }
        });
        probe.start(0);
        QCOMPARE(w().openSceneryFile(path, true), 6);
        QCOMPARE(w().world().OBJECTS_N, 30000);
        QVERIFY2(barSeen > 0, "the bar never showed a value");
    }

    void theDialogsListingReadsNoFileContent() {
        // The stock icon provider reads a file's first bytes when its name
        // says nothing; /proc/kmsg then blocks the listing for ever.
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/noext";
        writeBytes(path, "%PDF-1.4\n");
        const QFileInfo info(QString::fromStdString(path));
        QCOMPARE(FileKindIconProvider().type(info), QString("File"));
        QCOMPARE(FileKindIconProvider().type(QFileInfo(dir.path())), QString("Folder"));
    }
};

QTEST_MAIN(FileSafetyTest)
#include "file_safety_test.moc"
