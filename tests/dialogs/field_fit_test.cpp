// The dialogs' number fields looked at as a person would, at the size the
// dialogs open at: a full-precision value shows whole, minus sign and
// exponent included; a text too long for its field shows its start; and a
// read-only field looks read-only while its text can still be selected.
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "dialogs/common/field_fit.h"
#include "dialogs/objects/object_editor.h"
#include "dialogs/objects/object_randomizer.h"
#include "dialogs/objects/randomizer_model.h"
#include "dialogs/settings/autosave_autostop_dialogs.h"
#include "dialogs/settings/scenery_info_about_dialogs.h"
#include "dialogs/settings/viewpoint_origin_dialogs.h"
#include "scenery/realtext.h"
#include "tests/support/qt/field_test_support.h"
#include "tests/support/qt/settings_test_support.h"

using namespace vantor;
using field_test::showsStart;
using field_test::showsWhole;
using settings_test::typeInto;
using settings_test::waitActive;

namespace {

// Values whose text has all 17 digits: 24 characters when negative.
constexpr double kFar = -4.2212841124895798e10, kFast = -7.7294228949858018e15, kTiny = -1.2345678901234567e-300;

QString real(double value) { return QString::fromStdString(formatReal(value)); }

QWidget* field(QWidget* dialog, const QString& id) {
    QWidget* f = dialog->findChild<QWidget*>(id);
    if (!f) qWarning("no field %s", qPrintable(id));
    return f;
}

// Every field of `ids` shows its whole text; the message names the first
// that does not.
QString firstCutOff(QWidget* dialog, const QStringList& ids) {
    for (const QString& id : ids) {
        QWidget* f = field(dialog, id);
        if (!f || !showsWhole(f)) return id + ": " + (f ? settings_test::text(f) : QString("missing"));
    }
    return {};
}

QStringList idsFrom(int first, int last) {
    QStringList ids;
    for (int id = first; id <= last; ++id) ids << QString::number(id);
    return ids;
}

// The colour behind the text, from what the field draws: at the left inner
// edge of a right-aligned or short text, at the bottom right of a page.
QColor backgroundOf(QWidget* f) {
    if (auto* page = qobject_cast<QPlainTextEdit*>(f)) {
        const QImage image = page->viewport()->grab().toImage();
        return image.pixelColor(image.width() - 3, image.height() - 3);
    }
    QLineEdit* edit = settings_test::editOf(f);
    const QImage image = edit->grab().toImage();
    return image.pixelColor(edit->hasFrame() ? 3 : 1, image.height() / 2);
}

bool looksReadOnly(QWidget* f) { return backgroundOf(f) == f->window()->palette().color(QPalette::Window); }

// A person can still select a read-only text: a double click takes a word.
bool selectable(QWidget* f) {
    if (auto* page = qobject_cast<QPlainTextEdit*>(f)) {
        QTest::mouseDClick(page->viewport(), Qt::LeftButton, {}, QPoint(8, 8));
        return page->textCursor().hasSelection();
    }
    QLineEdit* edit = settings_test::editOf(f);
    edit->deselect();
    QTest::mouseDClick(edit, Qt::LeftButton, {}, QPoint(edit->width() / 2, edit->height() / 2));
    return edit->hasSelectedText();
}

}  // namespace

class FieldFitTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    // Opens a modal dialog by `command` and hands it to `act`; the dialog is
    // closed afterwards.
    template <typename T>
    [[nodiscard]] bool withModal(int command, std::function<void(T*)> act) {
        return modal_test::runModal<T>([&] { w().onCommand(command); },
                                       [act](T* dialog) {
                                           act(dialog);
                                           dialog->reject();
                                       },
                                       modal_test::Wait::Active, true);
    }

    template <typename D>
    D* openModeless(int command) {
        w().onCommand(command);
        auto* dialog = w().findChild<D*>();
        return waitActive(dialog) ? dialog : nullptr;
    }

    // Mercury (object 2) far out on the negative side, in both tables.
    [[nodiscard]] bool placeMercury() {
        return window_test::passes([&] {
            QVERIFY(settings_test::openExample(w(), "Solar_system-heliocentric.nbx"));
            for (ObjectRecord* o : {&world().initialObjects[1], &world().objects[1]}) {
                o->x = kFar;
                o->y = kTiny;
                o->vx = kFast;
                o->vz = -7.7294228949858018;
            }
        });
    }

private slots:
    void init() {
        dialogs::randomizerSettings() = dialogs::RandomizerSettings{};
        QVERIFY(openWindow(Fitted | Centred | Active));
    }

    void cleanup() { closeWindow(); }

    void editorShowsNegativeNumbersWhole() {
        QVERIFY(placeMercury());
        world().selectedObject = 1;  // as from the context menu on Mercury
        QString cutOff = "not looked at", x;
        QVERIFY(withModal<ObjectEditorDialog>(cmd::ObjectEditor, [&](ObjectEditorDialog* dialog) {
            x = settings_test::text(field(dialog, "1008"));
            cutOff = firstCutOff(dialog, idsFrom(1006, 1013));
        }));
        QCOMPARE(x, real(kFar));
        QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff));
    }

    // Typing a text longer than any number and leaving the field: it shows
    // where the text starts.
    void editorTypingLeftShowsItsStart() {
        QVERIFY(placeMercury());
        const QString typed = "-1" + QString(60, '7');
        bool start = false, whole = true;
        QVERIFY(withModal<ObjectEditorDialog>(cmd::ObjectEditor, [&](ObjectEditorDialog* dialog) {
            QWidget* x = field(dialog, "1008");
            typeInto(x, typed);
            QTest::keyClick(x, Qt::Key_Tab);
            start = showsStart(x);
            whole = showsWhole(x);
        }));
        QVERIFY(!whole);  // too long for any field
        QVERIFY(start);
    }

    // A field destroyed while it has the focus (a dialog closed from the
    // keyboard) gets its focus-out from QWidget's destructor: homing the
    // cursor then must not touch the half-destroyed line edit (the
    // undefined-behaviour sanitizer catches that).
    void fieldDestroyedWithTheFocusIsLeftAlone() {
        auto* edit = new QLineEdit(real(kFar), &w());
        showStartOf(edit);
        edit->show();
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        delete edit;
        QVERIFY(QApplication::focusWidget() != edit);
    }

    void randomizerShowsBoundsWhole() {
        dialogs::RandomizerSettings& s = dialogs::randomizerSettings();
        for (double* bound :
             {&s.low.x, &s.low.y, &s.low.z, &s.low.vx, &s.low.vy, &s.low.vz, &s.low.mass, &s.low.radius})
            *bound = kFar;
        for (double* bound :
             {&s.high.x, &s.high.y, &s.high.z, &s.high.vx, &s.high.vy, &s.high.vz, &s.high.mass, &s.high.radius})
            *bound = kFast;
        QString cutOff = "not looked at";
        QVERIFY(withModal<ObjectRandomizerDialog>(cmd::ObjectRandomizer, [&](ObjectRandomizerDialog* dialog) {
            cutOff = firstCutOff(dialog, idsFrom(1006, 1013) + idsFrom(1020, 1025) + QStringList{"1029", "1030"});
        }));
        QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff));
    }

    void oneValueDialogsShowTheirValueWhole_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("id");
        QTest::newRow("time step") << int(cmd::TimeStep) << "1001";
        QTest::newRow("rotating step") << int(cmd::RotatingStep) << "1087";
        QTest::newRow("field of view") << int(cmd::FieldOfView) << "1094";
    }

    void oneValueDialogsShowTheirValueWhole() {
        QFETCH(int, command);
        QFETCH(QString, id);
        world().INIT_SIMULATION_TIME_STEP = 1e10 / 3;
        world().VIEW_ROTATING_STEP = 0.22 * 1.1;
        world().VIEWPOINT_FOV = 100.0 / 3;
        QString shown, cutOff = "not looked at";
        QVERIFY(withModal<QDialog>(command, [&](QDialog* dialog) {
            shown = settings_test::text(field(dialog, id));
            cutOff = firstCutOff(dialog, {id});
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        }));
        QCOMPARE(shown.size(), 23);
        QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff));
    }

    void viewDialogsShowNegativeNumbersWhole() {
        world().VIEWPOINT_MODE = 2;
        world().VIEWPOINT_POSITION_X = kFar;
        world().VIEWPOINT_POSITION_Y = kFast;
        world().VIEWPOINT_POSITION_Z = kTiny;
        auto* viewpoint = openModeless<ViewpointDialog>(cmd::Viewpoint);
        QVERIFY(viewpoint);
        QCOMPARE(settings_test::text(field(viewpoint, "1008")), real(kFar));
        const QString viewpointCut = firstCutOff(viewpoint, {"1014", "1041", "1042", "1043", "1008", "1009", "1010"});
        QVERIFY2(viewpointCut.isEmpty(), qPrintable(viewpointCut));
        viewpoint->close();

        world().ORIGIN_MODE = 2;
        for (double* v : {&world().ORIGIN_POSITION_X, &world().ORIGIN_POSITION_Y, &world().ORIGIN_POSITION_Z,
                          &world().ORIGIN_OFFSET_X, &world().ORIGIN_OFFSET_Y, &world().ORIGIN_OFFSET_Z})
            *v = kFast;
        auto* origin = openModeless<OriginDialog>(cmd::Origin);
        QVERIFY(origin);
        const QString originCut = firstCutOff(origin, {"1008", "1009", "1010", "1011", "1012", "1013"});
        QVERIFY2(originCut.isEmpty(), qPrintable(originCut));
        origin->close();
    }

    void aboutShowsItsFieldsWhole() {
        QString cutOff = "not looked at";
        QVERIFY(withModal<AboutDialog>(cmd::About, [&](AboutDialog* dialog) {
            cutOff = firstCutOff(dialog, {"1063", "1064", "1065"});
        }));
        QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff));
    }

    // A million millennia, and nine digits typed into any unit field.
    void periodFieldsShowTheirDigitsWhole() {
        world().AUTOSTOP_ST_PERIOD = 1e6 * 31'536'000'000.0;
        auto* dialog = openModeless<AutostopDialog>(cmd::AutoStop);
        QVERIFY(dialog);
        QCOMPARE(settings_test::text(field(dialog, "stMils")), QString("1000000"));
        QVERIFY(showsWhole(field(dialog, "stMils")));
        dialog->findChild<QCheckBox*>("simulatedTime")->click();
        QWidget* seconds = field(dialog, "stSeconds");
        typeInto(seconds, "987654321");
        QCOMPARE(settings_test::text(seconds), QString("987654321"));
        QVERIFY(showsWhole(seconds));
        dialog->close();
    }

    // Mode 1 follows an object: every number shows but none can be typed.
    void viewpointReadOnlyFieldsLookIt() {
        QVERIFY(settings_test::openExample(w(), "Solar_system-heliocentric.nbx"));
        world().VIEWPOINT_MODE = 1;
        world().VIEWPOINT_OBJECT = 2;
        auto* dialog = openModeless<ViewpointDialog>(cmd::Viewpoint);
        QVERIFY(dialog);
        const QStringList all = {"1014", "1041", "1042", "1043", "1008", "1009", "1010"};
        for (const QString& id : all) {
            QVERIFY2(looksReadOnly(field(dialog, id)), qPrintable(id));
            QVERIFY2(selectable(field(dialog, id)), qPrintable(id));
        }
        dialog->modeList()->setCurrentIndex(0);  // distance and angles editable again
        for (const QString& id : all) {
            const bool editable = !QStringList{"1008", "1009", "1010"}.contains(id);
            QVERIFY2(looksReadOnly(field(dialog, id)) != editable, qPrintable(id));
        }
        dialog->close();
    }

    void sceneryInfoLooksReadOnlyUntilEditingIsOn() {
        QVERIFY(settings_test::openExample(w(), "Solar_system-heliocentric.nbx"));
        auto* dialog = openModeless<SceneryInfoDialog>(cmd::SceneryInfo);
        QVERIFY(dialog);
        QWidget* name = field(dialog, "1017");
        QWidget* description = field(dialog, "1092");
        for (QWidget* f : {name, description}) {
            QVERIFY2(looksReadOnly(f), qPrintable(f->objectName()));
            QVERIFY2(selectable(f), qPrintable(f->objectName()));
        }
        dialog->findChild<QCheckBox*>("1093")->click();
        for (QWidget* f : {name, description}) QVERIFY2(!looksReadOnly(f), qPrintable(f->objectName()));
        dialog->close();
    }
};

QTEST_MAIN(FieldFitTest)
#include "field_fit_test.moc"
