// Files dropped on the main window: a scenery file opens as File > Open
// opens it, with the save question first; other drops are refused, files
// with a message.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "platform/version.h"
#include "scenery/writer.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using modal_test::answerBox;

namespace {

// A scenery of `count` bodies in a line, far apart.
QString writeScenery(const QString& path, int count) {
    auto world = std::make_unique<World>();
    newScenery(*world);
    world->INIT_OBJECTS_N = world->OBJECTS_N = count;
    for (ObjectRecord* table : {world->initialObjects.get(), world->objects.get()}) {
        for (int i = 0; i < count; ++i) {
            setObjectName(table[i], "Body");
            table[i].mass = 1e3;
            table[i].radius = 2e7;
            table[i].x = 3e8 * i;
        }
    }
    world->FILE_READ_ONLY = 1;  // File > Open leaves it off unless asked
    std::string reason;
    if (writeSceneryFile(*world, path.toStdString(), &reason) != 0) qWarning("fixture: %s", reason.c_str());
    return path;
}

std::unique_ptr<QMimeData> filesMime(const QStringList& paths) {
    auto mime = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    mime->setUrls(urls);
    return mime;
}

}  // namespace

class DropTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    QTemporaryDir dir;

    // What the window system sends for a drag that enters the window.
    bool enter(const QMimeData& mime) {
        QDragEnterEvent event(QPoint(300, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
        return event.isAccepted();
    }

    bool drop(const QMimeData& mime) {
        if (!enter(mime)) return false;
        QDropEvent event(QPointF(300, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
        return event.isAccepted();
    }

    // Drops a file of another kind (or several) and returns the refusal's
    // text; the scenery stays as it was.
    QString refusal(const QStringList& paths) {
        const std::string before = w().world().currentFileName;
        const int objects = world().OBJECTS_N;
        auto text = std::make_shared<QString>();
        modal_test::whenModal<QMessageBox>([text](QMessageBox* box) {
            *text = box->windowTitle() + ": " + box->text();
            box->accept();
        });
        const bool accepted = drop(*filesMime(paths));
        if (!accepted) return "not accepted";
        if (!QTest::qWaitFor([text] { return !text->isEmpty(); }, 10000)) return "no message";
        if (world().currentFileName != before || world().OBJECTS_N != objects) return "the scenery changed";
        return *text;
    }

private slots:
    void init() { QVERIFY(openWindow()); }

    void cleanup() { closeWindow(); }

    void aDroppedSceneryFileOpensAsFileOpenOpensIt() {
        QVERIFY(w().acceptDrops());
        const QString path = writeScenery(dir.filePath("three bodies.NBX"), 3);
        QVERIFY(drop(*filesMime({path})));
        QTRY_COMPARE(world().OBJECTS_N, 3);
        QCOMPARE(QString::fromStdString(world().currentFileName), path);
        QCOMPARE(world().FILE_READ_ONLY, 0);
        QCOMPARE(w().windowTitle(), QString("three bodies.NBX - Vantor"));
    }

    void theSaveQuestionComesFirst() {
        const QString first = writeScenery(dir.filePath("first.nbx"), 2);
        const QString second = writeScenery(dir.filePath("second.nbx"), 4);
        QCOMPARE(w().openScenery(0, first, false), 6);
        world().sceneryModified = 1;

        QString question;
        answerBox(QMessageBox::Cancel, &question);
        QVERIFY(drop(*filesMime({second})));
        QTRY_VERIFY(!question.isEmpty());
        QCOMPARE(question, QString("Scenery changed! Do you want to save it?"));
        QCOMPARE(world().OBJECTS_N, 2);
        QCOMPARE(QString::fromStdString(world().currentFileName), first);

        answerBox(QMessageBox::No);
        QVERIFY(drop(*filesMime({second})));
        QTRY_COMPARE(world().OBJECTS_N, 4);
        QCOMPARE(QString::fromStdString(world().currentFileName), second);
    }

    void filesOfAnotherKindAreRefusedWithAMessage() {
        const QString scenery = writeScenery(dir.filePath("kept.nbx"), 2);
        QCOMPARE(w().openScenery(0, scenery, false), 6);
        QFile notes(dir.filePath("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("[PROGRAM_VERSION]=" VANTOR_VERSION "\n");
        notes.close();
        QVERIFY(QDir(dir.path()).mkdir("folder.nbx"));

        const struct {
            QStringList files;
            QString text;
        } cases[] = {
            {{notes.fileName()}, "Error: Only scenery files (.nbx) can be opened:\n\nnotes.txt"},
            {{dir.filePath("folder.nbx")}, "Error: Only scenery files (.nbx) can be opened:\n\nfolder.nbx"},
            {{scenery, scenery}, "Error: Drop one scenery file at a time (2 files were dropped)."},
        };
        for (const auto& c : cases) QCOMPARE(refusal(c.files), c.text);
    }

    void dragsOfNoLocalFileAreNotTaken() {
        QMimeData text;
        text.setText("/tmp/orbit.nbx");
        QVERIFY(!enter(text));
        QMimeData web;
        web.setUrls({QUrl("https://example.org/orbit.nbx")});
        QVERIFY(!enter(web));
        // Nor anything while a benchmark runs.
        world().benchmarkRunning = 1;
        QVERIFY(!enter(*filesMime({writeScenery(dir.filePath("b.nbx"), 2)})));
        world().benchmarkRunning = 0;
    }
};

QTEST_MAIN(DropTest)
#include "drop_test.moc"
