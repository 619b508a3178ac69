// The object dialogs driven as a person would, through a real main window:
// menu commands and keys open them, fields are typed into, Enter and Esc
// pressed, message boxes answered.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <cmath>
#include <functional>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/objects/examples_dialog.h"
#include "dialogs/objects/object_editor.h"
#include "dialogs/objects/object_randomizer.h"
#include "dialogs/objects/randomizer_model.h"
#include "dialogs/objects/spacecraft_dialog.h"
#include "dialogs/objects/static_scenery_dialog.h"
#include "scenery/realtext.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using modal_test::answerBox;

namespace {

// A dialog that the action leaves open is closed, so that no test hangs.
template <typename T>
void whenModal(std::function<void(T*)> act) {
    modal_test::whenModal<T>(std::move(act), modal_test::Wait::Shown, true);
}

template <typename T = QLineEdit>
T* control(QWidget* dialog, const char* id) {
    T* c = dialog->findChild<T*>(id);
    if (!c) qWarning("no control %s", id);
    return c;
}

void click(QWidget* dialog, const char* id) { control<QAbstractButton>(dialog, id)->click(); }

// Replaces a field's text as typed.
void type(QWidget* dialog, const char* id, const QString& text) {
    QLineEdit* field = control(dialog, id);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
}

void press(QWidget* target, Qt::Key key) { QTest::keyClick(target, key); }

QString real(double value) { return QString::fromStdString(formatReal(value)); }

double angleBetween(Vec3 a, Vec3 b) {
    const Vec3 u = vecNormalise(a), v = vecNormalise(b);
    return std::acos(std::clamp(u.x * v.x + u.y * v.y + u.z * v.z, -1.0, 1.0));
}

}  // namespace

class ObjectDialogsTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    [[nodiscard]] bool openSolarSystem() { return window_test::openExample(w(), "Solar_system-heliocentric.nbx"); }

    // Opens a modal dialog with `trigger` and hands it to `act`.
    template <typename T>
    [[nodiscard]] bool withModal(std::function<void()> trigger, std::function<void(T*)> act) {
        return modal_test::runModal<T>(trigger, std::move(act));
    }

    [[nodiscard]] bool editor(std::function<void(ObjectEditorDialog*)> act) {
        return withModal<ObjectEditorDialog>([this] { w().onCommand(cmd::ObjectEditor); }, act);
    }

    void randomizer(std::function<void(ObjectRandomizerDialog*)> act) {
        QVERIFY(withModal<ObjectRandomizerDialog>([this] { w().onCommand(cmd::ObjectRandomizer); }, act));
    }

    SpacecraftDialog* spacecraftDialog() {
        press(w().viewWidget(), Qt::Key_F12);
        return SpacecraftDialog::instance();
    }

private slots:
    void init() {
        dialogs::randomizerSettings() = dialogs::RandomizerSettings{};
        QVERIFY(openWindow());
    }

    void cleanup() { closeWindow(); }

    // ---- Object editor ----

    void editorBuildsASceneryFromNothing() {
        QVERIFY(editor([](ObjectEditorDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Object editor"));
            QCOMPARE(control<QComboBox>(d, "1026")->currentText(), QString("Initial scenery configuration"));
            QVERIFY(!control<QComboBox>(d, "1023")->isEnabled());
            QVERIFY(!control<QPushButton>(d, "1025")->isEnabled());
            QVERIFY(!control<QPushButton>(d, "1027")->isEnabled());
            QVERIFY(!control(d, "1017")->isEnabled());
            QVERIFY(control<QPushButton>(d, "1024")->isEnabled());
            QCOMPARE(control(d, "1006")->text(), QString());
            click(d, "1024");  // A&dd object
            QCOMPARE(control<QComboBox>(d, "1023")->currentText(), QString("[1] Object 1"));
            QCOMPARE(control(d, "1017")->text(), QString("Object 1"));
            QCOMPARE(control(d, "1008")->text(), QString("0.e+000"));
            QCOMPARE(control(d, "1014")->text(), QString("255"));
            QVERIFY(control<QPushButton>(d, "1025")->isEnabled());
            QVERIFY(control<QPushButton>(d, "1027")->isEnabled());
            type(d, "1006", "5.9736e24");
            click(d, "1028");  // &OK
        }));
        QCOMPARE(world().INIT_OBJECTS_N, 1);
        QCOMPARE(world().OBJECTS_N, 0);
        QCOMPARE(world().initialObjects[0].name, "Object 1");
        QCOMPARE(world().initialObjects[0].mass, 5.9736e24);
        QVERIFY(world().sceneryModified);
        QVERIFY(w().action(cmd::Reinitialize)->isEnabled());

        // Key E opens it too, at the initial configuration's first object.
        QVERIFY(withModal<ObjectEditorDialog>([this] { press(w().viewWidget(), Qt::Key_E); },
                                              [](ObjectEditorDialog* d) {
                                                  QCOMPARE(d->config(), 0);
                                                  QCOMPARE(control(d, "1017")->text(), QString("Object 1"));
                                                  click(d, "2");
                                              }));
    }

    void editorOpensAtTheObjectOfTheContextMenu() {
        QVERIFY(openSolarSystem());
        w().paintView();
        const render::View& view = w().view();
        int x = -1, y = -1;
        for (int k = world().OBJECTS_N - 1; k >= 0 && x < 0; --k) {
            const render::DrawEntry& e = view.depthOrder[k];
            if (e.visible && e.index > 0 && e.x > 2 && e.y > 2 && e.x < 598 && e.y < 348) x = e.x, y = e.y;
        }
        QVERIFY(x >= 0);
        w().showContextMenu(w().viewWidget()->mapToGlobal(QPoint(x, y)));
        const int selected = world().selectedObject;
        QVERIFY(selected > 0);
        QAction* properties = w().contextMenu()->actions().last();
        QCOMPARE(properties->text(), QString("Object %1 properties...").arg(selected + 1));
        const QString entry = QString("[%1] %2").arg(selected + 1).arg(world().objects[selected].name);
        QVERIFY(withModal<ObjectEditorDialog>([&] { properties->trigger(); },
                                              [&](ObjectEditorDialog* d) {
                                                  QCOMPARE(control<QComboBox>(d, "1026")->currentText(),
                                                           QString("Current scenery configuration"));
                                                  QCOMPARE(control<QComboBox>(d, "1023")->currentText(), entry);
                                                  QCOMPARE(d->object(), selected);
                                                  click(d, "2");
                                              }));
        w().contextMenu()->close();
    }

    void editorAppliesTypedValuesAndRejectsOthers() {
        QVERIFY(openSolarSystem());
        const double x = world().initialObjects[0].x;
        QVERIFY(editor([&](ObjectEditorDialog* d) {
            type(d, "1006", "-5");
            press(control(d, "1006"), Qt::Key_Return);
            QVERIFY(d->isVisible());
            QCOMPARE(d->focusWidget(), control<QWidget>(d, "1028"));
            QVERIFY(control<QPushButton>(d, "1027")->isEnabled());
            type(d, "1008", "1e999");  // out of range: the old value stays
            click(d, "1027");          // &Apply
            QCOMPARE(world().initialObjects[0].mass, 5.0);
            QCOMPARE(world().initialObjects[0].x, x);
            QCOMPARE(control(d, "1006")->text(), QString("5.e+000"));
            QCOMPARE(control(d, "1008")->text(), real(x));
            QVERIFY(!control<QPushButton>(d, "1027")->isEnabled());
            type(d, "1006", "0");  // no mass: disabled
            click(d, "1027");
            QVERIFY(control<QCheckBox>(d, "1088")->isChecked());
            QCOMPARE(world().initialObjects[0].disabled, 1);
            type(d, "1006", "heavy");  // text reads as 0
            click(d, "1027");
            QCOMPARE(world().initialObjects[0].mass, 0.0);
            click(d, "2");
        }));
        QVERIFY(world().sceneryModified);
        QCOMPARE(w().windowTitle(), QString("Solar_system-heliocentric.nbx* - Vantor"));
    }

    void editorFirstEnterConfirmsSecondApplies() {
        QVERIFY(openSolarSystem());
        QVERIFY(editor([](ObjectEditorDialog* d) {
            type(d, "1017", "Sol");
            press(control(d, "1017"), Qt::Key_Return);
            QVERIFY(d->isVisible());
            QVERIFY(d->dirty());
            QCOMPARE(d->focusWidget(), control<QWidget>(d, "1028"));
            press(control<QWidget>(d, "1028"), Qt::Key_Return);
            QVERIFY(!d->isVisible());
        }));
        QCOMPARE(world().initialObjects[0].name, "Sol");
    }

    void editorFirstEscUndoesSecondCloses() {
        QVERIFY(openSolarSystem());
        const double mass = world().initialObjects[0].mass;
        QVERIFY(editor([&](ObjectEditorDialog* d) {
            type(d, "1006", "123");
            type(d, "1017", "typed");
            press(control(d, "1017"), Qt::Key_Escape);
            QVERIFY(d->isVisible());
            QCOMPARE(control(d, "1006")->text(), real(mass));
            QCOMPARE(control(d, "1017")->text(), QString(world().initialObjects[0].name));
            QCOMPARE(d->focusWidget(), control<QWidget>(d, "1028"));
            press(control<QWidget>(d, "1028"), Qt::Key_Escape);
            QVERIFY(!d->isVisible());
        }));
        QCOMPARE(world().initialObjects[0].mass, mass);
        QVERIFY(!world().sceneryModified);
    }

    void editorDeleteAsksFirst() {
        QVERIFY(openSolarSystem());
        const QString secondLast = world().initialObjects[8].name;
        QVERIFY(editor([&](ObjectEditorDialog* d) {
            auto* list = control<QComboBox>(d, "1023");
            list->setCurrentIndex(9);
            QString text, title;
            answerBox(QMessageBox::No, &text, &title);
            click(d, "1025");
            QCOMPARE(text, QString("Are you sure you want to delete this object?"));
            QCOMPARE(title, QString("Delete object"));
            QCOMPARE(list->count(), 10);
            answerBox(QMessageBox::Yes);
            click(d, "1025");
            QCOMPARE(list->count(), 9);
            QCOMPARE(list->currentIndex(), 8);  // the new last object
            QCOMPARE(control(d, "1017")->text(), secondLast);
            click(d, "1028");
        }));
        QCOMPARE(world().INIT_OBJECTS_N, 9);
        QCOMPARE(world().OBJECTS_N, 10);
    }

    void editorCancelKeepsWhatWasApplied() {
        QVERIFY(openSolarSystem());
        QVERIFY(editor([](ObjectEditorDialog* d) {
            type(d, "1009", "42");
            click(d, "1027");
            type(d, "1010", "43");
            click(d, "2");
        }));
        QCOMPARE(world().initialObjects[0].y, 42.0);
        QVERIFY(world().initialObjects[0].z != 43.0);
    }

    void editorEnablingFollowsConfigurationAndBoxes() {
        QVERIFY(openSolarSystem());
        QVERIFY(editor([](ObjectEditorDialog* d) {
            auto* name = control(d, "1017");
            auto* red = control(d, "1014");
            auto* mass = control(d, "1006");
            auto* disabled = control<QCheckBox>(d, "1088");
            auto* visible = control<QCheckBox>(d, "1089");
            QVERIFY(name->isEnabled() && red->isEnabled() && mass->isEnabled());
            QVERIFY(!visible->isEnabled());
            control<QComboBox>(d, "1026")->setCurrentIndex(1);
            QCOMPARE(d->config(), 1);
            QVERIFY(!name->isEnabled() && !red->isEnabled() && mass->isEnabled());
            disabled->click();
            QVERIFY(visible->isEnabled());
            QVERIFY(!name->isEnabled() && !mass->isEnabled());
            visible->click();
            QVERIFY(name->isEnabled() && red->isEnabled() && mass->isEnabled());
            QVERIFY(control<QPushButton>(d, "1027")->isEnabled());
            click(d, "1027");
            click(d, "2");
        }));
        QCOMPARE(world().objects[0].disabled, 2);
        QCOMPARE(world().initialObjects[0].disabled, 0);
    }

    void editorHoldsARunningSimulation() {
        QVERIFY(openSolarSystem());
        w().setRunning(1);
        QTRY_VERIFY(world().SIMULATION_TIME > 0);
        QVERIFY(editor([this](ObjectEditorDialog* d) {
            QVERIFY(!world().simulationRunning);
            const double time = world().SIMULATION_TIME;
            QTest::qWait(50);
            QCOMPARE(world().SIMULATION_TIME, time);
            click(d, "2");
        }));
        QVERIFY(world().simulationRunning);
        w().setRunning(0);
    }

    // ---- Object randomizer ----

    void randomizerCreatesObjectsFromMenuAndKey() {
        randomizer([](ObjectRandomizerDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Object Randomizer"));
            QCOMPARE(control(d, "1014")->text(), QString("255"));  // white at the first opening
            QCOMPARE(control(d, "1031")->text(), QString("0"));
            QVERIFY(!control<QComboBox>(d, "1027")->isEnabled());
            type(d, "1031", "3");
            type(d, "1029", "1e30");
            QString text, title;
            answerBox(QMessageBox::Ok, &text, &title);
            click(d, "1028");  // &GO!
            QCOMPARE(text, QString("Successfully created 3 objects"));
            QCOMPARE(title, QString("Object Randomizer"));
            QVERIFY(d->isVisible());
            click(d, "2");
        });
        QCOMPARE(world().INIT_OBJECTS_N, 3);
        QCOMPARE(world().initialObjects[2].name, "Object 3");
        QVERIFY(world().initialObjects[2].mass <= 1e30);
        QVERIFY(world().sceneryModified);

        // Key R, into the current configuration; one object.
        QVERIFY(withModal<ObjectRandomizerDialog>([this] { press(w().viewWidget(), Qt::Key_R); },
                                                  [](ObjectRandomizerDialog* d) {
                                                      QCOMPARE(control(d, "1031")->text(), QString("3"));  // kept
                                                      control<QComboBox>(d, "1026")->setCurrentIndex(1);
                                                      type(d, "1031", "1");
                                                      QString text;
                                                      answerBox(QMessageBox::Ok, &text);
                                                      click(d, "1028");
                                                      QCOMPARE(text, QString("Successfully created 1 object"));
                                                      click(d, "2");
                                                  }));
        QCOMPARE(world().OBJECTS_N, 1);
        QVERIFY(w().action(cmd::StartPause)->isEnabled());
    }

    void randomizerEnterAndEsc() {
        randomizer([](ObjectRandomizerDialog* d) {
            type(d, "1008", "1000");
            press(control(d, "1008"), Qt::Key_Return);  // first Enter: the stored form
            QVERIFY(d->isVisible());
            QCOMPARE(control(d, "1008")->text(), QString("1.e+003"));
            QCOMPARE(d->focusWidget(), control<QWidget>(d, "1028"));
            type(d, "1031", "2");
            press(control(d, "1031"), Qt::Key_Return);
            QString text;
            answerBox(QMessageBox::Ok, &text);
            press(control<QWidget>(d, "1028"), Qt::Key_Return);  // second Enter: GO
            QCOMPARE(text, QString("Successfully created 2 objects"));
            type(d, "1020", "77");
            press(control(d, "1020"), Qt::Key_Escape);  // first Esc: the stored settings
            QVERIFY(d->isVisible());
            QCOMPARE(control(d, "1020")->text(), QString("0.e+000"));
            press(control<QWidget>(d, "1028"), Qt::Key_Escape);  // second Esc: closes
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(world().INIT_OBJECTS_N, 2);
        for (int i = 0; i < 2; ++i) {  // from 1000 to 0: between them
            QVERIFY(world().initialObjects[i].x >= 0);
            QVERIFY(world().initialObjects[i].x <= 1000);
        }
        randomizer([](ObjectRandomizerDialog* d) {
            QCOMPARE(control(d, "1008")->text(), QString("1.e+003"));  // the settings stayed
            click(d, "2");
        });
    }

    void randomizerRejectsAndAsksBeforeOverwriting() {
        QVERIFY(openSolarSystem());
        randomizer([](ObjectRandomizerDialog* d) {
            type(d, "1031", "many");  // not a number: nothing to create
            QString text;
            answerBox(QMessageBox::Ok, &text);
            click(d, "1028");
            QCOMPARE(text, QString("No objects were created"));
            QCOMPARE(control(d, "1031")->text(), QString("0"));

            type(d, "1031", "5");
            click(d, "1055");
            auto* start = control<QComboBox>(d, "1027");
            QVERIFY(start->isEnabled());
            QCOMPARE(start->count(), 10);
            start->setCurrentIndex(8);
            QString question, result;
            whenModal<QMessageBox>([&](QMessageBox* box) {
                question = box->text();
                answerBox(QMessageBox::Ok, &result);
                box->button(QMessageBox::No)->click();
            });
            click(d, "1028");
            QCOMPARE(question, QString("Are you sure you want to overwrite existing objects?"));
            QCOMPARE(result, QString("No objects were created"));
            whenModal<QMessageBox>([&](QMessageBox* box) {
                answerBox(QMessageBox::Ok, &result);
                box->button(QMessageBox::Yes)->click();
            });
            click(d, "1028");
            QCOMPARE(result, QString("Successfully created 5 objects"));
            click(d, "2");
        });
        QCOMPARE(world().INIT_OBJECTS_N, 13);  // objects 9 and 10 replaced, three more
        QCOMPARE(world().initialObjects[8].name, "Object 9");
        QCOMPARE(world().initialObjects[8].mass, 0.0);
        QVERIFY(world().initialObjects[7].mass > 0);
    }

    // ---- Static scenery ----

    void staticSceneryFromF5() {
        QVERIFY(withModal<StaticSceneryDialog>([this] { press(w().viewWidget(), Qt::Key_F5); },
                                               [](StaticSceneryDialog* d) {
                                                   QCOMPARE(d->windowTitle(), QString("Static scenery"));
                                                   auto* field = control(d, "1099");
                                                   QCOMPARE(field->text(), QString("0"));
                                                   QVERIFY(field->hasSelectedText());
                                                   type(d, "1099", "250000");
                                                   press(field, Qt::Key_Return);  // first Enter: focus to OK
                                                   QVERIFY(d->isVisible());
                                                   press(d->focusWidget(), Qt::Key_Return);
                                                   QVERIFY(!d->isVisible());
                                               }));
        QCOMPARE(world().STATIC_SCENERY_OBJECTS_N, 100000);
        QCOMPARE(world().DISPLAY_STATIC_SCENERY, 1);
        QVERIFY(world().sceneryModified);
        QVERIFY(w().action(cmd::StaticScenery)->isChecked());
        const render::StaticPoint& p = w().view().staticPoints[99999];
        QVERIFY(std::fabs(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z) / 1e80 - 1) < 1e-9);

        // F5 again only switches the display off.
        press(w().viewWidget(), Qt::Key_F5);
        QCOMPARE(world().DISPLAY_STATIC_SCENERY, 0);
    }

    void staticSceneryDialogDefaultEscAndRejects() {
        QVERIFY(withModal<StaticSceneryDialog>([this] { w().onCommand(cmd::StaticSceneryDialog); },
                                               [](StaticSceneryDialog* d) {
                                                   click(d, "3");  // &Default
                                                   QCOMPARE(control(d, "1099")->text(), QString("10000"));
                                                   click(d, "2");
                                               }));
        QCOMPARE(world().STATIC_SCENERY_OBJECTS_N, 0);
        QVERIFY(withModal<StaticSceneryDialog>([this] { w().onCommand(cmd::StaticSceneryDialog); },
                                               [](StaticSceneryDialog* d) {
                                                   auto* field = control(d, "1099");
                                                   type(d, "1099", "777");
                                                   press(field, Qt::Key_Escape);  // first Esc: the typing undone
                                                   QVERIFY(d->isVisible());
                                                   QCOMPARE(field->text(), QString("0"));
                                                   press(d->focusWidget(), Qt::Key_Escape);
                                                   QVERIFY(!d->isVisible());
                                               }));
        QCOMPARE(world().STATIC_SCENERY_OBJECTS_N, 0);
        QVERIFY(withModal<StaticSceneryDialog>([this] { w().onCommand(cmd::StaticSceneryDialog); },
                                               [](StaticSceneryDialog* d) {
                                                   type(d, "1099", "-5");
                                                   click(d, "1");
                                               }));
        QCOMPARE(world().STATIC_SCENERY_OBJECTS_N, 0);
        QCOMPARE(world().DISPLAY_STATIC_SCENERY, 0);
        QVERIFY(!world().sceneryModified);
    }

    // ---- Spacecraft ----

    void spacecraftCannotEngageAfterNew() {
        SpacecraftDialog* d = spacecraftDialog();
        QVERIFY(d);
        QVERIFY(d->isVisible());
        QCOMPARE(d->windowTitle(), QString("Spacecraft"));
        w().onCommand(cmd::Spacecraft);  // one instance
        QCOMPARE(SpacecraftDialog::instance(), d);
        QString text, title;
        answerBox(QMessageBox::Ok, &text, &title);
        click(d, "engage");
        QCOMPARE(text, QString("Spacecraft could not be engaged!"));
        QCOMPARE(title, QString("Spacecraft"));
        QVERIFY(d->isVisible());
        QCOMPARE(world().SPACECRAFT_MODE, 0);
    }

    void spacecraftSpawnEngageAndFly() {
        SpacecraftDialog* d = spacecraftDialog();
        QVERIFY(d);
        QString edited;
        whenModal<ObjectEditorDialog>([&](ObjectEditorDialog* e) {
            QCOMPARE(e->config(), 1);
            edited = control<QComboBox>(e, "1023")->currentText();
            click(e, "1028");
        });
        click(d, "spawn");
        QVERIFY(!QTest::currentTestFailed());  // a check inside the dialog
        QCOMPARE(edited, QString("[1] Survey Vessel of Captain Orlo"));
        QCOMPARE(world().OBJECTS_N, 1);
        QCOMPARE(world().INIT_OBJECTS_N, 0);
        QCOMPARE(control<QComboBox>(d, "spacecraftObject")->currentText(), edited);
        QVERIFY(std::fabs(world().SPACECRAFT_THRUST_FORCE_MAX / 2.1039e12 - 1) < 1e-4);
        QCOMPARE(control(d, "thrustMax")->text(), real(world().SPACECRAFT_THRUST_FORCE_MAX));
        const QPointer<SpacecraftDialog> dialogOpen(d);
        click(d, "engage");
        QTRY_VERIFY(!SpacecraftDialog::instance() && !dialogOpen);  // closed, and deleted
        QCOMPARE(world().SPACECRAFT_MODE, 1);
        QVERIFY(std::fabs(world().SPACECRAFT_THRUST_FORCE - 4976) < 1);

        // The keys of the view.
        const double max = world().SPACECRAFT_THRUST_FORCE_MAX, engaged = world().SPACECRAFT_THRUST_FORCE;
        const ObjectRecord& craft = world().objects[0];
        QWidget* view = w().viewWidget();
        press(view, Qt::Key_PageUp);
        QCOMPARE(craft.vz, -1.0);
        press(view, Qt::Key_PageDown);  // below 1 m/s: 1 m/s backward
        QCOMPARE(craft.vz, 1.0);
        press(view, Qt::Key_PageDown);
        QCOMPARE(craft.vz, 1.15);
        press(view, Qt::Key_End);
        QCOMPARE(craft.vz, 0.0);
        press(view, Qt::Key_Insert);
        QVERIFY(std::fabs(world().SPACECRAFT_THRUST_FORCE / engaged - 1.764) < 0.001);
        press(view, Qt::Key_Delete);
        QVERIFY(std::fabs(world().SPACECRAFT_THRUST_FORCE / engaged - 1) < 1e-9);
        press(view, Qt::Key_Home);
        QCOMPARE(world().SPACECRAFT_THRUST_FORCE, max);
        press(view, Qt::Key_Up);  // steering turns the heading with the view
        QVERIFY(world().SPACECRAFT_DIRECTION_Y != 0);
        press(view, Qt::Key_F12);
        QCOMPARE(world().SPACECRAFT_MODE, 0);
        press(view, Qt::Key_PageUp);  // outside the mode: nothing
        QCOMPARE(craft.vz, 0.0);
    }

    void spacecraftFieldEnterEscAndTrackingChoices() {
        QVERIFY(openSolarSystem());
        SpacecraftDialog* d = spacecraftDialog();
        QVERIFY(d);
        auto* craftList = control<QComboBox>(d, "spacecraftObject");
        QCOMPARE(craftList->count(), 10);
        craftList->setCurrentIndex(3);
        QCOMPARE(world().SPACECRAFT_OBJECT, 3);
        const double defaultMax =
            world().objects[3].mass * 296794533.42 / (std::sqrt(0.0199) * world().SIMULATION_TIME_STEP);
        QVERIFY(std::fabs(world().SPACECRAFT_THRUST_FORCE_MAX / defaultMax - 1) < 1e-12);

        auto* field = control(d, "thrustMax");
        type(d, "thrustMax", "1e999");  // out of range: rejected
        press(field, Qt::Key_Return);
        QVERIFY(d->isVisible());
        QCOMPARE(d->focusWidget(), control<QWidget>(d, "engage"));
        QVERIFY(std::fabs(world().SPACECRAFT_THRUST_FORCE_MAX / defaultMax - 1) < 1e-12);
        type(d, "thrustMax", "-5e6");  // applied as its absolute value
        press(field, Qt::Key_Return);
        QCOMPARE(world().SPACECRAFT_THRUST_FORCE_MAX, 5e6);
        QCOMPARE(field->text(), QString("5.e+006"));
        type(d, "thrustMax", "7");
        press(field, Qt::Key_Escape);  // first Esc: the typing undone
        QVERIFY(d->isVisible());
        QCOMPARE(field->text(), QString("5.e+006"));
        QCOMPARE(world().SPACECRAFT_THRUST_FORCE_MAX, 5e6);

        auto* mode = control<QComboBox>(d, "trackingMode");
        auto* tracked = control<QComboBox>(d, "trackingObject");
        auto* autotracking = control<QCheckBox>(d, "autotracking");
        const struct {
            int mode;
            bool list, box;
        } enabling[] = {{0, false, false}, {1, false, true}, {2, true, true}};
        for (const auto& e : enabling) {
            mode->setCurrentIndex(e.mode);
            QCOMPARE(world().SPACECRAFT_TRACKING_MODE, e.mode);
            QCOMPARE(tracked->isEnabled(), e.list);
            QCOMPARE(autotracking->isEnabled(), e.box);
        }
        tracked->setCurrentIndex(0);
        QCOMPARE(world().SPACECRAFT_TRACKING_OBJECT, 0);
        autotracking->click();
        QCOMPARE(world().SPACECRAFT_AUTOTRACKING, 1);

        const QPointer<SpacecraftDialog> closing(d);
        press(control<QWidget>(d, "engage"), Qt::Key_Escape);  // second Esc: closes
        QTRY_VERIFY(!SpacecraftDialog::instance() && !closing);
        QCOMPARE(world().SPACECRAFT_MODE, 0);
    }

    void spacecraftDialogFollowsARunningSimulation() {
        QVERIFY(openSolarSystem());
        World& wd = world();
        SpacecraftDialog* d = spacecraftDialog();
        QVERIFY(d);
        control<QComboBox>(d, "spacecraftObject")->setCurrentIndex(3);
        control<QComboBox>(d, "trackingMode")->setCurrentIndex(2);
        control<QComboBox>(d, "trackingObject")->setCurrentIndex(0);
        control<QCheckBox>(d, "autotracking")->click();
        const QPointer<SpacecraftDialog> engaged(d);
        press(d, Qt::Key_Return);  // Enter on the dialog itself: engage
        QTRY_VERIFY(!SpacecraftDialog::instance() && !engaged);
        QCOMPARE(wd.SPACECRAFT_MODE, 1);

        // The menu opens the dialog in spacecraft mode too; it follows the run.
        w().onCommand(cmd::Spacecraft);
        d = SpacecraftDialog::instance();
        QVERIFY(d);
        auto* autotracking = control<QCheckBox>(d, "autotracking");
        QVERIFY(autotracking->isChecked());
        w().setRunning(1);
        auto toSun = [&] {
            const ObjectRecord& craft = wd.objects[3];
            const ObjectRecord& sun = wd.objects[0];
            return angleBetween({wd.SPACECRAFT_DIRECTION_X, wd.SPACECRAFT_DIRECTION_Y, wd.SPACECRAFT_DIRECTION_Z},
                                {sun.x - craft.x, sun.y - craft.y, sun.z - craft.z});
        };
        QTRY_VERIFY_WITH_TIMEOUT(toSun() < 1e-3, 10000);  // auto-tracking after every batch
        press(w().viewWidget(), Qt::Key_ScrollLock);
        QCOMPARE(wd.SPACECRAFT_AUTOTRACKING, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!autotracking->isChecked(), 10000);
        w().setRunning(0);
    }
};

QTEST_MAIN(ObjectDialogsTest)
#include "object_dialogs_test.moc"
