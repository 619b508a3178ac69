// The run loop's safety nets through the desktop program: a run always
// leaves its mark, an automatic restart never throws objects away, autosave
// never overwrites a read-only scenery, keeps its period across restarts,
// and a failed autosave stays in sight until one succeeds.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "render/view.h"
#include "scenery/writer.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using modal_test::answerBox;

namespace {

const char* const kFailed = "Last Autosave was unsuccessful";

void place(ObjectRecord& o, const char* name, double x) {
    setObjectName(o, name);
    o.mass = 1e3;  // light: the bodies hardly move while a test runs
    o.radius = 2e7;
    o.x = x;
    o.color = 0x00ffffff;
}

// Two bodies 6e8 m apart, in view, in both tables; `adjust` changes the
// settings before the file is written.
QString writeTwoBodies(const QString& path, const std::function<void(World&)>& adjust = {}) {
    auto world = std::make_unique<World>();
    newScenery(*world);
    world->INIT_OBJECTS_N = world->OBJECTS_N = 2;
    place(world->initialObjects[0], "Earth", -3e8);
    place(world->initialObjects[1], "Moon", 3e8);
    place(world->objects[0], "Earth", -3e8);
    place(world->objects[1], "Moon", 3e8);
    if (adjust) adjust(*world);
    std::string reason;
    if (writeSceneryFile(*world, path.toStdString(), &reason) != 0) qWarning("fixture: %s", reason.c_str());
    return path;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QLabel* autosaveAlertLabel() {
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->objectName() == "autosaveAlert") return qobject_cast<QLabel*>(widget);
    return nullptr;
}

}  // namespace

class RunSafetyTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    QTemporaryDir dir;

    [[nodiscard]] bool open(const QString& path) {
        return window_test::passes([&] {
            QCOMPARE(w().openScenery(0, path, false), 6);
            QCOMPARE(w().world().OBJECTS_N, 2);
            QCOMPARE(w().world().sceneryModified, 0);
            QCOMPARE(w().world().sceneryOnDisk, 1);
            w().paintView();
        });
    }

    // Where an object is drawn in the view, or (-1, -1).
    QPoint drawnAt(const char* name) {
        const render::View& view = w().view();
        for (int k = 0; k < w().world().OBJECTS_N; ++k) {
            const render::DrawEntry& e = view.depthOrder[k];
            if (e.visible && QString(w().world().objects[e.index].name) == name) return {e.x, e.y};
        }
        return {-1, -1};
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        QVERIFY(openWindow());
    }

    void cleanup() {
        closeWindow();
        for (const QString& name : QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            QFileInfo info(dir.filePath(name));
            if (info.isDir()) QDir(info.filePath()).removeRecursively();
            else QFile::remove(info.filePath());
        }
    }

    // A run stopped inside its first batch of steps still changed the
    // scenery: the title shows it and closing asks before losing it. A run
    // paused before its first step changed nothing.
    void aRunStoppedInItsFirstBatchLeavesTheSceneryModified() {
        const struct {
            const char* name;
            std::function<void(World&)> adjust;
            bool collides;
            bool moved;
        } cases[] = {
            {"stop by simulated time one step ahead",
             [](World& s) {
                 s.AUTOSTOP_MODE = 2;
                 s.AUTOSTOP_ST_PERIOD = 10;
             },
             false, true},
            {"collision at the first step",
             [](World& s) {
                 s.objects[1].x = s.objects[0].x;  // one point: an infinite force
                 s.ALLOW_OBJECT_COLLISIONS = 0;
             },
             true, true},
            {"paused before any step", {}, false, false},
        };
        for (const auto& c : cases) {
            const QString path = writeTwoBodies(dir.filePath("first.nbx"), c.adjust);
            QVERIFY(open(path));
            QCOMPARE(w().windowTitle(), QString("first.nbx - Vantor"));
            QString collisionText;
            if (c.collides) answerBox(QMessageBox::Ok, &collisionText);
            QTest::keyClick(w().viewWidget(), Qt::Key_Space);
            QVERIFY2(w().world().simulationRunning, c.name);
            if (!c.moved) QTest::keyClick(w().viewWidget(), Qt::Key_Space);  // no event between: no step
            QTRY_VERIFY_WITH_TIMEOUT(!w().world().simulationRunning, 5000);
            if (c.collides) QTRY_COMPARE(collisionText, QString("A collision has been detected. Simulation stopped."));
            QCOMPARE(w().world().SIMULATION_TIME != 0, c.moved);

            QCOMPARE(w().windowTitle(), QString(c.moved ? "first.nbx* - Vantor" : "first.nbx - Vantor"));
            QString question = "(not asked)";
            if (c.moved) answerBox(QMessageBox::Cancel, &question);
            w().close();
            QCOMPARE(question, QString(c.moved ? "Scenery changed! Do you want to save it?" : "(not asked)"));
            QCOMPARE(w().isVisible(), c.moved);  // Cancel keeps the window; unchanged, it closes at once
            w().show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            w().world().sceneryModified = 0;
        }
    }

    // What an autosave wrote into the scenery's own file is what the run
    // has: pausing straight after it leaves nothing unsaved.
    void aPauseRightAfterAnAutosaveIntoItsOwnFileLeavesItSaved() {
        const QString path = writeTwoBodies(dir.filePath("own.nbx"), [](World& s) {
            s.AUTOSAVE_ENABLED = 1;
            s.AUTOSAVE_PERIOD = 60;
        });
        QVERIFY(open(path));
        QTest::keyClick(w().viewWidget(), Qt::Key_Space);
        QTRY_VERIFY(w().world().SIMULATION_TIME > 0);
        w().autosaveTick();
        QCOMPARE(w().world().sceneryModified, 0);
        QTest::keyClick(w().viewWidget(), Qt::Key_Escape);  // no event between: no step
        QCOMPARE(w().world().sceneryModified, 0);           // closing asks nothing
        QCOMPARE(w().windowTitle(), QString("own.nbx - Vantor"));
    }

    // Restarting a scenery without an initial configuration would delete
    // every object: the run stops instead, keeps its objects and says why.
    void automaticRestartWithoutInitialObjectsStopsAndKeepsThem() {
        const struct {
            const char* name;
            int mode;
        } cases[] = {
            {"by simulated time", 2},
            {"by real time", 1},
        };
        for (const auto& c : cases) {
            const QString path = writeTwoBodies(dir.filePath("current_only.nbx"), [&](World& s) {
                vantor::setObjectName(s.initialObjects[0], nullptr);
                vantor::setObjectName(s.initialObjects[1], nullptr);
                s.INIT_OBJECTS_N = 0;
                s.AUTOSTOP_MODE = c.mode;
                s.AUTOSTOP_ST_PERIOD = 30;
                s.AUTOSTOP_RT_PERIOD = 3600;
                s.RESTART_AFTER_AUTOSTOP = 1;
            });
            QCOMPARE(w().openScenery(0, path, false), 6);
            QCOMPARE(w().world().INIT_OBJECTS_N, 0);
            QCOMPARE(w().world().OBJECTS_N, 2);
            QTest::keyClick(w().viewWidget(), Qt::Key_Space);
            if (c.mode == 1) {
                QTRY_VERIFY(w().world().SIMULATION_TIME > 0);
                w().autostopAction();  // what the real-time timer does when it fires
            }
            QTRY_VERIFY_WITH_TIMEOUT(!w().world().simulationRunning, 5000);
            const double stoppedAt = w().world().SIMULATION_TIME;
            QVERIFY2(stoppedAt > 0, c.name);
            QCOMPARE(w().world().OBJECTS_N, 2);
            QCOMPARE(QString(w().world().objects[1].name), QString("Moon"));
            QCOMPARE(part0(), QString("Automatic restart skipped: the scenery has no initial configuration"));
            QCOMPARE(w().statusPart(1)->text(), QString("Paused"));
            QCOMPARE(w().statusPart(3)->text(), QString("N=2"));
            QTest::qWait(50);
            QCOMPARE(w().world().SIMULATION_TIME, stoppedAt);  // it really stopped
            QVERIFY(w().windowTitle().endsWith("* - Vantor"));
            w().world().sceneryModified = 0;
        }
    }

    // A read-only scenery's file keeps its bytes; the autosave goes to one
    // time-stamped file beside it and the status line names it.
    void autosaveOfAReadOnlySceneryWritesASeparateFile() {
        const QString path = writeTwoBodies(dir.filePath("kept.nbx"), [](World& s) {
            s.FILE_READ_ONLY = 1;
            s.AUTOSAVE_ENABLED = 1;
            s.AUTOSAVE_PERIOD = 60;
            s.AUTOSAVE_INTO_SEPARATE_FILES = 0;
        });
        const QByteArray original = bytesOf(path);
        QVERIFY(open(path));
        QCOMPARE(w().world().FILE_READ_ONLY, 1);
        QTest::keyClick(w().viewWidget(), Qt::Key_Space);
        QTRY_VERIFY(w().world().SIMULATION_TIME > 0);  // the save would differ from the file
        QTRY_VERIFY(w().world().sceneryModified);
        w().autosaveTick();
        QTest::keyClick(w().viewWidget(), Qt::Key_Escape);

        QCOMPARE(bytesOf(path), original);
        const QStringList copies = QDir(dir.path()).entryList({"kept_*.nbx"});
        QCOMPARE(copies.size(), 1);
        QVERIFY(QRegularExpression("^kept_\\d{8}-\\d{6}\\.nbx$").match(copies.first()).hasMatch());
        QVERIFY(bytesOf(dir.filePath(copies.first())) != original);
        QVERIFY2(QRegularExpression("^Autosave timestamp: \\d+:\\d+h, \\d+-\\d+-\\d+ \\(read-only: saved as " +
                                    QRegularExpression::escape(copies.first()) + "\\)$")
                     .match(part0())
                     .hasMatch(),
                 qPrintable(part0()));
        // The scenery itself was not saved.
        QCOMPARE(w().world().currentFileName, path.toStdString());
        QCOMPARE(w().world().sceneryModified, 1);
        QCOMPARE(w().windowTitle(), QString("kept.nbx* - Vantor"));
        QCOMPARE(w().world().AUTOSAVE_ENABLED, 1);
    }

    // The failure and its reason stay in front of the status line's first
    // part, and over the fullscreen view, until an autosave succeeds.
    void failedAutosaveStaysShownUntilTheNextSuccess() {
        QVERIFY(QDir(dir.path()).mkdir("sims"));
        const QString path = writeTwoBodies(dir.filePath("sims/lost.nbx"), [](World& s) {
            s.AUTOSAVE_ENABLED = 1;
            s.AUTOSAVE_PERIOD = 60;
        });
        QVERIFY(open(path));
        QVERIFY(QDir(dir.filePath("sims")).removeRecursively());  // nowhere to save, even for root
        QTest::keyClick(w().viewWidget(), Qt::Key_Space);
        w().autosaveTick();
        const QString failure = part0();
        QVERIFY2(QRegularExpression("^Last Autosave was unsuccessful \\(.+\\)$").match(failure).hasMatch(),
                 qPrintable(failure));
        QTest::keyClick(w().viewWidget(), Qt::Key_Escape);

        // Hovering an object names it after the failure (the reason stays in
        // the tooltip, so that the name fits); moving off leaves the failure
        // alone.
        const QPoint earth = drawnAt("Earth");
        QVERIFY(earth.x() >= 0);
        QTest::mouseMove(w().viewWidget(), earth);
        QTRY_COMPARE(part0(), QString("Last Autosave was unsuccessful - Earth"));
        QCOMPARE(w().statusPart(0)->toolTip(), failure + " - Earth");
        QTest::mouseMove(w().viewWidget(), QPoint(w().viewWidget()->width() / 2, 2));
        QTRY_COMPARE(part0(), failure);
        w().setStatusText("Press 'I' to view scenery description/info");
        QCOMPARE(part0(), QString("Last Autosave was unsuccessful - Press 'I' to view scenery description/info"));

        // Fullscreen has no status bar: the failure shows over the view, and
        // only there.
        QLabel* alert = autosaveAlertLabel();
        QVERIFY(alert);
        QVERIFY(!alert->isVisible());
        QTest::keyClick(w().viewWidget(), Qt::Key_F11);
        QVERIFY(w().fullscreenMode());
        QVERIFY(alert->isVisible());
        QCOMPARE(alert->text(), failure);
        QVERIFY(alert->window() == w().viewWidget()->window());
        QTRY_VERIFY2(alert->geometry().intersects(w().viewWidget()->geometry()) &&
                         alert->geometry().center().x() == w().viewWidget()->geometry().center().x(),
                     qPrintable(QString("alert %1,%2 %3x%4 over a %5x%6 view")
                                    .arg(alert->x())
                                    .arg(alert->y())
                                    .arg(alert->width())
                                    .arg(alert->height())
                                    .arg(w().viewWidget()->width())
                                    .arg(w().viewWidget()->height())));
        QTest::keyClick(w().viewWidget(), Qt::Key_F11);
        QVERIFY(!w().fullscreenMode());
        QVERIFY(!alert->isVisible());
        QTest::keyClick(w().viewWidget(), Qt::Key_F11);
        QVERIFY(alert->isVisible());

        // The next save succeeds: both go.
        QVERIFY(QDir(dir.path()).mkdir("sims"));
        QTest::keyClick(w().viewWidget(), Qt::Key_Space);
        w().autosaveTick();
        QTest::keyClick(w().viewWidget(), Qt::Key_Escape);
        QVERIFY(QFile::exists(path));
        QVERIFY2(part0().startsWith("Autosave timestamp: "), qPrintable(part0()));
        QVERIFY(!alert->isVisible());
        QTest::keyClick(w().viewWidget(), Qt::Key_F11);
        QVERIFY(!w().fullscreenMode());
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_COMPARE(w().viewWidget()->size(), QSize(600, 350));
        w().paintView();
        QTest::mouseMove(w().viewWidget(), drawnAt("Earth"));
        QTRY_COMPARE(part0(), QString("Earth"));
        QVERIFY(!part0().contains(kFailed));
    }

    // The status texts each keep their own box: a long first part ends in an
    // ellipsis before "Running" instead of running under it, and its tooltip
    // shows it whole.
    void statusPartsNeverOverlap() {
        const QString text =
            "Autosave timestamp: 13:24h, 2026-12-10 (read-only: saved as "
            "solar_system_20261210-132456.nbx)";
        w().setStatusText(text);
        for (int part = 0; part < 5; ++part) {
            const QRect here = w().statusPart(part)->geometry(), next = w().statusPart(part + 1)->geometry();
            QVERIFY2(here.right() < next.left(), qPrintable(QString("part %1 ends at %2, part %3 starts at %4")
                                                                .arg(part)
                                                                .arg(here.right())
                                                                .arg(part + 1)
                                                                .arg(next.left())));
        }
        QCOMPARE(part0(), text);
        QCOMPARE(w().statusPart(0)->toolTip(), text);
    }

    // With a restart every second and an autosave every two, the autosave
    // still comes: an automatic restart does not start its period again.
    void autosavePeriodRunsOnAcrossAutomaticRestarts() {
        const QString path = writeTwoBodies(dir.filePath("restarting.nbx"), [](World& s) {
            s.AUTOSTOP_MODE = 1;
            s.AUTOSTOP_RT_PERIOD = 1;
            s.RESTART_AFTER_AUTOSTOP = 1;
            s.AUTOSAVE_ENABLED = 1;
            s.AUTOSAVE_PERIOD = 2;
        });
        QVERIFY(open(path));
        int restarts = 0;
        double lastTime = 0;
        QTimer watch;
        watch.setInterval(5);
        connect(&watch, &QTimer::timeout, [&] {
            if (w().world().SIMULATION_TIME < lastTime) ++restarts;
            lastTime = w().world().SIMULATION_TIME;
        });
        watch.start();
        QTest::keyClick(w().viewWidget(), Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(part0().startsWith("Autosave timestamp: "), 8000);
        watch.stop();
        QVERIFY(restarts >= 1);
        QVERIFY(w().world().simulationRunning);  // restarted, not stopped
        QCOMPARE(w().world().OBJECTS_N, 2);
    }
};

QTEST_MAIN(RunSafetyTest)
#include "run_safety_test.moc"
