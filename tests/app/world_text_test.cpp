// The scenery's texts (bytes in the files' code page) through the desktop
// program as a person meets them: opened, shown and confirmed in the
// dialogs, typed, refused, drawn in the view, saved.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <vector>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/common/world_text.h"
#include "dialogs/objects/object_editor.h"
#include "dialogs/settings/scenery_info_about_dialogs.h"
#include "scenery/reader.h"
#include "scenery/writer.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;

namespace {

// Every byte a value can hold: brackets end a value.
std::string everyTextByte() {
    std::string bytes;
    for (int b = 0x20; b <= 0xFF; ++b) {
        if (b != '[' && b != ']') bytes += static_cast<char>(b);
    }
    return bytes;
}

// One object in the middle of the view, named, with the scenery's name and
// description.
QByteArray sceneryFile(const std::string& name, const std::string& sceneryName, const std::string& description) {
    const QByteArray n = QByteArray::fromStdString(name);
    return "[SCENERY_NAME]=" + QByteArray::fromStdString(sceneryName) +
           "\n[SCENERY_DESCRIPTION]=" + QByteArray::fromStdString(description) +
           "\n\n[DISPLAY_OBJECT_NAMES]=1\n[INIT_OBJECTS_N]=1\n[OBJECTS_N]=1\n"
           "[INIT_OBJECT_1_NAME]=" +
           n +
           "\n[INIT_OBJECT_1_MASS]=1.e+030\n[INIT_OBJECT_1_RADIUS]=1.e+008\n"
           "[OBJECT_1_NAME]=" +
           n + "\n[OBJECT_1_MASS]=1.e+030\n[OBJECT_1_RADIUS]=1.e+008\n";
}

// Empty when equal; else where the bytes first differ, in hex.
QString firstDifference(std::string_view got, std::string_view want) {
    size_t k = 0;
    while (k < got.size() && k < want.size() && got[k] == want[k]) ++k;
    if (k == got.size() && k == want.size()) return {};
    auto at = [k](std::string_view s) {
        return k < s.size() ? QString::number(static_cast<unsigned char>(s[k]), 16) : QString("end");
    };
    return QString("byte %1: %2 instead of %3").arg(k).arg(at(got), at(want));
}

#define COMPARE_BYTES(got, want)                                            \
    do {                                                                    \
        const QString difference = firstDifference(got, want);              \
        QVERIFY2(difference.isEmpty(), qPrintable(#got ": " + difference)); \
    } while (false)

// Types each character as a key carrying it, as a keyboard whose layout has
// that key does (QTest::keyClicks goes through Latin-1 and drops the rest).
void typeCharacters(QWidget* field, const QString& text) {
    for (char32_t c : text.toUcs4()) {
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString::fromUcs4(&c, 1), Qt::NoModifier);
    }
}

template <typename T = QWidget>
T* control(QWidget* dialog, const char* id) {
    T* c = dialog->findChild<T*>(id);
    if (!c) qWarning("no control %s", id);
    return c;
}

// Clicks a check box on its box, whatever width the layout gave it.
void clickBox(QWidget* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

std::vector<uint32_t> pixelsOf(const render::Surface& s) {
    return std::vector<uint32_t>(s.pixels(), s.pixels() + static_cast<size_t>(s.width()) * s.height());
}

}  // namespace

class WorldTextTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    QTemporaryDir dir;

    bool open(const QByteArray& text) {
        const QString path = dir.filePath("texts.nbx");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return false;
        file.close();
        return w().openScenery(0, path, false) == 6;
    }

    QByteArray saved() {
        const QString path = dir.filePath("saved.nbx");
        if (writeSceneryFile(world(), path.toStdString()) != 0) return {};
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Runs the object editor, handing it to `act` once it shows.
    [[nodiscard]] bool editor(std::function<void(ObjectEditorDialog*)> act) {
        return modal_test::runModal<ObjectEditorDialog>([this] { w().onCommand(cmd::ObjectEditor); }, std::move(act),
                                                        modal_test::Wait::Active, true);
    }

    // Opens scenery info with editing enabled.
    SceneryInfoDialog* editableInfo() {
        w().action(cmd::SceneryInfo)->trigger();
        auto* dialog = w().findChild<SceneryInfoDialog*>();
        if (!dialog || !QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; })) return nullptr;
        clickBox(control(dialog, "1093"));
        return control<QLineEdit>(dialog, "1017")->isReadOnly() ? nullptr : dialog;
    }

    [[nodiscard]] bool pressOk(SceneryInfoDialog* dialog) {
        return window_test::passes([&] {
            QPointer<SceneryInfoDialog> guard = dialog;
            QTest::mouseClick(control(dialog, "1"), Qt::LeftButton);
            QTRY_VERIFY(!guard);
        });
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        QVERIFY(openWindow(Fitted | Active));
    }

    void cleanup() { closeWindow(); }

    void boundaryPairKeepsEveryByte() {
        std::string all;
        for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
        const QString shown = fromWorldText(all);
        QCOMPARE(shown.size(), 256);
        COMPARE_BYTES(toWorldText(shown), all);
        QCOMPARE(fromWorldText("S\xf6nne \xc4 \x80\x9f"), QStringLiteral("Sönne Ä €Ÿ"));
        // One '?' for each character the code page lacks, a pair of UTF-16
        // units or a lone one included.
        QCOMPARE(toWorldText(QStringLiteral("a\u4e2d\U0001F600b") + QChar(0xD800)), std::string("a??b?"));
    }

    void everyByteSurvivesTheDialogsAndASave() {
        const std::string bytes = everyTextByte();
        QVERIFY(open(sceneryFile(bytes, bytes, bytes)));
        COMPARE_BYTES(std::string(world().initialObjects[0].name), bytes);

        QVERIFY(editor([](ObjectEditorDialog* d) {
            auto* radius = control<QLineEdit>(d, "1007");
            radius->setFocus();
            radius->selectAll();
            QTest::keyClicks(radius, "2.e+008");
            control<QAbstractButton>(d, "1028")->click();
        }));
        QCOMPARE(world().initialObjects[0].radius, 2e8);

        SceneryInfoDialog* info = editableInfo();
        QVERIFY(info);
        QVERIFY(pressOk(info));

        const QByteArray file = saved();
        for (const char* key :
             {"[SCENERY_NAME]=", "[SCENERY_DESCRIPTION]=", "[INIT_OBJECT_1_NAME]=", "[OBJECT_1_NAME]="}) {
            QVERIFY2(file.contains(key + QByteArray::fromStdString(bytes)), key);
        }
        World copy;
        QCOMPARE(readScenery(copy, 0, dir.filePath("saved.nbx").toStdString().c_str()), 1);
        COMPARE_BYTES(copy.SCENERY_NAME, bytes);
        COMPARE_BYTES(copy.SCENERY_DESCRIPTION, bytes);
        COMPARE_BYTES(std::string(copy.initialObjects[0].name), bytes);
        COMPARE_BYTES(std::string(copy.objects[0].name), bytes);

        // A description typed into is read from the box, no-break space and all.
        info = editableInfo();
        QVERIFY(info);
        auto* description = control<QPlainTextEdit>(info, "1092");
        description->setFocus();
        description->moveCursor(QTextCursor::End);
        QTest::keyClicks(description, "!");
        QVERIFY(pressOk(info));
        COMPARE_BYTES(world().SCENERY_DESCRIPTION, bytes + "!");
    }

    void typedAccentsAreStoredInTheCodePage() {
        QVERIFY(open(sceneryFile("Plain", "", "")));
        const QString typed = QStringLiteral("Söl é €");
        QVERIFY(editor([&](ObjectEditorDialog* d) {
            auto* name = control<QLineEdit>(d, "1017");
            name->setFocus();
            name->selectAll();
            typeCharacters(name, typed);
            QCOMPARE(name->text(), typed);
            control<QAbstractButton>(d, "1028")->click();
        }));
        COMPARE_BYTES(std::string(world().initialObjects[0].name), "S\xf6l \xe9 \x80");
        QVERIFY(saved().contains("[INIT_OBJECT_1_NAME]=S\xf6l \xe9 \x80\n"));
        // Shown again as typed, in the field and in the object list.
        QVERIFY(editor([&](ObjectEditorDialog* d) {
            QCOMPARE(control<QLineEdit>(d, "1017")->text(), typed);
            QCOMPARE(control<QComboBox>(d, "1023")->itemText(0), "[1] " + typed);
            d->reject();
        }));
    }

    void charactersOutsideTheCodePageAreRefused() {
        QVERIFY(open(sceneryFile("Plain", "", "")));
        const QString han(QChar(0x4E2D));
        QVERIFY(editor([&](ObjectEditorDialog* d) {
            auto* name = control<QLineEdit>(d, "1017");
            name->setFocus();
            name->selectAll();
            typeCharacters(name, "a" + han + "b");
            QCOMPARE(name->text(), QString("ab"));
            control<QAbstractButton>(d, "1028")->click();
        }));
        COMPARE_BYTES(std::string(world().initialObjects[0].name), "ab");

        SceneryInfoDialog* info = editableInfo();
        QVERIFY(info);
        auto* name = control<QLineEdit>(info, "1017");
        name->setFocus();
        typeCharacters(name, "x" + han + "\u00e9");
        QCOMPARE(name->text(), QStringLiteral("xé"));
        // Pasted into the description, each character shows as '?' at once
        // and the cursor stays behind what was pasted.
        auto* description = control<QPlainTextEdit>(info, "1092");
        description->setFocus();
        QTest::keyClicks(description, "one two");
        QTextCursor cursor = description->textCursor();
        cursor.setPosition(4);
        description->setTextCursor(cursor);
        QApplication::clipboard()->setText(han + QStringLiteral("\U0001F600z"));
        QTest::keyClick(description, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(description->toPlainText(), QString("one ??ztwo"));
        QCOMPARE(description->textCursor().position(), 7);
        typeCharacters(description, han);
        QCOMPARE(description->toPlainText(), QString("one ??z?two"));
        QCOMPARE(description->textCursor().position(), 8);
        QVERIFY(pressOk(info));
        COMPARE_BYTES(world().SCENERY_NAME, "x\xe9");
        COMPARE_BYTES(world().SCENERY_DESCRIPTION, "one ??z?two");
    }

    void viewDrawsAccentedNames() {
        QVERIFY(open(sceneryFile("\xe9t\xe9", "", "")));
        auto frameWith = [this](const char* name) {
            vantor::setObjectName(world().objects[0], name);
            w().paintView();
            return pixelsOf(w().surface());
        };
        const std::vector<uint32_t> accented = frameWith("\xe9t\xe9");
        QVERIFY(frameWith(nullptr) != accented);  // a name is drawn at all
        // Neither replaced nor stripped of its accents.
        QVERIFY(frameWith("?t?") != accented);
        QVERIFY(frameWith("ete") != accented);

        // Hovering over the object names it in the status bar.
        vantor::setObjectName(world().objects[0], "\xe9t\xe9");
        w().paintView();
        const render::DrawEntry& e = w().view().depthOrder[0];
        QVERIFY(e.visible);
        const QPoint at(e.x, e.y);
        w().viewMouseMove(at, Qt::NoButton, Qt::NoModifier, w().viewWidget()->mapToGlobal(at));
        QCOMPARE(w().statusPart(0)->text(), QStringLiteral("été"));
    }
};

QTEST_MAIN(WorldTextTest)
#include "world_text_test.moc"
