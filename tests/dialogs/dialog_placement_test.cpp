// Where the modeless dialogs show, on a wide screen (the test runs on a
// 1920 by 1080 offscreen screen): beside the main window, then where the
// user left them during this run, and above the fullscreen window.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/benchmark/benchmark_dialog.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/common/dialog_placement.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using dialogs::besideOwner;

Q_DECLARE_METATYPE(Qt::Key)

class DialogPlacementTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    QRect area() const { return window->screen()->availableGeometry(); }

    // Opens a dialog as a person does, by its key or its menu command, and
    // returns it once it holds the keyboard.
    QWidget* open(Qt::Key key, int command) {
        QWidget* before = QApplication::activeWindow();
        if (key != Qt::Key_unknown) QTest::keyClick(w().viewWidget(), key);
        else w().action(command)->trigger();
        if (!QTest::qWaitFor([before] {
                QWidget* now = QApplication::activeWindow();
                return now && now != before && qobject_cast<QDialog*>(now);
            }))
            return nullptr;
        return QApplication::activeWindow();
    }

    [[nodiscard]] bool focusView() {
        return window_test::passes([&] {
            w().activeWindow()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w().activeWindow()));
            w().viewWidget()->setFocus();
        });
    }

private slots:
    void initTestCase() {
        benchmarkSession().probe.measureCpuMhz = [] { return 1234; };  // no second-long measurement
    }

    void init() {
        dialogs::forgetModelessPlaces();
        QVERIFY(openWindow());
        window->move(area().topLeft() + QPoint(40, 40));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QVERIFY(area().width() >= 1900);  // the wide screen of the test's configuration
    }

    void cleanup() {
        if (BenchmarkDialog* d = BenchmarkDialog::instance()) delete d;
        window.reset();
    }

    void besideOwnerTakesTheFirstSideWithRoom_data() {
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("expected");
        const QRect wide(0, 0, 1920, 1080);
        QTest::newRow("right") << QRect(100, 100, 600, 400) << QSize(400, 300) << wide << QPoint(708, 100);
        QTest::newRow("left: no room on the right")
            << QRect(1300, 100, 600, 400) << QSize(400, 300) << wide << QPoint(892, 100);
        QTest::newRow("below: no room on either side")
            << QRect(200, 50, 600, 400) << QSize(400, 300) << QRect(0, 0, 1000, 1080) << QPoint(200, 458);
        QTest::newRow("right, kept on the screen's height")
            << QRect(100, 900, 600, 150) << QSize(400, 300) << wide << QPoint(708, 780);
        QTest::newRow("below, kept on the screen's width")
            << QRect(700, 50, 300, 400) << QSize(720, 300) << QRect(0, 0, 1000, 1080) << QPoint(280, 458);
        QTest::newRow("no room anywhere: the side that covers least, on the screen")
            << QRect(340, 230, 600, 460) << QSize(560, 460) << QRect(0, 0, 1280, 900) << QPoint(720, 230);
        QTest::newRow("a screen not at the origin")
            << QRect(2000, 100, 600, 400) << QSize(400, 300) << QRect(1920, 0, 1280, 1024) << QPoint(2608, 100);
        QTest::newRow("larger than the screen: its top-left corner on the screen")
            << QRect(100, 100, 600, 400) << QSize(2000, 1200) << wide << QPoint(0, 0);
    }

    void besideOwnerTakesTheFirstSideWithRoom() {
        QFETCH(QRect, owner);
        QFETCH(QSize, outer);
        QFETCH(QRect, area);
        QFETCH(QPoint, expected);
        QCOMPARE(besideOwner(owner, outer, area), expected);
    }

    void modelessDialogsOpenBesideTheMainWindow_data() {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("command");
        QTest::newRow("Viewpoint") << Qt::Key_V << 0;
        QTest::newRow("Origin") << Qt::Key_O << 0;
        QTest::newRow("Spacecraft") << Qt::Key_F12 << 0;
        QTest::newRow("Scenery info") << Qt::Key_I << 0;
        QTest::newRow("Autosave") << Qt::Key_unknown << int(cmd::Autosave);
        QTest::newRow("Automatic stop") << Qt::Key_unknown << int(cmd::AutoStop);
        QTest::newRow("Benchmark") << Qt::Key_F9 << 0;
        QTest::newRow("Examples") << Qt::Key_X << 0;
        QTest::newRow("Diagnostics") << Qt::Key_G << 0;
    }

    void modelessDialogsOpenBesideTheMainWindow() {
        QFETCH(Qt::Key, key);
        QFETCH(int, command);
        QWidget* dialog = open(key, command);
        QVERIFY(dialog);
        QVERIFY(!dialog->isModal());
        const QRect main = w().frameGeometry();
        const QRect frame = dialog->frameGeometry();
        QVERIFY2(!frame.intersects(main), qPrintable(QString("dialog at %1,%2").arg(frame.x()).arg(frame.y())));
        QVERIFY(frame.left() > main.right());
        QVERIFY(area().contains(frame));
        // Above the main window, so that clicking into the view does not bury it.
        QCOMPARE(dialog->windowHandle()->transientParent(), w().windowHandle());
        dialog->close();
    }

    void aDialogOpensAgainWhereTheUserLeftIt() {
        QWidget* viewpoint = open(Qt::Key_V, 0);
        QVERIFY(viewpoint);
        viewpoint->move(1200, 520);  // dragged away by its title bar
        const QPoint left = viewpoint->pos();
        viewpoint->close();
        QTRY_VERIFY(!w().findChild<QDialog*>("108"));

        // The main window moves meanwhile; the dialog keeps to its place.
        w().move(area().topLeft() + QPoint(300, 200));
        QVERIFY(focusView());
        viewpoint = open(Qt::Key_V, 0);
        QVERIFY(viewpoint);
        QCOMPARE(viewpoint->pos(), left);

        // Another kind has a place of its own: still beside the main window.
        QVERIFY(focusView());
        QWidget* origin = open(Qt::Key_O, 0);
        QVERIFY(origin);
        QVERIFY(!origin->frameGeometry().intersects(w().frameGeometry()));

        // A place now off the screen is brought back onto it.
        viewpoint->move(area().right() - 50, area().bottom() - 40);
        viewpoint->close();
        QTRY_VERIFY(!w().findChild<QDialog*>("108"));
        QVERIFY(focusView());
        viewpoint = open(Qt::Key_V, 0);
        QVERIFY(viewpoint);
        QVERIFY(area().contains(viewpoint->frameGeometry()));
        viewpoint->close();
        origin->close();
    }

    void modelessDialogsStayAboveTheFullscreenWindow() {
        QWidget* viewpoint = open(Qt::Key_V, 0);
        QVERIFY(viewpoint);
        QVERIFY(focusView());
        QWidget* benchmark = open(Qt::Key_F9, 0);
        QVERIFY(benchmark);
        QVERIFY(focusView());
        const QPoint where = viewpoint->pos();

        QTest::keyClick(w().viewWidget(), Qt::Key_F11);
        QVERIFY(w().fullscreenMode());
        QWidget* fullscreen = w().activeWindow();
        QVERIFY(fullscreen != &w());
        for (QWidget* dialog : {viewpoint, benchmark}) {
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->windowHandle()->transientParent(), fullscreen->windowHandle());
        }
        QCOMPARE(viewpoint->pos(), where);
        // The keys still go to the view.
        QTRY_COMPARE(QApplication::activeWindow(), fullscreen);

        // Back: above the main window again.
        QTest::keyClick(w().viewWidget(), Qt::Key_F11);
        QVERIFY(!w().fullscreenMode());
        for (QWidget* dialog : {viewpoint, benchmark}) {
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->windowHandle()->transientParent(), w().windowHandle());
        }
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&w()));
        viewpoint->close();
    }

    // A dialog opened while fullscreen stands above the fullscreen window.
    void aDialogOpenedInFullscreenStandsAboveIt() {
        QTest::keyClick(w().viewWidget(), Qt::Key_F11);
        QVERIFY(w().fullscreenMode());
        QVERIFY(focusView());
        QWidget* origin = open(Qt::Key_O, 0);
        QVERIFY(origin);
        QCOMPARE(origin->windowHandle()->transientParent(), w().activeWindow()->windowHandle());
        QVERIFY(area().contains(origin->frameGeometry()));
        origin->close();
        QTest::keyClick(w().viewWidget(), Qt::Key_F11);
    }
};

QTEST_MAIN(DialogPlacementTest)
#include "dialog_placement_test.moc"
