// The object editor and the randomizer as a person meets them: the focus
// after "&Apply", the order of Tab, and the status line's word when the new
// objects went into the initial configuration, where the view does not show
// them.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/dialogs.h"
#include "dialogs/objects/object_editor.h"
#include "dialogs/objects/object_randomizer.h"
#include "dialogs/objects/randomizer_model.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using modal_test::answerBox;

namespace {

template <typename T = QLineEdit>
T* control(QWidget* dialog, const char* id) {
    T* c = dialog->findChild<T*>(id);
    if (!c) qWarning("no control %s", id);
    return c;
}

// Replaces a field's text as typed.
void type(QWidget* dialog, const char* id, const QString& text) {
    QLineEdit* field = control(dialog, id);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
}

// Presses a key where the keyboard is.
void pressOnFocus(QWidget* dialog, Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : dialog, key);
}

}  // namespace

class ObjectEditorUsabilityTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    // Runs the modal dialog that `trigger` opens, acting on it once it has
    // the keyboard; a dialog the action leaves open is closed.
    template <typename T>
    [[nodiscard]] bool withModal(const std::function<void()>& trigger, std::function<void(T*)> act) {
        return modal_test::runModal<T>(trigger, std::move(act), modal_test::Wait::Active, true);
    }

    [[nodiscard]] bool openEditor(std::function<void(ObjectEditorDialog*)> act) {
        return withModal<ObjectEditorDialog>([this] { QTest::keyClick(w().viewWidget(), Qt::Key_E); }, std::move(act));
    }

    QString statusText() const { return window->statusPart(0)->text(); }

private slots:
    void init() {
        dialogs::randomizerSettings() = dialogs::RandomizerSettings{};
        QVERIFY(openWindow(Fitted | Active));
    }

    void cleanup() { closeWindow(); }

    // "&Apply" turns itself off once applied; the focus must not fall to
    // "A&dd object", where the next Enter would add an empty object.
    void enterAfterApplyDoesNotAddAnObject_data() {
        QTest::addColumn<bool>("byMouse");
        QTest::newRow("Apply clicked") << true;
        QTest::newRow("Alt+A") << false;
    }

    void enterAfterApplyDoesNotAddAnObject() {
        QFETCH(bool, byMouse);
        QCOMPARE(w().openScenery(110, "heliocentric", false), 6);
        const int initial = world().INIT_OBJECTS_N;
        const int current = world().OBJECTS_N;
        QVERIFY(openEditor([byMouse](ObjectEditorDialog* d) {
            type(d, "1006", "7e30");
            auto* apply = control<QAbstractButton>(d, "1027");
            QVERIFY(apply->isEnabled());
            if (byMouse) {
                QTest::mouseClick(apply, Qt::LeftButton);
            } else {
                QTest::keyClick(d, Qt::Key_A, Qt::AltModifier);
                QTRY_VERIFY(!apply->isEnabled());
            }
            QVERIFY(!apply->isEnabled());
            QCOMPARE(QApplication::focusWidget(), control<QWidget>(d, "1028"));
            pressOnFocus(d, Qt::Key_Return);  // "&OK": applies again and closes
            QVERIFY(!d->isVisible());
        }));
        QCOMPARE(world().INIT_OBJECTS_N, initial);
        QCOMPARE(world().OBJECTS_N, current);
        QCOMPARE(world().initialObjects[0].mass, 7e30);
    }

    void tabFollowsTheLayoutRowByRow() {
        QCOMPARE(w().openScenery(110, "heliocentric", false), 6);
        QVERIFY(openEditor([](ObjectEditorDialog* d) {
            // Both boxes checked: every control takes part (and "&Apply" too).
            control<QCheckBox>(d, "1088")->click();
            control<QCheckBox>(d, "1089")->click();
            const QStringList expected = {"1026", "1023", "1017", "1008", "1009", "1010", "1011",
                                          "1012", "1013", "1006", "1007", "1014", "1015", "1016",
                                          "1088", "1089", "1027", "1024", "1025", "1028", "2"};
            control<QWidget>(d, "1026")->setFocus();
            QStringList visited = {QApplication::focusWidget()->objectName()};
            for (int k = 1; k < expected.size(); ++k) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                visited << QApplication::focusWidget()->objectName();
            }
            QCOMPARE(visited, expected);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // round again
            QCOMPARE(QApplication::focusWidget()->objectName(), expected.first());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            QCOMPARE(QApplication::focusWidget()->objectName(), expected.last());
            control<QAbstractButton>(d, "2")->click();
        }));
    }

    // The view shows the current configuration: objects made for the initial
    // one alone leave it empty, and the status line says how to get them.
    void objectsOfTheInitialConfigurationAlonePointToReinitialize_data() {
        QTest::addColumn<bool>("editor");
        QTest::addColumn<int>("config");
        QTest::addColumn<bool>("pointed");
        QTest::newRow("editor, initial") << true << 0 << true;
        QTest::newRow("editor, current") << true << 1 << false;
        QTest::newRow("randomizer, initial") << false << 0 << true;
        QTest::newRow("randomizer, current") << false << 1 << false;
    }

    void objectsOfTheInitialConfigurationAlonePointToReinitialize() {
        QFETCH(bool, editor);
        QFETCH(int, config);
        QFETCH(bool, pointed);
        const QString before = statusText();
        if (editor) {
            QVERIFY(openEditor([config](ObjectEditorDialog* d) {
                control<QComboBox>(d, "1026")->setCurrentIndex(config);
                control<QAbstractButton>(d, "1024")->click();  // A&dd object
                type(d, "1006", "1e20");
                control<QAbstractButton>(d, "1028")->click();
            }));
        } else {
            QVERIFY(withModal<ObjectRandomizerDialog>([this] { QTest::keyClick(w().viewWidget(), Qt::Key_R); },
                                                      [config](ObjectRandomizerDialog* d) {
                                                          control<QComboBox>(d, "1026")->setCurrentIndex(config);
                                                          type(d, "1031", "50");
                                                          answerBox(QMessageBox::Ok);
                                                          control<QAbstractButton>(d, "1028")->click();  // &GO!
                                                          control<QAbstractButton>(d, "2")->click();
                                                      }));
        }
        QCOMPARE(world().INIT_OBJECTS_N, config == 0 ? (editor ? 1 : 50) : 0);
        QCOMPARE(world().OBJECTS_N, config == 1 ? (editor ? 1 : 50) : 0);
        QCOMPARE(statusText(), pointed ? QString(dialogs::INITIAL_ONLY_TEXT) : before);
        if (!pointed) return;
        QVERIFY(QString(dialogs::INITIAL_ONLY_TEXT).contains("Reinitialize simulation"));  // the command's name
        QLabel* part = w().statusPart(0);
        QVERIFY(part->fontMetrics().horizontalAdvance(statusText()) <= part->contentsRect().width());  // whole
        QVERIFY(w().action(cmd::Reinitialize)->isEnabled());

        // Following the word: the objects are in view, and the word is gone.
        answerBox(QMessageBox::Yes);
        w().action(cmd::Reinitialize)->trigger();
        QCOMPARE(world().OBJECTS_N, world().INIT_OBJECTS_N);
        QCOMPARE(statusText(), QString());
    }
};

QTEST_MAIN(ObjectEditorUsabilityTest)
#include "object_editor_usability_test.moc"
