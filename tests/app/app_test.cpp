// The desktop program driven as a person would: menus, keys, dialogs,
// message boxes, the view.
#include <sys/resource.h>
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <csignal>
#include <functional>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/common/spin_field.h"
#include "dialogs/objects/examples_dialog.h"
#include "render/view.h"
#include "scenery/reader.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using modal_test::answerBox;
using modal_test::whenModal;

namespace {

// Selects the file and accepts once the dialog resolves it (its folder
// model fills in the background). A dialog that stays open, for example
// behind a warning, is closed so that no test hangs.
void acceptFileDialog(QFileDialog* dialog, const QString& path) {
    const QString wanted = QFileInfo(path).absoluteFilePath();
    // selectFile() clears the list's selection but leaves the name field
    // alone while it has the focus, which a user's dialog soon has; so the
    // field is focused as a user's would be and the path typed into it.
    auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (!nameField) {
        // Runs inside the dialog's event loop: the test sees the failure
        // once the dialog has returned.
        QTest::qFail("the file dialog has no name field", __FILE__, __LINE__);
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        return;
    }
    nameField->setFocus();
    dialog->selectFile(wanted);
    nameField->setText(wanted);
    QElapsedTimer waited;
    waited.start();
    while (dialog->selectedFiles().value(0) != wanted && waited.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    QTimer::singleShot(5000, dialog, [dialog] {
        if (!dialog->isVisible()) return;
        qWarning("the file dialog did not take the file (it has %s)", qPrintable(dialog->selectedFiles().join(", ")));
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->close();
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
}

void answerFileDialog(const QString& path) {
    whenModal<QFileDialog>([=](QFileDialog* dialog) { acceptFileDialog(dialog, path); });
}

uint64_t pixelSum(const MainWindow& w) {
    const render::Surface& s = w.surface();
    uint64_t sum = 0;
    for (int k = 0; k < s.width() * s.height(); ++k) sum += (s.pixels()[k] & 0xffffff) * static_cast<uint64_t>(k + 1);
    return sum;
}

}  // namespace

class AppTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    [[nodiscard]] bool openExample(const QString& item) { return window_test::openExample(w(), item); }

private slots:
    void init() { QVERIFY(openWindow(Fitted | Centred)); }

    void cleanup() { closeWindow(); }

    void startsEmptyWithA600By350View() {
        QCOMPARE(w().windowTitle(), QString("Vantor"));
        QCOMPARE(w().viewWidget()->size(), QSize(600, 350));
        QCOMPARE(w().statusPart(1)->text(), QString("Paused"));
        QCOMPARE(w().statusPart(2)->text(), QString("Ni=0"));
        QCOMPARE(w().statusPart(3)->text(), QString("N=0"));
        QCOMPARE(w().statusPart(5)->text(), QString("CC=0"));
        for (int id : {cmd::SaveAs, cmd::ReadOnlyFlag, cmd::Reinitialize, cmd::StartPause})
            QVERIFY2(!w().action(id)->isEnabled(), qPrintable(QString::number(id)));
    }

    void examplesDialogOpensAScenery() {
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        QCOMPARE(w().windowTitle(), QString("Solar_system-heliocentric.nbx - Vantor"));
        QCOMPARE(w().world().OBJECTS_N, 10);
        QCOMPARE(w().statusPart(2)->text(), QString("Ni=10"));
        QCOMPARE(w().statusPart(0)->text(), QString("Press 'I' to view scenery description/info"));
        QVERIFY(w().action(cmd::StartPause)->isEnabled());
        QVERIFY(w().action(cmd::DisplayNames)->isChecked());
    }

    void spaceRunsAndEscPauses() {
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        const uint64_t before = pixelSum(w());
        QTest::keyClick(w().viewWidget(), Qt::Key_Space);
        QVERIFY(w().world().simulationRunning);
        QCOMPARE(w().statusPart(1)->text(), QString("Running"));
        QTRY_VERIFY_WITH_TIMEOUT(w().world().SIMULATION_TIME > 1e5, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(pixelSum(w()) != before, 5000);
        QVERIFY(w().windowTitle().contains("*"));  // a run marks the scenery modified
        QTest::keyClick(w().viewWidget(), Qt::Key_Escape);
        QVERIFY(!w().world().simulationRunning);
        const double time = w().world().SIMULATION_TIME;
        QTest::qWait(50);
        QCOMPARE(w().world().SIMULATION_TIME, time);
    }

    void savePromptAnswers() {
        QVERIFY(openExample("N500.nbx"));
        w().onCommand(cmd::Dots);  // a marked toggle
        QVERIFY(w().world().sceneryModified);
        QCOMPARE(w().windowTitle(), QString("N500.nbx* - Vantor"));

        QString text, title;
        answerBox(QMessageBox::Cancel, &text, &title);
        w().onCommand(cmd::New);
        QCOMPARE(title, QString("Save scenery"));
        QCOMPARE(text, QString("Scenery changed! Do you want to save it?"));
        QCOMPARE(w().world().OBJECTS_N, 500);  // cancelled

        answerBox(QMessageBox::No);
        w().onCommand(cmd::New);
        QCOMPARE(w().world().OBJECTS_N, 0);
        QCOMPARE(w().windowTitle(), QString("Vantor"));
    }

    void saveAsWritesAReadableFile() {
        QTemporaryDir dir;
        QVERIFY(openExample("Solar_system-geocentric.nbx"));
        const QString path = dir.filePath("mine.nbx");
        answerFileDialog(path);
        QCOMPARE(w().saveSceneryAs(), 6);
        QCOMPARE(w().windowTitle(), QString("mine.nbx - Vantor"));
        World copy;
        QCOMPARE(readScenery(copy, 0, path.toStdString().c_str()), 1);
        QCOMPARE(copy.OBJECTS_N, 10);
        QCOMPARE(copy.ORIGIN_OBJECT, 3);

        // Yes at the prompt saves through the same dialog.
        w().onCommand(cmd::Trails);
        answerBox(QMessageBox::Yes);
        answerFileDialog(dir.filePath("second.nbx"));
        w().onCommand(cmd::New);
        QVERIFY(QFile::exists(dir.filePath("second.nbx")));
        QCOMPARE(w().world().OBJECTS_N, 0);
    }

    void saveFailureIsReported() {
        // A disk that takes no more than 1 kB (a limit that binds root too).
        QTemporaryDir dir;
        QVERIFY(openExample("Solar_system-geocentric.nbx"));
        QString text;
        answerFileDialog(dir.filePath("full.nbx"));
        answerBox(QMessageBox::Ok, &text);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit small = before;
        small.rlim_cur = 1000;
        setrlimit(RLIMIT_FSIZE, &small);
        const int result = w().saveSceneryAs();
        setrlimit(RLIMIT_FSIZE, &before);
        QCOMPARE(result, 2);
        QVERIFY2(text.startsWith("Scenery could not be saved!\n"), qPrintable(text));
        QVERIFY(!QFile::exists(dir.filePath("full.nbx")));
        QVERIFY(w().world().sceneryOnDisk == 1);  // still the example as loaded
    }

    void readOnlyFlagAsksBeforeSaving() {
        QVERIFY(openExample("Solar_system-geocentric.nbx"));
        w().onCommand(cmd::ReadOnlyFlag);
        QVERIFY(w().action(cmd::ReadOnlyFlag)->isChecked());
        QString text;
        answerBox(QMessageBox::No, &text);
        QCOMPARE(w().saveSceneryAs(), 7);
        QCOMPARE(text, QString("This file is opened as read-only!\nDo you really want to save it?"));
    }

    void menuMarksFollowSettings() {
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        const struct {
            int id;
            int World::*setting;
        } marks[] = {{cmd::DisplayNames, &World::DISPLAY_OBJECT_NAMES},
                     {cmd::DimDistant, &World::DIM_DISTANT_OBJECTS},
                     {cmd::DisplayAxes, &World::displayAxes},
                     {cmd::Relativistic, &World::CALCULATE_RELATIVISTIC_MASSES},
                     {cmd::Collisions, &World::ALLOW_OBJECT_COLLISIONS}};
        for (const auto& m : marks) {
            const bool before = w().world().*m.setting;
            w().action(m.id)->trigger();
            QCOMPARE(bool(w().world().*m.setting), !before);
            QCOMPARE(w().action(m.id)->isChecked(), !before);
        }
        w().onCommand(cmd::PriorityHigh);
        QVERIFY(w().action(cmd::PriorityHigh)->isChecked());
        QVERIFY(!w().action(cmd::PriorityNormal)->isChecked());
        QCOMPARE(w().world().PROCESS_PRIORITY, 2);
    }

    void shiftLockOfF6() {
        QVERIFY(openExample("N500.nbx"));
        int& dots = w().world().DISPLAY_OBJECTS_AS_DOTS;
        QTest::keyPress(w().viewWidget(), Qt::Key_F6);
        QCOMPARE(dots, 1);
        QTest::keyRelease(w().viewWidget(), Qt::Key_F6);
        QCOMPARE(dots, 0);
        QTest::keyPress(w().viewWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QTest::keyRelease(w().viewWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(dots, 1);
        QCOMPARE(w().shiftLock(Qt::Key_F6), 1);
        QTest::keyPress(w().viewWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QTest::keyRelease(w().viewWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(dots, 0);
        QCOMPARE(w().world().sceneryModified, 0);  // the keys never mark
    }

    void toolbarFieldsSpinAndApply() {
        SpinField* fps = w().toolbarField(668);
        QVERIFY(fps);
        const struct {
            int start;
            int direction;
            int expected;
        } spins[] = {{997, 1, 1000}, {1000, 1, 1000}, {7, -1, 5}, {5, -1, 5}, {10, 1, 15}};
        for (const auto& s : spins) {
            w().world().FPS_DESIRED = s.start;
            fps->stepBy(s.direction);
            QCOMPARE(w().world().FPS_DESIRED, s.expected);
            QCOMPARE(fps->value(), QString::number(s.expected));
        }
        QCOMPARE(w().world().sceneryModified, 0);  // spinning never marks

        w().world().SIMULATION_TIME_STEP = 9.5e9;
        w().toolbarField(670)->stepBy(1);
        QCOMPARE(w().world().SIMULATION_TIME_STEP, 9.5e9);  // 1.045e10 is beyond the limit

        fps->findChild<QLineEdit*>()->setText("3000");
        QTest::keyClick(fps, Qt::Key_Return);
        QCOMPARE(w().world().FPS_DESIRED, 1000);
        QCOMPARE(w().world().sceneryModified, 1);
        w().toolbarField(670)->findChild<QLineEdit*>()->setText("-1");
        QTest::keyClick(w().toolbarField(670), Qt::Key_Return);
        QCOMPARE(w().world().SIMULATION_TIME_STEP, 9.5e9);
    }

    void contextMenuOnAnObject() {
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        w().paintView();
        // Find a drawn object on the screen.
        const render::View& view = w().view();
        int x = -1, y = -1, index = -1;
        for (int k = w().world().OBJECTS_N - 1; k >= 0; --k) {
            const render::DrawEntry& e = view.depthOrder[k];
            if (e.visible && e.x > 2 && e.y > 2 && e.x < 598 && e.y < 348) {
                x = e.x;
                y = e.y;
                index = e.index;
                break;
            }
        }
        QVERIFY(index >= 0);
        w().showContextMenu(w().viewWidget()->mapToGlobal(QPoint(x, y)));
        QMenu* menu = w().contextMenu();
        QVERIFY(menu);
        const QList<QAction*> items = menu->actions();
        const QString n = QString::number(w().world().selectedObject + 1);
        QCOMPARE(items.at(items.size() - 2)->text(), "Object " + n + " to origin");
        QCOMPARE(items.last()->text(), "Object " + n + " properties...");
        items.at(items.size() - 2)->trigger();
        QCOMPARE(w().world().ORIGIN_MODE, 1);
        QCOMPARE(w().world().ORIGIN_OBJECT, w().world().selectedObject);
        menu->close();

        // Empty space: no object items.
        w().showContextMenu(w().viewWidget()->mapToGlobal(QPoint(1, 1)));
        QVERIFY(!w().contextMenu()->actions().last()->text().startsWith("Object"));
        w().contextMenu()->close();
    }

    void fullscreenAndBack() {
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        w().toggleFullscreen();
        QVERIFY(w().fullscreenMode());
        QVERIFY(w().action(cmd::Fullscreen)->isChecked());
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QTRY_COMPARE(w().viewWidget()->size(), screen);
        QTRY_COMPARE(w().view().viewWidth, screen.width());
        w().toggleFullscreen();
        QVERIFY(!w().fullscreenMode());
        QTRY_COMPARE(w().viewWidget()->size(), QSize(600, 350));
        QCOMPARE(w().view().viewWidth, 600);
        QCOMPARE(w().view().viewHeight, 350);
    }

    void autosaveIntoSeparateFiles() {
        QTemporaryDir dir;
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        World& world = w().world();
        world.currentFileName = dir.filePath("orbit.nbx").toStdString();
        world.AUTOSAVE_ENABLED = 1;
        world.AUTOSAVE_PERIOD = 60;
        world.AUTOSAVE_INTO_SEPARATE_FILES = 1;
        w().setRunning(1);
        w().autosaveTick();
        w().setRunning(0);
        const QStringList files = QDir(dir.path()).entryList({"orbit_*.nbx"});
        QCOMPARE(files.size(), 1);
        QVERIFY(QRegularExpression("^orbit_\\d{8}-\\d{6}\\.nbx$").match(files.first()).hasMatch());
        QVERIFY(w().statusPart(0)->text().startsWith("Autosave timestamp: "));
        QCOMPARE(world.AUTOSAVE_ENABLED, 1);
        World copy;
        QCOMPARE(readScenery(copy, 0, dir.filePath(files.first()).toStdString().c_str()), 1);
        QCOMPARE(copy.AUTOSAVE_ENABLED, 1);
    }

    void openWithTheReadOnlyBox() {
        QTemporaryDir dir;
        QVERIFY(openExample("Solar_system-geocentric.nbx"));
        const QString path = dir.filePath("geo.nbx");
        answerFileDialog(path);
        QCOMPARE(w().saveSceneryAs(), 6);
        w().onCommand(cmd::New);
        whenModal<QFileDialog>([=](QFileDialog* dialog) {
            dialog->findChild<QCheckBox*>("readOnly")->setChecked(true);
            acceptFileDialog(dialog, path);
        });
        w().onCommand(cmd::Open);
        QCOMPARE(w().world().OBJECTS_N, 10);
        QCOMPARE(w().world().FILE_READ_ONLY, 1);
        QCOMPARE(w().windowTitle(), QString("geo.nbx - Vantor"));
    }

    void reinitializeAsksFirst() {
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        w().setRunning(1);
        QTRY_VERIFY(w().world().SIMULATION_TIME > 0);
        w().setRunning(0);
        QString text;
        answerBox(QMessageBox::No, &text);
        w().onCommand(cmd::Reinitialize);
        QCOMPARE(text, QString("Do you really want to reload initial data?"));
        QVERIFY(w().world().SIMULATION_TIME > 0);
        answerBox(QMessageBox::Yes);
        w().onCommand(cmd::Reinitialize);
        QCOMPARE(w().world().SIMULATION_TIME, 0.0);
    }

    void threadsDialogKeepsItsRange() {
        QVERIFY(openExample("N500.nbx"));
        const int limit = w().pool().threadLimit;
        const int computing = computingWorkers(w().pool());
        whenModal<QDialog>([=](QDialog* dialog) {
            QVERIFY(
                dialog->findChild<QLabel*>("text")->text().contains(QString("Computing now:\t%1\n").arg(computing)));
            auto* field = dialog->findChild<SpinField*>("threads");
            field->setValue("0");
            dialog->accept();  // out of range: the dialog stays, the field shows the count again
            QCOMPARE(field->value(), QString::number(limit));
            field->setValue("1");
            dialog->accept();
        });
        w().onCommand(cmd::Threads);
        QVERIFY(!QTest::currentTestFailed());  // a check inside the dialog
        QCOMPARE(w().pool().workerCount, 1);
        QCOMPARE(w().statusPart(4)->text(), QString("1 thread"));
    }

    void helpBoxes() {
        QString text, title;
        answerBox(QMessageBox::Ok, &text, &title);
        QTest::keyClick(w().viewWidget(), Qt::Key_F1);
        QCOMPARE(title, QString("Keyboard and Mouse Shortcuts"));
        QVERIFY(text.contains("<b>General:</b>") && text.contains("toggle axes"));  // a table (shell_test)
        answerBox(QMessageBox::Ok, &text, &title);
        w().onCommand(cmd::AboutMcsFps);
        QCOMPARE(title, QString("About MCS and FPS"));
        QVERIFY(text.startsWith("MCS (Measured Computer Speed)"));
    }

    void openingHostileFilesNeverCrashes() {
        QTemporaryDir dir;
        auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
            return dir.filePath(name);
        };
        QByteArray garbage(65536, 0);
        for (int k = 0; k < garbage.size(); ++k) garbage[k] = static_cast<char>((k * 7919) ^ (k >> 3));
        QDir(dir.path()).mkdir("folder.nbx");
        // A file that cannot be read leaves the scenery as it was and says
        // why; one read in part opens and says what was left out.
        enum Outcome { Opened, OpenedInPart, Refused };
        const struct {
            QString path;
            Outcome outcome;
            int objects;
        } cases[] = {
            {dir.filePath("folder.nbx"), Refused, 10},
            {dir.filePath("missing.nbx"), Refused, 10},
            {write("empty.nbx", ""), Opened, 0},
            {write("garbage.nbx", garbage), OpenedInPart, 0},  // its zero bytes end the text
            {write("huge.nbx", "[OBJECTS_N]=99999999999\n"), OpenedInPart, 50000},
            {write("words.nbx", "[OBJECTS_N]=2\n[OBJECT_1_X]=nan\n[OBJECT_2_X]=-infinity\n[VIEWPOINT_FOV]=inf\n"),
             Opened, 2},
            {write("longline.nbx", "[SCENERY_NAME]=" + QByteArray(10 << 20, 'x') + "\n[OBJECTS_N]=3\n"), OpenedInPart,
             3},
        };
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        for (const auto& c : cases) {
            QString text, title;
            if (c.outcome != Opened) answerBox(QMessageBox::Ok, &text, &title);
            QCOMPARE(w().openScenery(0, c.path, false), c.outcome == Refused ? 2 : 6);
            QCOMPARE(w().world().OBJECTS_N, c.objects);
            if (c.outcome == Refused) {
                QCOMPARE(title, QString("Error"));
                QVERIFY2(text.contains(c.path), qPrintable(text));
                QCOMPARE(w().windowTitle(), QString("Solar_system-heliocentric.nbx - Vantor"));
            } else {
                QCOMPARE(w().world().VIEWPOINT_FOV, 10.0);  // "inf" reads as 0, which the rule turns into 10
            }
            if (c.outcome == OpenedInPart) {
                QCOMPARE(title, QString("Warning"));
                QVERIFY2(text.contains("was read only in part"), qPrintable(text));
            }
            w().paintView();  // drawing whatever was read must not fail either
        }
    }

    void failedAutosaveIsReportedAndRetried() {
        QTemporaryDir dir;
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        World& world = w().world();
        QDir(dir.path()).mkdir("taken.nbx");
        world.currentFileName = dir.filePath("taken.nbx").toStdString();  // a folder in the file's place
        world.AUTOSAVE_ENABLED = 1;
        world.AUTOSAVE_PERIOD = 60;
        w().setRunning(1);
        w().autosaveTick();
        QVERIFY(w().statusPart(0)->text().startsWith("Last Autosave was unsuccessful ("));  // then the reason
        QVERIFY(world.simulationRunning);
        QCOMPARE(world.AUTOSAVE_ENABLED, 1);  // tried again at the next tick
        QVERIFY(QFileInfo(dir.filePath("taken.nbx")).isDir());
        w().setRunning(0);
    }

    void automaticStopBySimulatedTime() {
        QVERIFY(openExample("Solar_system-heliocentric.nbx"));
        World& world = w().world();
        world.AUTOSTOP_MODE = 2;
        world.AUTOSTOP_ST_PERIOD = 1000;
        world.SIMULATION_TIME_STEP = 300;
        w().setRunning(1);
        QTRY_VERIFY_WITH_TIMEOUT(!world.simulationRunning, 5000);
        QCOMPARE(world.SIMULATION_TIME, 1200.0);

        world.RESTART_AFTER_AUTOSTOP = 1;
        world.SIMULATION_TIME_STEP = 300;
        w().setRunning(1);
        QTest::qWait(100);
        // It keeps restarting from the initial configuration (step 100 s).
        QVERIFY(world.simulationRunning);
        QVERIFY(world.SIMULATION_TIME < 1000 + 100);
        w().setRunning(0);
    }
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
