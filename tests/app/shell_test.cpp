// The desktop shell as a person meets it: where the status parts sit, the
// key box, object tooltips, a drag that loses its release, the wheel, the
// long timers, the priority choice and the view's texts.
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextTable>
#include <QToolTip>
#include <QWheelEvent>
#include <QtTest>
#include <memory>
#include <vector>

#include "app/long_timer.h"
#include "app/main_window.h"
#include "app/qt_text_renderer.h"
#include "app/view_widget.h"
#include "dialogs/common/command_ids.h"
#include "render/view.h"
#include "scenery/writer.h"
#include "tests/support/qt/modal_test_support.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;
using modal_test::whenModal;

namespace {

// The key box's text as the program has always had it: two columns by tabs.
const char* const kKeyShortcuts =
    "General:\t\tA\t\ttoggle axes\n\t\tD\t\ttoggle dim distant objects\n\t\tE\t\topen object editor\n"
    "\t\tF\t\tField Of View angle\n\t\tI\t\tscenery info\n\t\tN\t\ttoggle object names\n"
    "\t\tO\t\topen origin dialog\n\t\tR\t\topen object randomizer\n\t\tS\t\ttoggle on-screen status display\n"
    "\t\tV\t\topen viewpoint dialog\n\t\tX\t\topen examples dialog\n\t\t+/-\t\tzoom in/out\n"
    "\t\tF5\t\ttoggle static scenery\n"
    "\t\tF8\t\tshow trails (Shift+F8 to lock)\n\t\tF9\t\topen benchmark dialog\n\t\tF11\t\ttoggle fullscreen\n"
    "\t\tF12\t\tspacecraft mode toggle\n\t\tEsc\t\tpause simulation\n\t\tSpace\t\tstart/pause simulation\n"
    "\t\tdrag\t\trotate by theta and phi\n\t\tShift+drag\trotate by alpha\n\t\tCtrl+drag\t\tmove in X-Y plane\n"
    "\t\tCtrl+Shift+drag\tmove in Z plane\nSpacecraft:\tArrow keys\tmove view\n"
    "\t\tPgUp/PgDn\tthrust forward/backward\n\t\tEnd\t\thalt\n\t\tIns/Del\t\tthrust increase/decrease\n"
    "\t\tHome\t\tmax thrust\n\t\tEnter\t\tcenter tracking object\n\t\tScroll Lock\ttoggle autotracking";

// Set in the copy of this program that runs a test without the rights to
// raise priorities.
const char* const kUnprivileged = "VANTOR_SHELL_TEST_UNPRIVILEGED";
constexpr uid_t kNobody = 65534;

void place(ObjectRecord& o, const QByteArray& name, double x) {
    setObjectName(o, name.constData());
    o.mass = 1e3;  // light: the bodies hardly move while a test runs
    o.radius = 2e8;
    o.x = x;
    o.color = 0x00ffffff;
}

// Two bodies in view, in both tables.
QString writeTwoBodies(const QString& path, const QByteArray& firstName = "Earth") {
    auto world = std::make_unique<World>();
    newScenery(*world);
    world->INIT_OBJECTS_N = world->OBJECTS_N = 2;
    place(world->initialObjects[0], firstName, -3e8);
    place(world->initialObjects[1], "Moon", 3e8);
    place(world->objects[0], firstName, -3e8);
    place(world->objects[1], "Moon", 3e8);
    std::string reason;
    if (writeSceneryFile(*world, path.toStdString(), &reason) != 0) qWarning("fixture: %s", reason.c_str());
    return path;
}

std::vector<uint32_t> pixelsOf(const MainWindow& w) {
    const render::Surface& s = w.surface();
    return std::vector<uint32_t>(s.pixels(), s.pixels() + static_cast<size_t>(s.width()) * s.height());
}

QLabel* visibleTooltip() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QTipLabel") && widget->isVisible()) return qobject_cast<QLabel*>(widget);
    return nullptr;
}

// The rows of the first table in rich text: each row's cells' texts.
QList<QStringList> tableRows(const QString& html) {
    QTextDocument doc;
    doc.setHtml(html);
    QList<QStringList> rows;
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        for (int r = 0; r < table->rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.column() != c) continue;  // covered by a spanning cell
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                cells << cursor.selectedText();
            }
            rows << cells;
        }
        break;
    }
    return rows;
}

[[nodiscard]] bool fire(LongTimer& timer) {
    return window_test::passes([&] {
        auto* system = timer.findChild<QTimer*>();
        QVERIFY(system);
        QVERIFY(QMetaObject::invokeMethod(system, "timeout"));
    });
}

}  // namespace

class ShellTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    QTemporaryDir dir;

    [[nodiscard]] bool openTwoBodies(const QByteArray& firstName = "Earth") {
        return window_test::passes([&] {
            const QString path = writeTwoBodies(dir.filePath("two.nbx"), firstName);
            QCOMPARE(w().openScenery(0, path, false), 6);
            QCOMPARE(w().world().OBJECTS_N, 2);
            w().paintView();
        });
    }

    QPoint drawnAt(int index) {
        const render::View& view = w().view();
        for (int k = 0; k < w().world().OBJECTS_N; ++k) {
            const render::DrawEntry& e = view.depthOrder[k];
            if (e.visible && e.index == index) return {e.x, e.y};
        }
        return {-1, -1};
    }

    // The priority each menu marks, -1 for none, -2 for more than one.
    static int marked(const std::vector<QAction*>& items) {
        const int values[] = {3, 2, 0, 1};  // Highest, High, Normal, Low
        int found = -1;
        for (size_t k = 0; k < items.size(); ++k) {
            if (!items[k]->isChecked()) continue;
            found = found == -1 ? values[k] : -2;
        }
        return found;
    }
    int markedInMenuBar() {
        return marked({w().action(cmd::PriorityHighest), w().action(cmd::PriorityHigh), w().action(cmd::PriorityNormal),
                       w().action(cmd::PriorityLow)});
    }
    int markedInContextMenu() {
        w().showContextMenu(w().viewWidget()->mapToGlobal(QPoint(1, 1)));
        QMenu* sub = nullptr;
        for (QAction* a : w().contextMenu()->actions())
            if (a->menu() && a->text() == "Process priority") sub = a->menu();
        if (!sub) return -3;
        const QList<QAction*> actions = sub->actions();
        const std::vector<QAction*> items(actions.begin(), actions.end());
        const int result = items.size() == 4 ? marked(items) : -3;
        w().contextMenu()->close();
        return result;
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        QVERIFY(openWindow());
    }

    void cleanup() { closeWindow(); }

    // Each part ends at its edge, counted from the view's left edge, at
    // every width; each is as tall as the bar, so it clips its own text.
    // "CC=" has no leading tab and stands at the left of its part; the
    // others are centred.
    void statusPartsEndAtTheirEdges() {
        const struct {
            int width;
            int edges[6];
        } cases[] = {
            {600, {300, 360, 420, 480, 540, 600}}, {1000, {550, 640, 730, 820, 910, 1000}},
            {700, {350, 420, 490, 560, 630, 700}}, {900, {450, 540, 630, 720, 810, 900}},
            {901, {450, 540, 630, 720, 810, 900}}, {1300, {850, 940, 1030, 1120, 1210, 1300}},
        };
        for (const auto& c : cases) {
            w().resize(c.width, w().height());
            QTRY_COMPARE(w().view().viewWidth, c.width);
            QApplication::processEvents();
            const int viewLeft = w().viewWidget()->mapTo(&w(), QPoint(0, 0)).x();
            int left = 0;
            for (int part = 0; part < 6; ++part) {
                QLabel* label = w().statusPart(part);
                const int x = label->mapTo(&w(), QPoint(0, 0)).x() - viewLeft;
                const QString where = QString("width %1, part %2").arg(c.width).arg(part);
                QVERIFY2(x == left, qPrintable(where + QString(" starts at %1").arg(x)));
                QVERIFY2(x + label->width() == c.edges[part],
                         qPrintable(where + QString(" ends at %1").arg(x + label->width())));
                QCOMPARE(label->height(), w().statusBar()->height());
                left = c.edges[part];
            }
        }
        QVERIFY(w().statusPart(5)->text().startsWith("CC="));
        QVERIFY(w().statusPart(5)->alignment() & Qt::AlignLeft);
        for (int part = 1; part < 5; ++part) QVERIFY(w().statusPart(part)->alignment() & Qt::AlignHCenter);
    }

    // The benchmark's long text keeps to part 0: it ends in an ellipsis at
    // part 1's edge, and its tooltip has it whole.
    void aLongFirstPartStaysInItsPart() {
        const QString text = "Benchmark in progress! Hold still, or press ESC to quit...";
        w().setStatusText(text);
        QLabel* first = w().statusPart(0);
        QCOMPARE(first->text(), text);
        QCOMPARE(first->toolTip(), text);
        QVERIFY(first->fontMetrics().horizontalAdvance(text) > first->contentsRect().width());
        QCOMPARE(first->geometry().right() + 1, w().statusPart(1)->geometry().left());
    }

    // At the 600-pixel view the run-state texts of a large scenery on a
    // 16-processor machine stay whole, drawn smaller where need be.
    void runStateTextsStayWhole() {
        w().pool().workerCount = 16;
        w().world().INIT_OBJECTS_N = w().world().OBJECTS_N = 50000;
        w().world().COLLISION_COUNTER = 123456;
        w().updateStatusLine();
        w().world().INIT_OBJECTS_N = w().world().OBJECTS_N = 0;
        QCOMPARE(w().view().viewWidth, 600);
        // The threads part tells the workers that compute, at most the
        // pool's threads on this machine.
        const int computing = computingWorkers(w().pool());
        const QString threads = computing > 1 ? QString("%1 threads").arg(computing) : QString("1 thread");
        const QStringList texts = {"Paused", "Ni=50000", "N=50000", threads, "CC=123456"};
        for (int part = 1; part < 6; ++part) {
            QLabel* label = w().statusPart(part);
            QCOMPARE(label->text(), texts[part - 1]);
            const QImage image = label->grab().toImage();
            const QRgb background = image.pixel(0, 0);
            // The part clips at its margins: a text cut off there has ink on
            // their edge columns (a text at the left starts on the left one).
            const QRect inside = label->contentsRect();
            int left = image.width(), right = -1;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (image.pixel(x, y) == background) continue;
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
            const bool atLeft = label->alignment() & Qt::AlignLeft;
            QVERIFY2((atLeft || left > inside.left()) && right < inside.right(),
                     qPrintable(QString("%1: ink from %2 to %3 in %4 to %5")
                                    .arg(label->text())
                                    .arg(left)
                                    .arg(right)
                                    .arg(inside.left())
                                    .arg(inside.right())));
        }
    }

    // F1's box keeps its caption and texts, laid out as a table: the group
    // names head their rows, and each row holds a key beside what it does.
    void keyBoxIsATable() {
        auto caption = std::make_shared<QString>(), text = std::make_shared<QString>();
        auto format = std::make_shared<int>(-1), icon = std::make_shared<int>(-1);
        whenModal<QMessageBox>([=](QMessageBox* box) {
            *caption = box->windowTitle();
            *text = box->text();
            *format = box->textFormat();
            *icon = box->icon();
            box->accept();
        });
        QTest::keyClick(w().viewWidget(), Qt::Key_F1);
        QCOMPARE(*caption, QString("Keyboard and Mouse Shortcuts"));
        QCOMPARE(*icon, int(QMessageBox::Information));
        QCOMPARE(*format, int(Qt::RichText));

        QList<QStringList> expected;
        // The keys the box's own text leaves out follow it.
        const QString more =
            "More:\t\tF6\t\tobjects as dots (Shift+F6 to lock)\n"
            "\t\tF7\t\timprove visibility (Shift+F7 to lock)\n\t\tG\t\topen diagnostics window\n"
            "\t\tL\t\tspeed limit on/off\n\t\twheel\t\tzoom in/out";
        for (const QString& line : (QString(kKeyShortcuts) + '\n' + more).split('\n')) {
            QStringList cells = line.split('\t', Qt::SkipEmptyParts);
            if (!line.startsWith('\t')) expected << QStringList{cells.takeFirst()};
            expected << cells;
        }
        const QList<QStringList> rows = tableRows(*text);
        QCOMPARE(rows.size(), expected.size());
        for (int r = 0; r < rows.size(); ++r) QCOMPARE(rows[r], expected[r]);
        QCOMPARE(rows[0], QStringList{"General:"});
        QCOMPARE(rows[2], (QStringList{"D", "toggle dim distant objects"}));
        QVERIFY(rows.contains(QStringList{"Scroll Lock", "toggle autotracking"}));
        QCOMPARE(rows.last(), (QStringList{"wheel", "zoom in/out"}));
    }

    // The tooltip of an object with a 150-character name is no wider than
    // 300 pixels: lines break between words, or inside a word too wide for a
    // line; nothing of the name is lost, and markup in a name shows as text.
    void objectTooltipsWrapAt300Pixels() {
        const QByteArray words =
            "The long-period comet of the outer Oort cloud, named after its two discoverers "
            "and the observatory that first saw it in nineteen hundred and five, again";
        const QByteArray oneWord = QByteArray(150, 'W');
        const QByteArray markup = "<b>Bold</b> & <i>not</i> " + QByteArray(125, 'm');
        for (const QByteArray& name : {words.left(150), oneWord, markup}) {
            QCOMPARE(name.size(), 150);
            QVERIFY(openTwoBodies(name));
            const QPoint at = drawnAt(0);
            QVERIFY(at.x() >= 0);
            QTest::mouseMove(w().viewWidget(), QPoint(1, 1));
            QTest::mouseMove(w().viewWidget(), at);
            QLabel* tip = nullptr;
            QTRY_VERIFY((tip = visibleTooltip()) != nullptr);
            QTextDocument doc;
            doc.setHtml(tip->text());
            const QStringList lines = doc.toPlainText().split('\n');
            QVERIFY2(lines.size() >= 4, qPrintable(tip->text()));
            const QFontMetrics metrics(tip->font());
            for (QString line : lines) {
                while (line.endsWith(' ')) line.chop(1);
                QVERIFY2(metrics.horizontalAdvance(line) <= 301, qPrintable(line));
            }
            QVERIFY2(tip->width() < 340, qPrintable(QString::number(tip->width())));
            const QString joined = lines.join(QString());
            QVERIFY2(joined.startsWith(QString::fromLatin1(name) + "Mass: "), qPrintable(joined));
            QVERIFY(lines.last().startsWith("Radius: "));
            QToolTip::hideText();
        }
    }

    // A right click in the middle of a drag opens the menu, which takes the
    // left button's release: the drag ends there, and its axes go at once.
    void theContextMenuEndsADrag() {
        QVERIFY(openTwoBodies());
        const std::vector<uint32_t> still = pixelsOf(w());
        QWidget* view = w().viewWidget();
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(w().view().viewDragging, 1);
        QVERIFY(pixelsOf(w()) != still);  // the axes
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(120, 110), view->mapToGlobal(QPoint(120, 110)));
        QApplication::sendEvent(view, &menuEvent);
        QVERIFY(w().contextMenu() && w().contextMenu()->isVisible());
        QCOMPARE(w().view().viewDragging, 0);
        QVERIFY(pixelsOf(w()) == still);
        QTest::keyClick(w().contextMenu(), Qt::Key_Escape);
        // The release went to the menu; moving the mouse turns nothing.
        QTest::mouseRelease(w().contextMenu(), Qt::LeftButton);
        const double theta = w().world().VIEWPOINT_THETA;
        QTest::mouseMove(view, QPoint(200, 150));
        QCOMPARE(w().world().VIEWPOINT_THETA, theta);
        QVERIFY(pixelsOf(w()) == still);
    }

    // One notch of the wheel zooms as + and - do; a high-resolution wheel's
    // small turns add up to one step per 120 units.
    // Keys that name no command leave the scenery alone, among them the key
    // 0 that Qt gives a key it cannot name (commands without a key have 0
    // in the command table).
    void keysWithoutACommandDoNothing() {
        QVERIFY(openTwoBodies());
        const int objects = w().world().OBJECTS_N;
        for (int key : {0, int(Qt::Key_unknown), int(Qt::Key_B), int(Qt::Key_Q)}) {
            w().keyDown(key, Qt::NoModifier);
            w().keyUp(key, Qt::NoModifier, false);
        }
        QCOMPARE(w().world().OBJECTS_N, objects);
        QCOMPARE(w().world().sceneryModified, 0);
        QVERIFY(objects > 0);
    }

    void theWheelZooms() {
        QVERIFY(openTwoBodies());
        QWidget* view = w().viewWidget();
        auto turn = [&](int delta) {
            QWheelEvent event(QPointF(300, 175), QPointF(view->mapToGlobal(QPoint(300, 175))), QPoint(),
                              QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view, &event);
        };
        double d = w().world().VIEWPOINT_DISTANCE;
        turn(120);
        QCOMPARE(w().world().VIEWPOINT_DISTANCE, d * 0.95);
        d = w().world().VIEWPOINT_DISTANCE;
        turn(-120);
        QCOMPARE(w().world().VIEWPOINT_DISTANCE, d * 1.05);
        d = w().world().VIEWPOINT_DISTANCE;
        for (int k = 0; k < 3; ++k) turn(40);
        QCOMPARE(w().world().VIEWPOINT_DISTANCE, d * 0.95);
        d = w().world().VIEWPOINT_DISTANCE;
        turn(60);
        QCOMPARE(w().world().VIEWPOINT_DISTANCE, d);
        turn(60);
        QCOMPARE(w().world().VIEWPOINT_DISTANCE, d * 0.95);
        // The same as the + key.
        d = w().world().VIEWPOINT_DISTANCE;
        QTest::keyClick(view, Qt::Key_Minus);
        const double byKey = w().world().VIEWPOINT_DISTANCE;
        w().world().VIEWPOINT_DISTANCE = d;
        turn(-120);
        QCOMPARE(w().world().VIEWPOINT_DISTANCE, byKey);
        QCOMPARE(w().world().sceneryModified, 0);
    }

    // The long timers never fire before their period, however early the
    // system timer comes, and count a period longer than one system
    // interval to its end. The clock is the test's own.
    void longTimersNeverFireEarly() {
        int64_t now = 0;
        LongTimer timer(nullptr, [&now] { return now; });
        QSignalSpy fired(&timer, &LongTimer::timeout);
        auto* system = timer.findChild<QTimer*>();
        QVERIFY(system);
        const int64_t day = 24ll * 3600 * 1000;
        const struct {
            uint64_t period;
            int64_t at;    // the clock when the system timer comes
            int fired;     // timeouts so far
            int interval;  // what the system timer waits next
        } cases[] = {
            {19000, 18100, 0, 900},  // 5 % early: armed for the rest
            {19000, 18999, 0, 1},
            {19000, 19000, 1, 19000},  // due: the next period counts from now
            {19000, 37000, 1, 1000},
            {19000, 38000, 2, 19000},
            {30 * day, day, 0, int(day)},  // a day at a time
            {30 * day, 29 * day, 0, int(day)},
            {30 * day, 30 * day - 1, 0, 1},
            {30 * day, 30 * day, 1, int(day)},
        };
        uint64_t period = 0;
        for (const auto& c : cases) {
            if (c.period != period) {
                period = c.period;
                now = 0;
                fired.clear();
                timer.start(period);
                QCOMPARE(system->timerType(), Qt::PreciseTimer);
            }
            now = c.at;
            QVERIFY(fire(timer));
            QCOMPARE(int(fired.size()), c.fired);
            QVERIFY(system->isActive());
            QCOMPARE(system->interval(), c.interval);
        }
        timer.stop();
        QVERIFY(!timer.isActive());
    }

    // The four priorities are one exclusive choice in both menus.
    void prioritiesAreRadioItems() {
        const int ids[] = {cmd::PriorityHighest, cmd::PriorityHigh, cmd::PriorityNormal, cmd::PriorityLow};
        QActionGroup* group = w().action(ids[0])->actionGroup();
        QVERIFY(group);
        QCOMPARE(group->exclusionPolicy(), QActionGroup::ExclusionPolicy::Exclusive);
        QCOMPARE(group->actions().size(), 4);
        for (int id : ids) QCOMPARE(w().action(id)->actionGroup(), group);
        const struct {
            int id, value;
        } choices[] = {{cmd::PriorityHigh, 2},
                       {cmd::PriorityLow, 1},
                       {cmd::PriorityHighest, 3},
                       {cmd::PriorityNormal, 0},
                       {cmd::PriorityNormal, 0}};
        for (const auto& c : choices) {
            w().action(c.id)->trigger();
            QCOMPARE(w().world().PROCESS_PRIORITY, c.value);
            QCOMPARE(markedInMenuBar(), c.value);
            QCOMPARE(markedInContextMenu(), c.value);
        }
        // The context menu's items are radio items of their own group.
        w().showContextMenu(w().viewWidget()->mapToGlobal(QPoint(1, 1)));
        for (QAction* a : w().contextMenu()->actions()) {
            if (!a->menu() || a->text() != "Process priority") continue;
            QActionGroup* own = a->menu()->actions().first()->actionGroup();
            QVERIFY(own && own->isExclusive());
            for (QAction* item : a->menu()->actions()) QCOMPARE(item->actionGroup(), own);
            a->menu()->actions().at(1)->trigger();  // "High"
        }
        QCOMPARE(w().world().PROCESS_PRIORITY, 2);
        QCOMPARE(markedInMenuBar(), 2);
    }

    // Without the rights to raise a priority: a refused choice is told in
    // the status line and, while the run lasts, the menus mark the priority
    // in force; going down to Low is allowed, and back up is refused again.
    // As root the test runs again in a copy of this program that gave its
    // rights up.
    void aRefusedPriorityIsToldAndTheMenusShowTheOneInForce() {
        if (!qEnvironmentVariableIsSet(kUnprivileged)) {
            QProcess child;
            child.setProgram(QCoreApplication::applicationFilePath());
            child.setArguments({QTest::currentTestFunction()});
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(kUnprivileged, "1");
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.setChildProcessModifier([] {
                const rlimit none{0, 0};
                if (::setrlimit(RLIMIT_NICE, &none) != 0) ::_exit(77);
                if (::geteuid() == 0 &&
                    (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                    ::_exit(77);
            });
            child.start();
            QVERIFY(child.waitForFinished(120000));
            const QByteArray output = child.readAll();
            if (child.exitCode() == 77) QSKIP("could not give up the rights to raise priorities");
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
            return;
        }
        QVERIFY(openTwoBodies());
        w().onCommand(cmd::PriorityHigh);
        QCOMPARE(markedInMenuBar(), 2);  // paused: the setting for the next run
        w().setRunning(1);
        QCOMPARE(part0(), QString("Priority High refused; Normal stays in force"));
        QLabel* first = w().statusPart(0);
        QVERIFY(first->fontMetrics().horizontalAdvance(part0()) <= first->contentsRect().width());  // whole
        QCOMPARE(markedInMenuBar(), 0);
        QCOMPARE(markedInContextMenu(), 0);
        QCOMPARE(w().world().PROCESS_PRIORITY, 2);

        w().onCommand(cmd::PriorityLow);
        QCOMPARE(markedInMenuBar(), 1);
        w().onCommand(cmd::PriorityNormal);
        QCOMPARE(part0(), QString("Priority Normal refused; Low stays in force"));
        QCOMPARE(markedInMenuBar(), 1);
        QCOMPARE(w().world().PROCESS_PRIORITY, 0);

        w().setStatusText("");
        w().setRunning(0);  // the pause cannot bring Normal back either
        QCOMPARE(part0(), QString("Priority Normal refused; Low stays in force"));
        QCOMPARE(markedInMenuBar(), 0);  // paused: the setting again
    }

    // The view's texts that are no 5 x 5 glyph displays (the cockpit's
    // gauge labels, "Benchmarking") come from the desktop's Qt text, as
    // the names do: the cockpit is laid out on its metrics, and the caption
    // is drawn antialiased.
    void theViewsTextsAreDrawnWithQt() {
        auto* text = dynamic_cast<const QtTextRenderer*>(&w().surface().textRenderer());
        QVERIFY(text);
        const QFontMetrics metrics(text->font());
        QCOMPARE(w().surface().textExtent("WARP").height, metrics.height());
        QCOMPARE(w().surface().textExtent("Autotracking").width, metrics.horizontalAdvance("Autotracking"));

        QVERIFY(openTwoBodies());
        w().world().benchmarkRunning = 1;
        w().view().blinkPhase = 1;
        w().paintView();
        w().world().benchmarkRunning = 0;
        const render::Surface& s = w().surface();
        int lit = 0, shaded = 0;
        for (int y = 0; y < metrics.height(); ++y) {
            for (int x = 0; x < metrics.horizontalAdvance("Benchmarking"); ++x) {
                const uint32_t p = s.pixel(x, y) & 0xffffff;
                if (p == 0) continue;
                ++lit;
                QCOMPARE(p & 0x00ffff, 0u);  // red only
                if (p != 0xff0000) ++shaded;
            }
        }
        QVERIFY(lit > 20);
        QVERIFY(shaded > 0);  // antialiased edges: no bitmap font
    }
};

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
