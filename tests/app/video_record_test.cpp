// File > Record video...: the frames the view shows become a video file,
// complete once the command is chosen again or the program closes.
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "dialogs/common/command_ids.h"
#include "tests/support/decoded_video.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using modal_test::answerBox;
using modal_test::whenModal;

namespace {

// Fills in the file name as a user types it and accepts the dialog.
void chooseFile(const QString& path) {
    whenModal<QFileDialog>([path](QFileDialog* dialog) {
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        name->setFocus();
        name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

std::vector<std::string> namesIn(const QString& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder.toStdString())) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class VideoRecordTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

    QAction* item() { return w().action(cmd::RecordVideo); }
    QLabel* mark() { return w().findChild<QLabel*>("recordingMark"); }

private slots:
    void init() {
        QVERIFY(openWindow());
        QCOMPARE(w().openScenery(110, "Solar system", false), 6);
    }

    void cleanup() { closeWindow(); }

    void theCommandEndsTheFileMenu() {
        QMenu* file = w().menuBar()->actions().first()->menu();
        QCOMPARE(file->actions().last(), item());
        QCOMPARE(item()->text(), QString("Record &video..."));
    }

    // From the command to the command again: the frame shown when it
    // started and every frame presented since, at the view's size.
    void recordsEveryShownFrameUntilChosenAgain() {
        QTemporaryDir dir;
        const QString target = dir.path() + "/orbit.mp4";
        chooseFile(target);
        w().action(cmd::SpeedLimitDay)->trigger();
        item()->trigger();
        QVERIFY(w().recordingVideo());
        QVERIFY(item()->isChecked());
        QVERIFY(mark() && mark()->isVisible());
        // The mark ends the first part and covers none of the others.
        QCOMPARE(mark()->geometry().right() + 1, w().statusPart(1)->geometry().left());
        QVERIFY(w().statusPart(0)->geometry().right() < mark()->geometry().left());
        QVERIFY(mark()->width() >= mark()->sizeHint().width());
        // The speed limit's note, set before, stands beside it.
        const QLabel* note = w().findChild<QLabel*>("speedLimitStatus");
        QVERIFY(note && note->isVisible());
        QCOMPARE(note->geometry().right() + 1, mark()->geometry().left());
        QVERIFY(w().statusPart(0)->geometry().right() < note->geometry().left());
        QVERIFY(!QFile::exists(target));  // written under a temporary name until complete
        for (int k = 0; k < 4; ++k) {
            w().world().VIEW_ROTATING_STEP = 5;
            w().onCommand(cmd::RotateThetaPlus);  // each turn paints and shows a frame
        }
        const render::Surface last = w().surface();
        item()->trigger();
        QVERIFY(!w().recordingVideo());
        QVERIFY(!item()->isChecked());
        QVERIFY(!mark()->isVisible());
        QCOMPARE(w().statusPart(0)->text().left(21), QString("Video recorded: 5 fra"));
        QCOMPARE(namesIn(dir.path()), std::vector<std::string>{"orbit.mp4"});
        const auto v = video::testing::decodeVideo(target.toStdString());
        QVERIFY(v.ok);
        QCOMPARE(v.codec, std::string("h264"));
        QCOMPARE(v.width, 600);
        QCOMPARE(v.height, 350);
        QCOMPARE(v.frames.size(), size_t(5));
        QCOMPARE(av_q2d(v.frameRate), double(w().world().FPS_DESIRED));
        // The last frame is the view as last shown (the Sun at the centre).
        QVERIFY(last.pixel(300, 175) != 0xff000000u);
        QVERIFY(v.pixel(4, 300, 175) != 0xff000000u);
    }

    void closingTheProgramCompletesTheVideo() {
        QTemporaryDir dir;
        const QString target = dir.path() + "/closed.mkv";
        chooseFile(target);
        item()->trigger();
        QVERIFY(w().recordingVideo());
        w().paintView();
        w().close();
        window.reset();
        window = std::make_unique<MainWindow>();  // for cleanup()
        const auto v = video::testing::decodeVideo(target.toStdString());
        QVERIFY(v.ok);
        QVERIFY(v.frames.size() >= 2);  // closing may show one more
        QCOMPARE(namesIn(dir.path()), std::vector<std::string>{"closed.mkv"});
    }

    // A cancelled dialog records nothing; a name that is no video, or a file
    // that cannot be put in place (its folder went away while recording),
    // gets a box with the reason and leaves no file behind.
    void refusalsAndFailuresLeaveNoFile() {
        QTemporaryDir dir;
        whenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        item()->trigger();
        QVERIFY(!w().recordingVideo());
        QVERIFY(!item()->isChecked());

        auto text = std::make_shared<QString>();
        chooseFile(dir.path() + "/clip.avi");
        whenModal<QMessageBox>([text](QMessageBox* box) {
            *text = box->text();
            box->accept();
        });
        item()->trigger();
        QVERIFY(!w().recordingVideo());
        QVERIFY2(text->contains(".mp4, .mkv or .webm"), qPrintable(*text));

        QVERIFY(QDir(dir.path()).mkdir("sub"));
        chooseFile(dir.path() + "/sub/clip.mp4");
        item()->trigger();
        QVERIFY(w().recordingVideo());
        QVERIFY(QDir(dir.path() + "/sub").removeRecursively());
        whenModal<QMessageBox>([text](QMessageBox* box) {
            *text = box->text();
            box->accept();
        });
        item()->trigger();
        QVERIFY(!w().recordingVideo());
        QVERIFY2(text->startsWith("The video could not be written!"), qPrintable(*text));
        QVERIFY2(text->contains("No such file or directory"), qPrintable(*text));
        QVERIFY(!item()->isChecked());
        QVERIFY(!mark()->isVisible());
        QVERIFY(namesIn(dir.path()).empty());
    }
};

QTEST_MAIN(VideoRecordTest)
#include "video_record_test.moc"
