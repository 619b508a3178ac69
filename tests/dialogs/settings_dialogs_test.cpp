// Autosave and automatic stop, the small settings dialogs, scenery info and
// About, driven from the main window: opening by menu and key, typing and
// applying, rejected values, the two-step Enter and Esc.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include "benchmark/submission.h"
#include "dialogs/common/spin_field.h"
#include "dialogs/common/world_text.h"
#include "dialogs/settings/autosave_autostop_dialogs.h"
#include "dialogs/settings/one_value_dialogs.h"
#include "dialogs/settings/scenery_info_about_dialogs.h"
#include "platform/version.h"
#include "render/camera.h"
#include "scenery/realtext.h"
#include "tests/support/qt/settings_test_support.h"

using namespace vantor;
using namespace settings_test;

namespace {

QString real50(double v) { return QString::fromStdString(formatReal(v, 50)); }

QPushButton* button(QWidget* dialog, const char* id) { return dialog->findChild<QPushButton*>(id); }

// Clicks a check box on its box, whatever width the layout gave it.
void clickBox(QWidget* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

}  // namespace

class SettingsDialogsTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    template <typename D>
    D* openModeless(int command) {
        w().action(command)->trigger();
        auto* dialog = w().findChild<D*>();
        if (!waitActive(dialog)) return nullptr;
        return dialog;
    }

    QWidget* field(QWidget* dialog, const char* id) { return dialog->findChild<QWidget*>(id); }

    // Opens a modal dialog by its command, types `typed` into its field and
    // presses Enter twice (the first only moves the focus to OK); returns
    // whether the dialog closed.
    template <typename D>
    bool typeAndEnterTwice(int command, const char* fieldId, const QString& typed) {
        bool firstEnterStayed = false, closed = false;
        whenModal<D>([&](D* dialog) {
            QWidget* f = field(dialog, fieldId);
            typeInto(f, typed);
            QTest::keyClick(f, Qt::Key_Return);
            firstEnterStayed = dialog->isVisible() && button(dialog, "1")->hasFocus();
            QTest::keyClick(button(dialog, "1"), Qt::Key_Return);
            closed = !dialog->isVisible();
            if (!closed) dialog->reject();
        });
        w().action(command)->trigger();
        return firstEnterStayed && closed;
    }

private slots:
    void init() { QVERIFY(openWindow(Fitted | Centred | Active)); }

    void cleanup() { closeWindow(); }

    // --- Autosave and automatic stop ---

    void autosaveOpensWithThePeriodSplit() {
        world().AUTOSAVE_PERIOD = 90'061;
        world().AUTOSAVE_ENABLED = 1;
        auto* dialog = openModeless<AutosaveDialog>(cmd::Autosave);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Autosave"));
        QVERIFY(!dialog->isModal());
        for (const char* id : {"days", "hours", "minutes", "seconds"}) QCOMPARE(text(field(dialog, id)), QString("1"));
        QVERIFY(button(dialog, "ok")->hasFocus());
        QVERIFY(!button(dialog, "apply")->isEnabled());
        w().action(cmd::Autosave)->trigger();  // only the focus again
        QCOMPARE(w().findChildren<AutosaveDialog*>().size(), 1);
    }

    void autosaveEnterInHoursThenOk() {
        world().AUTOSAVE_PERIOD = 90'061;
        world().AUTOSAVE_ENABLED = 1;
        QPointer<AutosaveDialog> dialog = openModeless<AutosaveDialog>(cmd::Autosave);
        QVERIFY(dialog);
        typeInto(field(dialog, "hours"), "5");
        QTest::keyClick(field(dialog, "hours"), Qt::Key_Return);
        QVERIFY(button(dialog, "ok")->hasFocus());
        QVERIFY(dialog->isVisible());
        QCOMPARE(world().AUTOSAVE_PERIOD, 90'061);  // not yet
        QVERIFY(button(dialog, "apply")->isEnabled());
        pressOnFocus(dialog, Qt::Key_Return);
        QTRY_VERIFY(!dialog);
        QCOMPARE(world().AUTOSAVE_PERIOD, 86'400 + 5 * 3'600 + 61);
        QCOMPARE(world().sceneryModified, 1);
    }

    void autosaveEscUndoesTypingThenCloses() {
        QPointer<AutosaveDialog> dialog = openModeless<AutosaveDialog>(cmd::Autosave);
        QVERIFY(dialog);
        clickBox(field(dialog, "enable"));
        typeInto(field(dialog, "minutes"), "7");
        QTest::keyClick(field(dialog, "minutes"), Qt::Key_Escape);
        QCOMPARE(text(field(dialog, "minutes")), QString("0"));
        QVERIFY(button(dialog, "ok")->hasFocus());
        QVERIFY(dialog->isVisible());
        pressOnFocus(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!dialog);
        QCOMPARE(world().AUTOSAVE_ENABLED, 0);
        QCOMPARE(world().sceneryModified, 0);
    }

    void systemCloseNeverReads() {
        QPointer<AutostopDialog> dialog = openModeless<AutostopDialog>(cmd::AutoStop);
        QVERIFY(dialog);
        clickBox(field(dialog, "realTime"));
        typeInto(field(dialog, "rtMinutes"), "5");  // the focus stays in the field
        dialog->close();
        QTRY_VERIFY(!dialog);
        QCOMPARE(world().AUTOSTOP_MODE, 0);
        QCOMPARE(world().AUTOSTOP_RT_PERIOD, 0);

        w().action(cmd::SceneryInfo)->trigger();
        QPointer<SceneryInfoDialog> info = w().findChild<SceneryInfoDialog*>();
        QVERIFY(waitActive(info));
        clickBox(field(info, "1093"));
        typeInto(field(info, "1017"), "Unsaved");
        info->close();
        QTRY_VERIFY(!info);
        QCOMPARE(world().SCENERY_NAME, std::string());
        QCOMPARE(world().sceneryModified, 0);
    }

    void autosaveEnablingAndApply() {
        auto* dialog = openModeless<AutosaveDialog>(cmd::Autosave);
        QVERIFY(dialog);
        QVERIFY(!field(dialog, "days")->isEnabled());
        QVERIFY(!field(dialog, "separateFiles")->isEnabled());
        clickBox(field(dialog, "enable"));
        QVERIFY(field(dialog, "days")->isEnabled());
        QVERIFY(field(dialog, "separateFiles")->isEnabled());
        QVERIFY(button(dialog, "apply")->isEnabled());
        // Checked with a period of 0: autosave stays off.
        QTest::mouseClick(button(dialog, "apply"), Qt::LeftButton);
        QCOMPARE(world().AUTOSAVE_ENABLED, 0);
        QVERIFY(!button(dialog, "apply")->isEnabled());
        // Digits only: other characters are refused as they are typed.
        typeInto(field(dialog, "seconds"), "4x5");
        QCOMPARE(text(field(dialog, "seconds")), QString("45"));
        static_cast<SpinField*>(field(dialog, "seconds"))->stepBy(1);
        QCOMPARE(text(field(dialog, "seconds")), QString("46"));
        QTest::mouseClick(button(dialog, "apply"), Qt::LeftButton);
        QCOMPARE(world().AUTOSAVE_PERIOD, 46);
        QCOMPARE(world().AUTOSAVE_ENABLED, 1);
        QVERIFY(dialog->isVisible());
    }

    void autostopArrowsCarry() {
        world().AUTOSTOP_MODE = 1;
        world().AUTOSTOP_RT_PERIOD = 86'399;  // 0:23:59:59
        auto* dialog = openModeless<AutostopDialog>(cmd::AutoStop);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Automatic Stop / Restart"));
        QVERIFY(!field(dialog, "stDays")->isEnabled());
        static_cast<SpinField*>(field(dialog, "rtSeconds"))->stepBy(1);
        QStringList shown;
        for (const char* id : {"rtDays", "rtHours", "rtMinutes", "rtSeconds"}) shown << text(field(dialog, id));
        QCOMPARE(shown, QStringList({"1", "0", "0", "0"}));
        static_cast<SpinField*>(field(dialog, "rtHours"))->stepBy(-1);  // no borrow
        QCOMPARE(text(field(dialog, "rtHours")), QString("0"));
        QVERIFY(button(dialog, "apply")->isEnabled());
    }

    void autostopSimulatedPeriodStoresAndReopens() {
        QPointer<AutostopDialog> dialog = openModeless<AutostopDialog>(cmd::AutoStop);
        QVERIFY(dialog);
        clickBox(field(dialog, "simulatedTime"));
        QVERIFY(field(dialog, "stMils")->isEnabled());
        typeInto(field(dialog, "stMils"), "2");
        typeInto(field(dialog, "stYears"), "100");
        QTest::mouseClick(button(dialog, "ok"), Qt::LeftButton);
        QTRY_VERIFY(!dialog);
        QCOMPARE(world().AUTOSTOP_ST_PERIOD, 66'225'600'000.0);
        QCOMPARE(world().AUTOSTOP_MODE, 2);
        dialog = openModeless<AutostopDialog>(cmd::AutoStop);
        QVERIFY(dialog);
        QVERIFY(static_cast<QCheckBox*>(field(dialog, "simulatedTime"))->isChecked());
        QCOMPARE(text(field(dialog, "stMils")), QString("2"));
        QCOMPARE(text(field(dialog, "stYears")), QString("100"));
        QCOMPARE(text(field(dialog, "stDays")), QString("0"));
    }

    void autostopAppliedWhileRunning() {
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        auto* dialog = openModeless<AutostopDialog>(cmd::AutoStop);
        QVERIFY(dialog);
        w().setRunning(1);
        QTRY_VERIFY_WITH_TIMEOUT(world().SIMULATION_TIME > 0, 5000);
        clickBox(field(dialog, "simulatedTime"));
        typeInto(field(dialog, "stSeconds"), "1");
        QTest::mouseClick(button(dialog, "apply"), Qt::LeftButton);
        QCOMPARE(world().AUTOSTOP_MODE, 2);
        // The run loop reads the simulated-time stop at every step.
        QTRY_VERIFY_WITH_TIMEOUT(!world().simulationRunning, 5000);
        QVERIFY(!button(dialog, "apply")->isEnabled());
        QCOMPARE(text(field(dialog, "stSeconds")), QString("1"));
    }

    void periodDialogsFollowANewScenery() {
        world().AUTOSAVE_PERIOD = 90'061;
        auto* dialog = openModeless<AutosaveDialog>(cmd::Autosave);
        QVERIFY(dialog);
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        QCOMPARE(text(field(dialog, "days")), QString::number(world().AUTOSAVE_PERIOD / 86'400));
        QCOMPARE(text(field(dialog, "seconds")), QString::number(world().AUTOSAVE_PERIOD % 60));
    }

    // --- The small settings dialogs ---

    void timeStepTypedValues_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("expected");
        QTest::newRow("accepted") << "25" << 25.0;
        QTest::newRow("the limit") << "1e10" << 1e10;
        QTest::newRow("zero") << "0" << 10.0;
        QTest::newRow("negative") << "-3" << 10.0;
        QTest::newRow("above the limit") << "2e10" << 10.0;
        QTest::newRow("not a number") << "abc" << 10.0;
    }

    void timeStepTypedValues() {
        QFETCH(QString, typed);
        QFETCH(double, expected);
        QVERIFY(typeAndEnterTwice<TimeStepDialog>(cmd::TimeStep, "1001", typed));
        QCOMPARE(world().INIT_SIMULATION_TIME_STEP, expected);
        QCOMPARE(world().SIMULATION_TIME_STEP, 10.0);
        QCOMPARE(world().sceneryModified, expected != 10.0 ? 1 : 0);
    }

    void timeStepConfigurationChoice() {
        world().SIMULATION_TIME_STEP = 7;
        QString shownCurrent;
        whenModal<TimeStepDialog>([&](TimeStepDialog* dialog) {
            QCOMPARE(dialog->configuration()->currentText(), QString("Initial scenery configuration"));
            dialog->configuration()->setCurrentIndex(1);
            shownCurrent = text(field(dialog, "1001"));
            QTest::mouseClick(button(dialog, "2"), Qt::LeftButton);
        });
        w().action(cmd::TimeStep)->trigger();
        QVERIFY(!QTest::currentTestFailed());  // a check inside the dialog
        QCOMPARE(shownCurrent, real50(7));
        // Opened again it shows the initial step, and OK writes the initial step.
        QString shown;
        whenModal<TimeStepDialog>([&](TimeStepDialog* dialog) {
            shown = text(field(dialog, "1001"));
            QVERIFY(editOf(field(dialog, "1001"))->hasSelectedText());
            typeInto(field(dialog, "1001"), "3");
            QTest::mouseClick(button(dialog, "1"), Qt::LeftButton);
        });
        w().action(cmd::TimeStep)->trigger();
        QVERIFY(!QTest::currentTestFailed());  // a check inside the dialog
        QCOMPARE(shown, real50(10));
        QCOMPARE(world().INIT_SIMULATION_TIME_STEP, 3.0);
        QCOMPARE(world().SIMULATION_TIME_STEP, 7.0);
    }

    void framesPerSecondRange_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("4") << "4" << false;
        QTest::newRow("1001") << "1001" << false;
        QTest::newRow("huge") << "99999999999999999999" << false;
        QTest::newRow("5") << "5" << true;
        QTest::newRow("1000") << "1000" << true;
    }

    void framesPerSecondRange() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        bool stayedWithPresentValue = false;
        whenModal<FpsDialog>([&](FpsDialog* dialog) {
            QWidget* f = field(dialog, "1029");
            typeInto(f, typed);
            QTest::mouseClick(button(dialog, "1"), Qt::LeftButton);
            stayedWithPresentValue = dialog->isVisible() && text(f) == "50" && editOf(f)->hasSelectedText();
            if (dialog->isVisible()) QTest::mouseClick(button(dialog, "2"), Qt::LeftButton);
        });
        w().action(cmd::FramesPerSecond)->trigger();
        QCOMPARE(stayedWithPresentValue, !accepted);
        QCOMPARE(world().FPS_DESIRED, accepted ? typed.toInt() : 50);
    }

    void framesPerSecondDefaultStaysAfterCancel() {
        world().FPS_DESIRED = 200;
        whenModal<FpsDialog>([&](FpsDialog* dialog) {
            QTest::keyClicks(field(dialog, "1029"), "x");  // digits only
            QCOMPARE(text(field(dialog, "1029")), QString("200"));
            QTest::mouseClick(button(dialog, "3"), Qt::LeftButton);
            QCOMPARE(text(field(dialog, "1029")), QString("50"));
            QTest::mouseClick(button(dialog, "2"), Qt::LeftButton);
        });
        w().action(cmd::FramesPerSecond)->trigger();
        QVERIFY(!QTest::currentTestFailed());  // a check inside the dialog
        QCOMPARE(world().FPS_DESIRED, 50);
        QCOMPARE(world().sceneryModified, 1);
    }

    void rotatingStep() {
        world().VIEW_ROTATING_STEP = 1;
        QVERIFY(typeAndEnterTwice<RealSettingDialog>(cmd::RotatingStep, "1087", "11"));
        QCOMPARE(world().VIEW_ROTATING_STEP, 1.0);  // above 10: kept
        QVERIFY(typeAndEnterTwice<RealSettingDialog>(cmd::RotatingStep, "1087", "5"));
        QCOMPARE(world().VIEW_ROTATING_STEP, 5.0);
        QCOMPARE(w().toolbarField(671)->value(), real50(5));
        // Default acts at once and stays after Cancel.
        whenModal<RealSettingDialog>([&](RealSettingDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("Rotating step"));
            QTest::mouseClick(button(dialog, "3"), Qt::LeftButton);
            QCOMPARE(text(field(dialog, "1087")), real50(0.22));
            QTest::mouseClick(button(dialog, "2"), Qt::LeftButton);
        });
        w().action(cmd::RotatingStep)->trigger();
        QVERIFY(!QTest::currentTestFailed());  // a check inside the dialog
        QCOMPARE(world().VIEW_ROTATING_STEP, 0.22);
        QCOMPARE(world().sceneryModified, 0);
    }

    void fieldOfViewByKey() {
        // Opened by F; the first Esc undoes the typing, the second cancels.
        world().VIEWPOINT_FOV = 20;  // not yet projected: the dialog recomputes even when cancelled
        bool firstEscStayed = false;
        whenModal<RealSettingDialog>([&](RealSettingDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("Field of View angle"));
            QWidget* f = field(dialog, "1094");
            typeInto(f, "30");
            QTest::keyClick(f, Qt::Key_Escape);
            firstEscStayed = dialog->isVisible() && text(f) == real50(20) && button(dialog, "1")->hasFocus();
            pressOnFocus(dialog, Qt::Key_Escape);
        });
        QTest::keyClick(w().viewWidget(), Qt::Key_F);
        QVERIFY(!QTest::currentTestFailed());  // a check inside the dialog
        QVERIFY(firstEscStayed);
        QCOMPARE(world().VIEWPOINT_FOV, 20.0);
        QCOMPARE(w().view().screenScale, render::screenScaleFor(20));

        QVERIFY(typeAndEnterTwice<RealSettingDialog>(cmd::FieldOfView, "1094", "111"));
        QCOMPARE(world().VIEWPOINT_FOV, 20.0);
        QVERIFY(typeAndEnterTwice<RealSettingDialog>(cmd::FieldOfView, "1094", "110"));
        QCOMPARE(world().VIEWPOINT_FOV, 110.0);
        QCOMPARE(w().view().screenScale, render::screenScaleFor(110));
        whenModal<RealSettingDialog>([&](RealSettingDialog* dialog) {
            QTest::mouseClick(button(dialog, "3"), Qt::LeftButton);
            QTest::mouseClick(button(dialog, "2"), Qt::LeftButton);
        });
        w().action(cmd::FieldOfView)->trigger();
        QCOMPARE(world().VIEWPOINT_FOV, 10.0);
        QCOMPARE(world().sceneryModified, 0);
    }

    // --- Scenery info and About ---

    void sceneryInfoByKeyOnce() {
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        QTest::keyClick(w().viewWidget(), Qt::Key_I);
        auto* dialog = w().findChild<SceneryInfoDialog*>();
        QVERIFY(dialog);
        QVERIFY(waitActive(dialog));
        QCOMPARE(dialog->windowTitle(), QString("Scenery info"));
        QCOMPARE(text(field(dialog, "1017")), fromWorldText(world().SCENERY_NAME));
        QVERIFY(editOf(field(dialog, "1017"))->isReadOnly());
        QVERIFY(static_cast<QPlainTextEdit*>(field(dialog, "1092"))->isReadOnly());
        QTest::keyClick(w().viewWidget(), Qt::Key_I);
        QCOMPARE(w().findChildren<SceneryInfoDialog*>().size(), 1);
        // OK with nothing typed changes nothing.
        world().sceneryModified = 0;
        QPointer<SceneryInfoDialog> guard = dialog;
        QTest::mouseClick(button(dialog, "1"), Qt::LeftButton);
        QTRY_VERIFY(!guard);
        QCOMPARE(world().sceneryModified, 0);
    }

    void sceneryInfoEditing() {
        w().action(cmd::SceneryInfo)->trigger();
        QPointer<SceneryInfoDialog> dialog = w().findChild<SceneryInfoDialog*>();
        QVERIFY(dialog);
        QVERIFY(waitActive(dialog));
        QWidget* name = field(dialog, "1017");
        auto* description = static_cast<QPlainTextEdit*>(field(dialog, "1092"));
        QTest::keyClicks(name, "refused");  // read-only until editing is enabled
        QCOMPARE(text(name), QString());
        clickBox(field(dialog, "1093"));
        QVERIFY(!editOf(name)->isReadOnly() && !description->isReadOnly());

        typeInto(name, "Orbits [draft]");
        editOf(name)->setText(text(name) + "  \r\n ");  // trailing blanks and line breaks
        QTest::keyClick(name, Qt::Key_Return);          // first Enter: the focus to OK only
        QVERIFY(button(dialog, "1")->hasFocus());
        QVERIFY(dialog->isVisible());
        QCOMPARE(world().SCENERY_NAME, std::string());

        description->setFocus();
        QTest::keyClicks(description, "one");
        QTest::keyClick(description, Qt::Key_Return);  // a new line
        QTest::keyClicks(description, "two");
        QTest::keyClick(description, Qt::Key_Escape);  // first Esc: the focus to OK only
        QVERIFY(dialog->isVisible());
        QVERIFY(button(dialog, "1")->hasFocus());
        pressOnFocus(dialog, Qt::Key_Return);
        QTRY_VERIFY(!dialog);
        QCOMPARE(world().SCENERY_NAME, std::string("Orbits (draft)"));
        QCOMPARE(world().SCENERY_DESCRIPTION, std::string("one\r\ntwo"));
        QCOMPARE(world().sceneryModified, 1);
    }

    void sceneryInfoFollowsANewScenery() {
        world().SCENERY_NAME = "Old";
        w().action(cmd::SceneryInfo)->trigger();
        auto* dialog = w().findChild<SceneryInfoDialog*>();
        QVERIFY(dialog);
        clickBox(field(dialog, "1093"));
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        QCOMPARE(text(field(dialog, "1017")), fromWorldText(world().SCENERY_NAME));
        QVERIFY(!static_cast<QCheckBox*>(field(dialog, "1093"))->isChecked());
        QVERIFY(editOf(field(dialog, "1017"))->isReadOnly());
        // Esc on OK closes without applying.
        dialog->activateWindow();
        QVERIFY(waitActive(dialog));
        button(dialog, "1")->setFocus();
        QPointer<SceneryInfoDialog> guard = dialog;
        QTest::keyClick(button(dialog, "1"), Qt::Key_Escape);
        QTRY_VERIFY(!guard);
    }

    void aboutShowsVersionsConstantsAndAddress() {
        QMap<QString, QString> shown;
        bool closedByEsc = false;
        whenModal<AboutDialog>([&](AboutDialog* dialog) {
            shown["title"] = dialog->windowTitle();
            for (const char* id : {"1002", "1005", "1006"}) shown[id] = dialog->findChild<QLabel*>(id)->text();
            for (const char* id : {"1063", "1064", "1065"}) shown[id] = text(field(dialog, id));
            QTest::keyClick(dialog, Qt::Key_Escape);
            closedByEsc = !dialog->isVisible();
        });
        w().action(cmd::About)->trigger();
        QVERIFY(closedByEsc);
        QCOMPARE(shown["title"], QString("About"));
        QCOMPARE(shown["1002"], QString("Vantor"));
        QCOMPARE(shown["1005"], QString("v" VANTOR_VERSION));
        QCOMPARE(shown["1006"], QString("(engine v6.02.22)"));
        QCOMPARE(shown["1064"], QString("G = %1  m^3 / (kg s^2)").arg(QString::fromStdString(formatReal(6.6739e-11))));
        QCOMPARE(shown["1063"], QString("c = 2.99792458e+008  m/s"));
        QCOMPARE(shown["1065"], QString(WEB_SERVER));

        bool closedByEnter = false;
        whenModal<AboutDialog>([&](AboutDialog* dialog) {
            pressOnFocus(dialog, Qt::Key_Return);
            closedByEnter = !dialog->isVisible();
        });
        w().action(cmd::About)->trigger();
        QVERIFY(closedByEnter);
    }
};

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
