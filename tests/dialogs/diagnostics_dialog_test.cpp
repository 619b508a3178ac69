// The diagnostics window driven from the main window: opening by menu and
// key, the figures it shows, the chart growing while the simulation runs,
// and the reference started again by its button or by a fresh scenery.
#include <QChartView>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QValueAxis>
#include <cmath>

#include "dialogs/diagnostics/diagnostics_dialog.h"
#include "engine/gravity.h"
#include "scenery/realtext.h"
#include "tests/support/qt/settings_test_support.h"

using namespace vantor;
using namespace settings_test;

class DiagnosticsDialogTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    DiagnosticsDialog* open() {
        w().onCommand(cmd::Diagnostics);
        return w().findChild<DiagnosticsDialog*>();
    }

private slots:
    void init() {
        QVERIFY(openWindow(Fitted | Centred | Active));
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        QTRY_VERIFY(world().OBJECTS_N > 2);
    }

    void cleanup() { closeWindow(); }

    // An item at the end of the Action menu (after the specified ones) and
    // the key G open one modeless window; a second press only brings it
    // forward.
    void openByMenuAndKeyOnce() {
        QMenu* action = w().menuBar()->actions().at(3)->menu();
        QAction* item = nullptr;
        for (QAction* a : action->actions()) {
            if (a->text() == "Dia&gnostics...\tG") item = a;
        }
        QVERIFY(item);
        QVERIFY(action->actions().indexOf(item) >= action->actions().size() - 4);
        item->trigger();
        QPointer<DiagnosticsDialog> dialog = w().findChild<DiagnosticsDialog*>();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Diagnostics"));
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        w().activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == &w());
        QTest::keyClick(w().viewWidget(), Qt::Key_G);
        QCOMPARE(w().findChildren<DiagnosticsDialog*>().size(), 1);
        dialog->findChild<QPushButton*>("close")->click();
        QTRY_VERIFY(!dialog);
        QTest::keyClick(w().viewWidget(), Qt::Key_G);
        QVERIFY(w().findChild<DiagnosticsDialog*>());
    }

    // What it shows at once is the current configuration's figures.
    void showsTheCurrentFigures() {
        DiagnosticsDialog* dialog = open();
        QVERIFY(dialog);
        const ConservationFigures expected = computeConservationFigures(world(), w().pool());
        QCOMPARE(dialog->lastFigures().totalEnergy, expected.totalEnergy);
        QCOMPARE(dialog->lastFigures().objects, world().OBJECTS_N);
        const QString text = dialog->findChild<QLabel*>("figures")->text();
        QVERIFY2(text.contains(QString::fromStdString(formatReal(expected.kineticEnergy))), qPrintable(text));
        QVERIFY2(text.contains(QString::fromStdString(formatReal(expected.totalEnergy))), qPrintable(text));
        QTRY_VERIFY(dialog->findChild<QLabel*>("age")->text().startsWith("Figures "));
        QCOMPARE(dialog->points(0).size(), 1);
    }

    // Running, the chart gains points at later simulated times, with the
    // small drift of the integration; paused and untouched, it stays.
    void chartFollowsARunningSimulation() {
        DiagnosticsDialog* dialog = open();
        QVERIFY(dialog);
        w().setRunning(1);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->points(0).size() >= 4, 20000);
        w().setRunning(0);
        dialog->tick(true);  // the figures of the paused state
        const QList<QPointF> energy = dialog->points(0);
        for (qsizetype k = 1; k < energy.size(); ++k) QVERIFY(energy[k].x() > energy[k - 1].x());
        QCOMPARE(energy.back().x(), world().SIMULATION_TIME);
        for (int c = 0; c < 3; ++c) {
            for (const QPointF& p : dialog->points(c))
                QVERIFY2(std::fabs(p.y()) < 1e-3, qPrintable(QString::number(p.y())));
        }
        // Both axes hold every point and tick at round values: 1, 2 or 5
        // times a power of ten apart.
        const QChartView* view = dialog->findChild<QChartView*>();
        QVERIFY(view);
        QList<const QValueAxis*> axes;
        for (const QAbstractAxis* axis : view->chart()->axes()) axes << qobject_cast<const QValueAxis*>(axis);
        QCOMPARE(axes.size(), 2);
        for (const QValueAxis* axis : axes) {
            QVERIFY(axis);
            QCOMPARE(axis->tickType(), QValueAxis::TicksDynamic);
            QCOMPARE(axis->tickAnchor(), 0.0);
            const double step = axis->tickInterval();
            QVERIFY(step * 2 <= axis->max() - axis->min() && step * 10 >= axis->max() - axis->min());
            const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
            QVERIFY2(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9,
                     qPrintable(QString("ticks %1 apart").arg(step)));
        }
        // The drift axis counts in whole steps of its unit, so that no tick
        // near 0 reads as a rounding residue (-1.65e-24); its title names the unit.
        for (const QValueAxis* axis : axes) {
            if (axis->orientation() != Qt::Vertical) continue;
            QCOMPARE(axis->tickInterval(), std::round(axis->tickInterval()));
            const int exponent = static_cast<int>(std::lround(std::log10(dialog->driftUnit())));
            QCOMPARE(dialog->driftUnit(), std::pow(10.0, exponent));
            QVERIFY2(exponent == 0 || axis->titleText().endsWith(QString("(x 1e%1)").arg(exponent)),
                     qPrintable(axis->titleText()));
        }
        for (int c = 0; c < 3; ++c) {
            for (const QPointF& p : dialog->points(c)) {
                for (const QValueAxis* axis : axes) {
                    const double v = axis->orientation() == Qt::Horizontal ? p.x() : p.y() / dialog->driftUnit();
                    QVERIFY(v >= axis->min() && v <= axis->max());
                }
            }
        }
        const qsizetype count = energy.size();
        QTest::qWait(700);
        QCOMPARE(dialog->points(0).size(), count);
    }

    // The button makes the present figures the reference; a scenery back at
    // its initial configuration starts one of its own.
    void referenceStartsAgain() {
        DiagnosticsDialog* dialog = open();
        QVERIFY(dialog);
        w().setRunning(1);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->points(0).size() >= 2, 20000);
        w().setRunning(0);
        dialog->findChild<QPushButton*>("restartReference")->click();
        QCOMPARE(dialog->points(0).size(), 1);
        QCOMPARE(dialog->points(0).front(), QPointF(0, 0));
        QCOMPARE(dialog->referenceFigures().totalEnergy, computeConservationFigures(world(), w().pool()).totalEnergy);

        QVERIFY(dialog->referenceTime() > 0);
        resetToInitial(world());  // as Reinitialize does once its question is answered
        w().objectsChanged();
        QTRY_COMPARE(dialog->referenceTime(), 0.0);
        QCOMPARE(dialog->points(0).size(), 1);
        QCOMPARE(dialog->referenceFigures().totalEnergy, dialog->lastFigures().totalEnergy);
    }
};

QTEST_MAIN(DiagnosticsDialogTest)
#include "diagnostics_dialog_test.moc"
