// The run loop's safety nets through the desktop program: a run always
// leaves its mark, an automatic restart never throws objects away, and
// autosave keeps its period across restarts.
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
#include "tests/modal_test_support.h"

using namespace vantor;
using modal_test::answerBox;

namespace {

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

}  // namespace

class RunSafetyTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window;
    QTemporaryDir dir;

    MainWindow& w() { return *window; }
    QString part0() const { return window->statusPart(0)->text(); }

    void open(const QString& path) {
        QCOMPARE(w().openScenery(0, path, false), 6);
        QCOMPARE(w().world().OBJECTS_N, 2);
        QCOMPARE(w().world().sceneryModified, 0);
        QCOMPARE(w().world().sceneryOnDisk, 1);
        w().paintView();
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        window = std::make_unique<MainWindow>();
        QVERIFY(window->startWorkers());
        window->fitMainWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() {
        window->setRunning(0);
        window->world().sceneryModified = 0;
        window->world().sceneryOnDisk = 1;
        window.reset();
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
            open(path);
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

    // Restarting a scenery without an initial configuration would delete
    // every object: the run stops instead, keeps its objects and says why.
    void automaticRestartWithoutInitialObjectsStopsAndKeepsThem() {
        const struct { const char* name; int mode; } cases[] = {
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
        open(path);
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
