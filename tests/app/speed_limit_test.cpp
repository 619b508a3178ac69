// The speed limit through the desktop program: the L key, the menu, the
// toolbar box and the status note agree; a limited run takes only the steps
// the limit allows and keeps running; a benchmark is never limited; the
// limit is the session's, never the scenery file's.
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "scenery/writer.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using modal_test::answerBox;
using modal_test::whenModal;

namespace {

// Two light bodies far apart, so that nothing collides, with a time step of
// a million seconds: at a limit of one simulated second per second a step
// falls due only after 11 days.
QString writeTwoBodies(const QString& path) {
    auto world = std::make_unique<World>();
    newScenery(*world);
    world->INIT_OBJECTS_N = world->OBJECTS_N = 2;
    for (ObjectRecord* table : {world->initialObjects.get(), world->objects.get()}) {
        for (int i = 0; i < 2; ++i) {
            setObjectName(table[i], i == 0 ? "Earth" : "Moon");
            table[i].mass = 1e3;
            table[i].radius = 2e7;
            table[i].x = i == 0 ? -3e8 : 3e8;
            table[i].color = 0x00ffffff;
        }
    }
    world->INIT_SIMULATION_TIME_STEP = world->SIMULATION_TIME_STEP = 1e6;
    std::string reason;
    if (writeSceneryFile(*world, path.toStdString(), &reason) != 0) qWarning("fixture: %s", reason.c_str());
    return path;
}

}  // namespace

class SpeedLimitTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    QTemporaryDir dir;

    QLabel* note() { return w().findChild<QLabel*>("speedLimitStatus"); }

    void key(Qt::Key k) { QTest::keyClick(w().viewWidget(), k); }

    void typeIntoBox(const QString& text) {
        QComboBox* box = w().speedLimitBox();
        box->setFocus();
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), text);
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    }

    // The limit as each control shows it.
    [[nodiscard]] bool expectShown(double limit, const QString& text, int checkedId) {
        return window_test::passes([&] {
            QCOMPARE(world().speedLimit, limit);
            QCOMPARE(w().speedLimitBox()->currentText(), text);
            QCOMPARE(w().action(cmd::SpeedLimitToggle)->isChecked(), limit > 0);
            for (int id = cmd::SpeedLimitOff; id <= cmd::SpeedLimitOther; ++id)
                QVERIFY2(w().action(id)->isChecked() == (id == checkedId), qPrintable(QString::number(id)));
            QCOMPARE(note()->isHidden(), !(limit > 0));
            if (limit > 0) {
                QCOMPARE(note()->text(), "Limit " + text);
                // The note ends the first part, whole, and covers no other part.
                QCOMPARE(note()->geometry().right() + 1, w().statusPart(1)->geometry().left());
                QVERIFY(w().statusPart(0)->geometry().right() < note()->geometry().left());
                QVERIFY(note()->width() >= note()->sizeHint().width());
            }
        });
    }

    [[nodiscard]] bool openTwoBodies() {
        return window_test::passes([&] {
            QCOMPARE(w().openScenery(0, writeTwoBodies(dir.filePath("two.nbx")), false), 6);
            QCOMPARE(world().OBJECTS_N, 2);
        });
    }

private slots:
    void init() {
        QVERIFY(openWindow());
        w().viewWidget()->setFocus();
    }

    void cleanup() {
        world().benchmarkRunning = 0;
        closeWindow();
    }

    void offAtStartWithTheViewKeepingItsSize() {
        QVERIFY(expectShown(0, "Off", cmd::SpeedLimitOff));
        QCOMPARE(w().viewWidget()->size(), QSize(600, 350));
    }

    void keyMenuBoxAndNoteAgree() {
        key(Qt::Key_L);
        QVERIFY(expectShown(86400, "1 day/s", cmd::SpeedLimitDay));
        QCOMPARE(w().action(cmd::SpeedLimitToggle)->text(), QString("&Limit speed to 1 day/s\tL"));
        key(Qt::Key_L);
        QVERIFY(expectShown(0, "Off", cmd::SpeedLimitOff));

        // A limit chosen in the menu is the one L switches on again.
        w().action(cmd::SpeedLimitWeek)->trigger();
        QVERIFY(expectShown(604800, "1 week/s", cmd::SpeedLimitWeek));
        key(Qt::Key_L);
        QVERIFY(expectShown(0, "Off", cmd::SpeedLimitOff));
        key(Qt::Key_L);
        QVERIFY(expectShown(604800, "1 week/s", cmd::SpeedLimitWeek));

        // Typed into the box: a value of no preset marks "Other...".
        typeIntoBox("3 weeks/s");
        QVERIFY(expectShown(1814400, "3 weeks/s", cmd::SpeedLimitOther));
        QVERIFY(w().viewWidget()->hasFocus());
        typeIntoBox("off");
        QVERIFY(expectShown(0, "Off", cmd::SpeedLimitOff));

        // Chosen from the box's list.
        QComboBox* box = w().speedLimitBox();
        const int year = box->findText("1 year/s");
        QVERIFY(year > 0);
        box->setCurrentIndex(year);
        emit box->activated(year);
        QVERIFY(expectShown(31536000, "1 year/s", cmd::SpeedLimitYear));

        // The menu's "Other..." asks for a value.
        whenModal<QInputDialog>([](QInputDialog* d) {
            d->setTextValue("12 h/s");
            d->accept();
        });
        w().action(cmd::SpeedLimitOther)->trigger();
        QVERIFY(expectShown(43200, "12 hours/s", cmd::SpeedLimitOther));
    }

    void typedNonsenseIsRefusedWithAWordWhyAndChangesNothing() {
        w().action(cmd::SpeedLimitDay)->trigger();
        QString text, caption;
        answerBox(QMessageBox::Ok, &text, &caption);
        typeIntoBox("fast");
        QCOMPARE(caption, QString("Speed limit"));
        QVERIFY2(text.contains("\"fast\" is not a speed limit") && text.contains("1 day/s"), qPrintable(text));
        w().viewWidget()->setFocus();
        QVERIFY(expectShown(86400, "1 day/s", cmd::SpeedLimitDay));

        // A cancelled "Other..." changes nothing either.
        whenModal<QInputDialog>([](QInputDialog* d) { d->reject(); });
        w().action(cmd::SpeedLimitOther)->trigger();
        QVERIFY(expectShown(86400, "1 day/s", cmd::SpeedLimitDay));
    }

    void aLimitedRunTakesOnlyTheStepsDueAndGoesOn() {
        QVERIFY(openTwoBodies());
        typeIntoBox("1 s/s");
        QCOMPARE(world().speedLimit, 1.0);
        key(Qt::Key_Space);
        QVERIFY(world().simulationRunning);
        // Passes go on (the first one marks the scenery), but no step is due.
        QTRY_VERIFY(world().sceneryModified);
        QTest::qWait(300);
        QCOMPARE(world().SIMULATION_TIME, 0.0);
        QVERIFY(world().simulationRunning);
        QCOMPARE(world().SIMULATION_TIME_STEP, 1e6);  // the limit never touches the step

        key(Qt::Key_L);  // off: the run goes at full speed
        QTRY_VERIFY(world().SIMULATION_TIME >= 1e7);
        key(Qt::Key_L);  // on again: at most the step already owed
        const double time = world().SIMULATION_TIME;
        QTest::qWait(300);
        QVERIFY(world().SIMULATION_TIME <= time + 1e6);
        QVERIFY(world().simulationRunning);
    }

    // A limit the batches cannot reach yet (5 steps each) still lets the
    // batch size grow, although the passes between them that the limit cuts
    // short come faster than the frame rate.
    void theBatchSizeGrowsTowardsALimitItCannotReachYet() {
        QVERIFY(openTwoBodies());
        world().SIMULATION_TIME_STEP = 100;
        world().FPS_DESIRED = 5;
        w().action(cmd::SpeedLimitWeek)->trigger();  // 6048 steps a second
        key(Qt::Key_Space);
        QCOMPARE(world().stepsPerFrame, 5);
        QTRY_VERIFY_WITH_TIMEOUT(world().stepsPerFrame > 5, 15000);
    }

    void aLimitedRunOfOneObjectStillPausesAtOnce() {
        QVERIFY(openTwoBodies());
        world().OBJECTS_N = 1;
        w().action(cmd::SpeedLimitDay)->trigger();
        key(Qt::Key_Space);
        QTRY_VERIFY(!world().simulationRunning);
        QCOMPARE(w().statusPart(1)->text(), QString("Paused"));
    }

    void aBenchmarkRunIsNeverLimited() {
        QVERIFY(openTwoBodies());
        typeIntoBox("1 s/s");
        world().benchmarkRunning = 1;
        w().setRunning(1);
        QVERIFY(note()->isHidden());
        QTRY_VERIFY(world().SIMULATION_TIME >= 1e7);
        QCOMPARE(world().speedLimitHeld, 0);
        w().setRunning(0);
        world().benchmarkRunning = 0;
        w().refreshMenus();
        QVERIFY(!note()->isHidden());
    }

    void theLimitIsTheSessionsNotTheScenerys() {
        QVERIFY(openTwoBodies());
        const std::string unlimited = sceneryText(world());
        w().action(cmd::SpeedLimitMonth)->trigger();
        QCOMPARE(sceneryText(world()), unlimited);
        QCOMPARE(world().sceneryModified, 0);
        w().onCommand(cmd::New);
        QVERIFY(expectShown(2628000, "1 month/s", cmd::SpeedLimitMonth));
        QVERIFY(openTwoBodies());
        QVERIFY(expectShown(2628000, "1 month/s", cmd::SpeedLimitMonth));
    }
};

QTEST_MAIN(SpeedLimitTest)
#include "speed_limit_test.moc"
