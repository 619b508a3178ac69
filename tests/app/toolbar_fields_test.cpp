// The toolbar's three fields driven as a person would: clicked into, typed
// into, left by Esc, Enter or a click elsewhere, spun by their arrows with
// single clicks and held presses; and looked at after a spin.
#include <QApplication>
#include <QLineEdit>
#include <QToolBar>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/common/spin_field.h"
#include "scenery/realtext.h"
#include "tests/support/qt/field_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using field_test::arrowCentre;
using field_test::editOf;
using field_test::showsWhole;

namespace {

constexpr int kTimeStep = 670, kFps = 668, kRotatingStep = 671;

QString real(double value) { return QString::fromStdString(formatReal(value, 50)); }

}  // namespace

class ToolbarFieldsTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    SpinField* field(int id) { return w().toolbarField(id); }

    // A click into the field's text, as a person starts typing.
    [[nodiscard]] bool clickInto(int id) {
        return window_test::passes([&] {
            QLineEdit* edit = editOf(field(id));
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() / 2, edit->height() / 2));
            QCOMPARE(QApplication::focusWidget(), field(id));
        });
    }

    [[nodiscard]] bool typeInto(int id, const QString& text) {
        return window_test::passes([&] {
            QVERIFY(clickInto(id));
            editOf(field(id))->selectAll();
            QTest::keyClicks(QApplication::focusWidget(), text);
        });
    }

    void clickArrow(int id, bool up) { QTest::mouseClick(field(id), Qt::LeftButton, {}, arrowCentre(field(id), up)); }

    [[nodiscard]] bool expectFocusOnView() {
        return window_test::passes(
            [&] { QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w().viewWidget())); });
    }

private slots:
    void init() {
        QVERIFY(openWindow(Fitted | Centred | Active));
        w().viewWidget()->setFocus();
        world().FPS_DESIRED = 50;
        world().SIMULATION_TIME_STEP = 100;
        world().VIEW_ROTATING_STEP = 0.22;
        w().refreshToolbar();
    }

    void cleanup() { closeWindow(); }

    // One spin gives a value with all 17 digits; the window at the size it
    // opens at shows it whole, and every field of the row.
    void valuesAfterASpinShowWhole() {
        clickArrow(kTimeStep, true);
        clickArrow(kRotatingStep, true);
        QCOMPARE(field(kTimeStep)->value(), real(100 * 1.1));
        QCOMPARE(field(kRotatingStep)->value(), real(0.22 * 1.1));
        QCOMPARE(field(kRotatingStep)->value().size(), 23);
        world().FPS_DESIRED = 1000;
        world().SIMULATION_TIME_STEP = 1e10 / 3;  // "3.3333333333333335e+009"
        w().refreshToolbar();
        for (int id : {kTimeStep, kFps, kRotatingStep}) {
            QVERIFY2(field(id)->isVisible(), qPrintable(QString::number(id)));
            const QRect shown = field(id)->geometry().intersected(field(id)->parentWidget()->rect());
            QCOMPARE(shown, field(id)->geometry());
            QVERIFY2(showsWhole(field(id)), qPrintable(field(id)->value()));
        }
    }

    // A window made narrower takes its room from the fields: they stay in
    // the row and show where their values start.
    void narrowWindowShowsTheStarts() {
        world().SIMULATION_TIME_STEP = 1e10 / 3;
        world().VIEW_ROTATING_STEP = 0.22 * 1.1;
        w().refreshToolbar();
        w().resize(480, w().height());
        QTRY_COMPARE(w().width(), 480);
        for (int id : {kTimeStep, kRotatingStep}) {
            QVERIFY2(field(id)->isVisible(), qPrintable(QString::number(id)));
            QVERIFY2(!showsWhole(field(id)), qPrintable(field(id)->value()));  // no room for it all
            QVERIFY2(field_test::showsStart(field(id)), qPrintable(field(id)->value()));
        }
    }

    // Text typed and then left, by Esc or by a click into another field,
    // makes way for the stored value; a later Enter elsewhere takes only its
    // own field.
    void leftTypingIsDropped_data() {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Esc") << true;
        QTest::newRow("click elsewhere") << false;
    }

    void leftTypingIsDropped() {
        QFETCH(bool, byEscape);
        QVERIFY(typeInto(kFps, "300"));
        QCOMPARE(field(kFps)->value(), QString("300"));
        if (byEscape) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY(expectFocusOnView());
        }
        QVERIFY(typeInto(kTimeStep, "2e2"));
        QCOMPARE(field(kFps)->value(), QString("50"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(world().SIMULATION_TIME_STEP, 200.0);
        QCOMPARE(world().FPS_DESIRED, 50);
        QCOMPARE(field(kFps)->value(), QString("50"));
        QCOMPARE(field(kTimeStep)->value(), real(200));
        QVERIFY(expectFocusOnView());
    }

    void escapeLeavesTheStoredValue() {
        QVERIFY(typeInto(kRotatingStep, "5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(expectFocusOnView());
        QCOMPARE(field(kRotatingStep)->value(), real(0.22));
        QCOMPARE(world().VIEW_ROTATING_STEP, 0.22);
        QCOMPARE(world().sceneryModified, 0);
    }

    // A click on an arrow steps once and hands the keys back to the view:
    // A then toggles the axes there.
    void arrowClickReturnsTheFocusToTheView() {
        for (bool up : {true, false}) {
            const int before = world().FPS_DESIRED;
            clickArrow(kFps, up);
            QCOMPARE(world().FPS_DESIRED, before + (up ? 5 : -5));
            QVERIFY(expectFocusOnView());
        }
        const int axes = world().displayAxes;
        QTest::keyClick(w().windowHandle(), Qt::Key_A);
        QCOMPARE(world().displayAxes, 1 - axes);
        // Also when the arrow's field held typing: the typing gives way.
        QVERIFY(typeInto(kTimeStep, "7"));
        clickArrow(kTimeStep, false);
        QCOMPARE(world().SIMULATION_TIME_STEP, 90.0);
        QCOMPARE(field(kTimeStep)->value(), real(90));
        QVERIFY(expectFocusOnView());
    }

    // A held arrow repeats after a pause, as a scroll bar's arrow does.
    void heldArrowRepeats() {
        SpinField* fps = field(kFps);
        QTest::mousePress(fps, Qt::LeftButton, {}, arrowCentre(fps, true));
        QCOMPARE(world().FPS_DESIRED, 55);
        QTRY_VERIFY_WITH_TIMEOUT(world().FPS_DESIRED >= 65, 5000);
        QTest::mouseRelease(fps, Qt::LeftButton, {}, arrowCentre(fps, true));
        const int released = world().FPS_DESIRED;
        QCOMPARE(fps->value(), QString::number(released));
        QVERIFY(expectFocusOnView());
        QTest::qWait(700);
        QCOMPARE(world().FPS_DESIRED, released);
        QCOMPARE(world().sceneryModified, 0);  // spinning never marks
    }

    void framesPerSecondTakesDigitsOnly() {
        QVERIFY(typeInto(kFps, "1a2-b0."));
        QCOMPARE(field(kFps)->value(), QString("120"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(world().FPS_DESIRED, 120);
    }
};

QTEST_MAIN(ToolbarFieldsTest)
#include "toolbar_fields_test.moc"
