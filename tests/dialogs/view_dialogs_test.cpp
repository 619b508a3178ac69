// The viewpoint and origin dialogs driven from the main window: opening by
// menu and key, typing and applying, the two-step Enter and Esc, the modes,
// and fields that follow the view and a running simulation.
#include <QComboBox>
#include <QPointer>
#include <QPushButton>

#include "dialogs/common/spin_field.h"
#include "dialogs/settings/viewpoint_origin_dialogs.h"
#include "render/camera.h"
#include "scenery/realtext.h"
#include "tests/support/qt/settings_test_support.h"

using namespace vantor;
using namespace settings_test;

namespace {

QString real(double v) { return QString::fromStdString(formatReal(v)); }

}  // namespace

class ViewDialogsTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    template <typename D>
    D* open(int command) {
        w().onCommand(command);
        auto* dialog = w().findChild<D*>();
        if (!waitActive(dialog)) return nullptr;
        return dialog;
    }

    QWidget* field(QDialog* dialog, const char* id) { return dialog->findChild<QWidget*>(id); }

private slots:
    void init() { QVERIFY(openWindow(Fitted | Centred | Active)); }

    void cleanup() {
        world().simulationRunning = 0;
        closeWindow();
    }

    void openByMenuAndKeyOnce() {
        const struct {
            int command;
            Qt::Key key;
            const char* title;
        } cases[] = {{cmd::Viewpoint, Qt::Key_V, "Viewpoint"}, {cmd::Origin, Qt::Key_O, "Origin"}};
        for (const auto& c : cases) {
            w().action(c.command)->trigger();
            const auto dialogs = w().findChildren<ViewSettingsDialog*>();
            QCOMPARE(dialogs.size(), 1);
            QPointer<ViewSettingsDialog> dialog = dialogs.first();
            QCOMPARE(dialog->windowTitle(), QString(c.title));
            QVERIFY(dialog->isVisible());
            QVERIFY(!dialog->isModal());
            QTest::keyClick(w().viewWidget(), c.key);  // only the focus again
            QCOMPARE(w().findChildren<ViewSettingsDialog*>().size(), 1);
            dialog->close();
            QTRY_VERIFY(!dialog);
            QTest::keyClick(w().viewWidget(), c.key);
            QVERIFY(w().findChild<ViewSettingsDialog*>());
            w().findChild<ViewSettingsDialog*>()->close();
            QTRY_VERIFY(!w().findChild<ViewSettingsDialog*>());
        }
    }

    void viewpointAnglesTypedAndApplied_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("theta");
        QTest::addColumn<double>("phi");
        QTest::addColumn<double>("alpha");
        QTest::addColumn<double>("distance");
        QTest::newRow("theta above 180") << "1041"
                                         << "200" << 180.0 << 0.0 << 0.0 << 1e10;
        QTest::newRow("theta below 0") << "1041"
                                       << "-5" << 0.0 << 0.0 << 0.0 << 1e10;
        QTest::newRow("phi negative") << "1042"
                                      << "-30" << 0.0 << 330.0 << 0.0 << 1e10;
        QTest::newRow("alpha above 360") << "1043"
                                         << "725" << 0.0 << 0.0 << 5.0 << 1e10;
        QTest::newRow("distance") << "1014"
                                  << "  5e9x" << 0.0 << 0.0 << 0.0 << 5e9;
        QTest::newRow("not a number reads 0") << "1014"
                                              << "abc" << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("beyond a double keeps the old") << "1014"
                                                       << "1e999" << 0.0 << 0.0 << 0.0 << 1e10;
    }

    void viewpointAnglesTypedAndApplied() {
        QFETCH(QString, id);
        QFETCH(QString, typed);
        auto* dialog = open<ViewpointDialog>(cmd::Viewpoint);
        QVERIFY(dialog);
        QWidget* f = field(dialog, id.toLatin1());
        typeInto(f, typed);
        QTest::keyClick(f, Qt::Key_Return);  // the first Enter applies and stays
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->findChild<QPushButton*>("1028")->hasFocus());
        QTEST(world().VIEWPOINT_THETA, "theta");
        QTEST(world().VIEWPOINT_PHI, "phi");
        QTEST(world().VIEWPOINT_ALPHA, "alpha");
        QTEST(world().VIEWPOINT_DISTANCE, "distance");
        QCOMPARE(text(field(dialog, "1041")), real(world().VIEWPOINT_THETA));
        QCOMPARE(text(field(dialog, "1014")), real(world().VIEWPOINT_DISTANCE));
        QCOMPARE(text(field(dialog, "1010")), real(world().VIEWPOINT_POSITION_Z));
        QCOMPARE(world().sceneryModified, 0);  // the viewpoint never marks

        QPointer<ViewpointDialog> guard = dialog;
        pressOnFocus(dialog, Qt::Key_Return);  // the second Enter closes
        QTRY_VERIFY(!guard);
    }

    void escDiscardsTypingThenCloses() {
        auto* dialog = open<ViewpointDialog>(cmd::Viewpoint);
        QVERIFY(dialog);
        QWidget* distance = field(dialog, "1014");
        typeInto(distance, "123");
        QTest::keyClick(distance, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QCOMPARE(text(distance), real(1e10));
        QVERIFY(dialog->findChild<QPushButton*>("1028")->hasFocus());
        QPointer<ViewpointDialog> guard = dialog;
        pressOnFocus(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!guard);
        QCOMPARE(world().VIEWPOINT_DISTANCE, 1e10);
    }

    void viewpointModes() {
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        auto* dialog = open<ViewpointDialog>(cmd::Viewpoint);
        QVERIFY(dialog);
        QCOMPARE(dialog->objectList()->count(), 10);
        QCOMPARE(dialog->objectList()->itemText(0), QString("[1] Sun"));
        auto readOnly = [&](const char* id) { return editOf(field(dialog, id))->isReadOnly(); };

        dialog->modeList()->setCurrentIndex(2);
        QCOMPARE(world().VIEWPOINT_MODE, 2);
        QVERIFY(readOnly("1014") && readOnly("1041") && !readOnly("1008") && !readOnly("1010"));
        QVERIFY(!dialog->objectList()->isEnabled());
        const QString before = text(field(dialog, "1041"));
        static_cast<SpinField*>(field(dialog, "1041"))->stepBy(1);  // arrows rest outside mode 0
        QCOMPARE(text(field(dialog, "1041")), before);
        typeInto(field(dialog, "1008"), "0");
        typeInto(field(dialog, "1009"), "0");
        typeInto(field(dialog, "1010"), "-5");
        dialog->findChild<QPushButton*>("1028")->setFocus();
        QPointer<ViewpointDialog> guard = dialog;
        QTest::keyClick(dialog->findChild<QPushButton*>("1028"), Qt::Key_Return);  // OK: apply and close
        QTRY_VERIFY(!guard);
        QCOMPARE(world().VIEWPOINT_DISTANCE, 5.0);
        QCOMPARE(world().VIEWPOINT_THETA, 180.0);
        QCOMPARE(world().VIEWPOINT_PHI, 0.0);

        dialog = open<ViewpointDialog>(cmd::Viewpoint);
        QVERIFY(dialog);
        QCOMPARE(dialog->modeList()->currentIndex(), 2);
        dialog->modeList()->setCurrentIndex(1);
        QVERIFY(dialog->objectList()->isEnabled());
        QVERIFY(readOnly("1014") && readOnly("1008"));
        dialog->objectList()->setCurrentIndex(3);
        QCOMPARE(world().VIEWPOINT_OBJECT, 3);
        // The frame put the viewpoint at the object; the fields show it.
        QCOMPARE(text(field(dialog, "1014")), real(world().VIEWPOINT_DISTANCE));
        QVERIFY(world().VIEWPOINT_DISTANCE != 5.0);

        dialog->modeList()->setCurrentIndex(0);
        QVERIFY(!readOnly("1014") && !readOnly("1043") && readOnly("1009"));
        world().VIEW_ROTATING_STEP = 0.5;
        typeInto(field(dialog, "1041"), "10");
        static_cast<SpinField*>(field(dialog, "1041"))->stepBy(1);  // the typing first, then the step
        QCOMPARE(world().VIEWPOINT_THETA, 10.5);
        const double distance = world().VIEWPOINT_DISTANCE;
        static_cast<SpinField*>(field(dialog, "1014"))->stepBy(-1);
        QCOMPARE(world().VIEWPOINT_DISTANCE, distance * 0.95);
        QCOMPARE(text(field(dialog, "1014")), real(distance * 0.95));
    }

    void fieldsFollowTheView() {
        auto* dialog = open<ViewpointDialog>(cmd::Viewpoint);
        QVERIFY(dialog);
        QTest::keyClick(w().viewWidget(), Qt::Key_Plus);  // zoom in
        QCOMPARE(world().VIEWPOINT_DISTANCE, 1e10 * 0.95);
        QTRY_COMPARE(text(field(dialog, "1014")), real(1e10 * 0.95));
        w().onCommand(cmd::RotateThetaPlus);
        QTRY_COMPARE(text(field(dialog, "1041")), real(world().VIEWPOINT_THETA));
    }

    void objectListFollowsNewScenery() {
        auto* dialog = open<OriginDialog>(cmd::Origin);
        QVERIFY(dialog);
        QCOMPARE(dialog->objectList()->count(), 0);
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        QCOMPARE(dialog->objectList()->count(), 10);
        QCOMPARE(dialog->objectList()->itemText(0), QString("[1] Sun"));
    }

    void fieldsFollowARunningSimulation() {
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        world().VIEWPOINT_MODE = 1;
        world().VIEWPOINT_OBJECT = 3;
        world().ORIGIN_MODE = 1;
        world().ORIGIN_OBJECT = 2;
        w().paintView();
        auto* viewpoint = open<ViewpointDialog>(cmd::Viewpoint);
        QVERIFY(viewpoint);
        auto* origin = open<OriginDialog>(cmd::Origin);
        QVERIFY(origin);
        const QString distance = text(field(viewpoint, "1014"));
        const QString originX = text(field(origin, "1008"));
        // Typing in a field survives the frames until Enter.
        typeInto(field(origin, "1012"), "123");
        w().setRunning(1);
        QTRY_VERIFY_WITH_TIMEOUT(text(field(viewpoint, "1014")) != distance, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(text(field(origin, "1008")) != originX, 5000);
        QCOMPARE(text(field(viewpoint, "1014")), real(world().VIEWPOINT_DISTANCE));
        QCOMPARE(text(field(origin, "1012")), QString("123"));
        QTest::keyClick(field(origin, "1012"), Qt::Key_Return);
        QCOMPARE(world().ORIGIN_OFFSET_X, 123.0);
        w().setRunning(0);
    }

    void originModesAndMarks() {
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        world().ORIGIN_MODE = 0;
        world().sceneryModified = 0;
        auto* dialog = open<OriginDialog>(cmd::Origin);
        QVERIFY(dialog);
        auto readOnly = [&](const char* id) { return editOf(field(dialog, id))->isReadOnly(); };
        QVERIFY(readOnly("1008") && !readOnly("1012") && !readOnly("1011") && !readOnly("1013"));
        QVERIFY(!dialog->objectList()->isEnabled());

        dialog->modeList()->setCurrentIndex(1);
        dialog->objectList()->setCurrentIndex(4);
        QCOMPARE(world().ORIGIN_MODE, 1);
        QCOMPARE(world().ORIGIN_OBJECT, 4);
        QCOMPARE(world().sceneryModified, 0);  // choosing never marks
        QCOMPARE(text(field(dialog, "1008")), real(world().objects[4].x));

        dialog->modeList()->setCurrentIndex(2);
        QVERIFY(!readOnly("1008"));
        typeInto(field(dialog, "1009"), "2.5e11");
        QTest::keyClick(field(dialog, "1009"), Qt::Key_Return);
        QCOMPARE(world().ORIGIN_POSITION_Y, 2.5e11);
        QCOMPARE(world().sceneryModified, 1);
        world().sceneryModified = 0;
        typeInto(field(dialog, "1011"), "1e999");  // no finite number: kept
        QTest::keyClick(field(dialog, "1011"), Qt::Key_Return);
        QCOMPARE(world().ORIGIN_OFFSET_Y, 0.0);
        QCOMPARE(text(field(dialog, "1011")), real(0));
        typeInto(field(dialog, "1013"), "-7");  // offset z
        QTest::keyClick(field(dialog, "1013"), Qt::Key_Return);
        QCOMPARE(world().ORIGIN_OFFSET_Z, -7.0);
        QCOMPARE(world().sceneryModified, 1);
    }

    void objectToOriginShowsInTheDialog() {
        QVERIFY(openExample(w(), "Solar_system-heliocentric.nbx"));
        world().ORIGIN_MODE = 0;
        auto* dialog = open<OriginDialog>(cmd::Origin);
        QVERIFY(dialog);
        QCOMPARE(dialog->modeList()->currentIndex(), 0);
        world().selectedObject = 2;
        w().onCommand(cmd::ObjectToOrigin);
        QTRY_COMPARE(dialog->modeList()->currentIndex(), 1);
        QVERIFY(dialog->objectList()->isEnabled());
        QCOMPARE(dialog->objectList()->currentIndex(), 2);
        QCOMPARE(dialog->objectList()->currentText(), QString("[3] ") + world().objects[2].name);
        QCOMPARE(text(field(dialog, "1008")), real(world().objects[2].x));
    }
};

QTEST_MAIN(ViewDialogsTest)
#include "view_dialogs_test.moc"
