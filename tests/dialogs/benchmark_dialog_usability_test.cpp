// The benchmark dialog as a person meets it, on a wide offscreen screen:
// starting by keyboard, Enter after a cancelled run, the dialog in sight
// during a run, its texts whole, the round and the run shown, and a browser
// that cannot be opened. Runs are shortened or their ticks given by the test.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "benchmark/scores.h"
#include "benchmark/submission.h"
#include "dialogs/benchmark/benchmark_dialog.h"
#include "dialogs/common/browser.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/common/dialog_placement.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;

namespace {

// What a message box showed.
struct Shown {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextInteractionFlags flags;
};

// Answers the next message box as soon as it shows, noting what it showed:
// OK, or the button of that text.
std::shared_ptr<Shown> answerNextBox(const QString& buttonText = {}) {
    auto shown = std::make_shared<Shown>();
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, shown, buttonText] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        timer->stop();
        timer->deleteLater();
        *shown = {box->windowTitle(), box->text(), box->icon(), box->textInteractionFlags()};
        for (QAbstractButton* b : box->buttons()) {
            if (buttonText.isEmpty() ? box->standardButton(b) == QMessageBox::Ok : b->text() == buttonText) {
                b->click();
                return;
            }
        }
        qWarning("the message box lacks the button");
        box->close();
    });
    timer->start();
    return shown;
}

// A window manager in no hurry: the first time the main window is activated
// it hands the focus back to the window where the key was pressed.
class FocusBouncer : public QObject {
public:
    FocusBouncer(QWidget* main, QWidget* back) : back_(back) { main->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate && !bounced_) {
            bounced_ = true;
            QTimer::singleShot(0, back_, [back = back_] { back->activateWindow(); });
        }
        return false;
    }

private:
    QWidget* back_;
    bool bounced_ = false;
};

// The width a line edit has for its text.
int textRoom(QLineEdit* field) {
    QStyleOptionFrame option;
    option.initFrom(field);
    option.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
    return field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field).width();
}

}  // namespace

class BenchmarkDialogUsabilityTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

private:
    Benchmark& bench() { return benchmarkSession().bench; }

    BenchmarkDialog* openBenchmark() {
        QTest::keyClick(w().viewWidget(), Qt::Key_F9);
        BenchmarkDialog* d = BenchmarkDialog::instance();
        if (d && !QTest::qWaitFor([d] { return QApplication::activeWindow() == d; })) return nullptr;
        return d;
    }
    template <typename T>
    static T* child(QWidget* dialog, const char* name) {
        T* c = dialog->findChild<T*>(name);
        if (!c) qWarning("no control %s", name);
        return c;
    }
    static QString progress(QWidget* d) { return child<QLabel>(d, "progress")->text(); }

private slots:
    void initTestCase() {
        SystemProbe& probe = benchmarkSession().probe;
        probe.measureCpuMhz = [] { return 1234; };
        probe.memory = [] { return platform::MemoryStatus{8192ull << 20, 4096ull << 20}; };
        QDesktopServices::unsetUrlHandler("https");
    }

    void init() {
        dialogs::forgetModelessPlaces();
        QVERIFY(openWindow(Fitted | Centred | Active));
        bench().lastNbxMark = bench().lastMaxFps = -1;
        bench().rounds = 1;
        bench().runMilliseconds = 300;
    }

    void cleanup() {
        if (BenchmarkDialog* d = BenchmarkDialog::instance()) delete d;
        closeWindow();
        benchmarkSession().probe.processorIdentifier = systemProbe().processorIdentifier;
    }

    // After a key the window manager may take its time with the focus;
    // the run starts once the main window holds it for good.
    void keyboardStartOutlastsAWindowManagerInNoHurry_data() {
        QTest::addColumn<bool>("enter");
        QTest::newRow("Enter on Start") << true;
        QTest::newRow("Alt+S") << false;
    }

    void keyboardStartOutlastsAWindowManagerInNoHurry() {
        QFETCH(bool, enter);
        BenchmarkDialog* d = openBenchmark();
        QVERIFY(d);
        FocusBouncer windowManager(&w(), d);
        auto outcome = answerNextBox();
        auto* start = child<QPushButton>(d, "start");
        start->setFocus();
        if (enter) QTest::keyClick(start, Qt::Key_Return);
        else QTest::keyClick(d, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!outcome->text.isEmpty(), 30000);
        QVERIFY2(outcome->text.startsWith("Benchmark completed successfully!"), qPrintable(outcome->text));
        QVERIFY(bench().lastNbxMark >= 0);
    }

    // The Cancel button had the focus when the run stopped: Enter must start
    // again, not close the dialog.
    void enterAfterACancelledRunStartsAgain_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("Cancel clicked") << false;
    }

    void enterAfterACancelledRunStartsAgain() {
        QFETCH(bool, escape);
        bench().runMilliseconds = 600000;  // never ends by itself here
        BenchmarkDialog* d = openBenchmark();
        QVERIFY(d);
        QTest::mouseClick(child<QPushButton>(d, "start"), Qt::LeftButton);
        QCOMPARE(world().benchmarkRunning, 1);
        auto stopped = answerNextBox();
        if (escape) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else QTest::mouseClick(child<QPushButton>(d, "cancel"), Qt::LeftButton);
        QTRY_COMPARE(stopped->text, QString("Benchmark not completed!"));
        QCOMPARE(world().benchmarkRunning, 0);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(d));

        QVERIFY(child<QPushButton>(d, "start")->isDefault());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(BenchmarkDialog::instance(), d);
        QTRY_COMPARE(world().benchmarkRunning, 1);
        auto again = answerNextBox();
        child<QPushButton>(d, "cancel")->click();
        QTRY_VERIFY(!again->text.isEmpty());
    }

    // During a run the main window is raised; the dialog stands above it and
    // beside the view, so that its Cancel button stays in sight.
    void theDialogStaysInSightDuringARun() {
        bench().runMilliseconds = 600000;
        BenchmarkDialog* d = openBenchmark();
        QVERIFY(d);
        child<QPushButton>(d, "start")->click();
        QCOMPARE(world().benchmarkRunning, 1);
        QVERIFY(d->isVisible());
        QCOMPARE(d->windowHandle()->transientParent(), w().windowHandle());
        const QRect view(w().viewWidget()->mapToGlobal(QPoint(0, 0)), w().viewWidget()->size());
        QVERIFY(!d->frameGeometry().intersects(view));
        QVERIFY(d->screen()->availableGeometry().contains(d->frameGeometry()));
        auto stopped = answerNextBox();
        child<QPushButton>(d, "cancel")->click();
        QTRY_VERIFY(!stopped->text.isEmpty());
    }

    void textsShowWhole() {
        benchmarkSession().probe.processorIdentifier = [] {
            return std::string(
                "Intel64 Family 6 Model 158 Stepping 10, GenuineIntel, as named by a firmware that "
                "likes long names for its processors");
        };
        BenchmarkDialog* d = openBenchmark();
        QVERIFY(d);
        // Every wrapped text has the height its lines need.
        for (QLabel* label : d->findChildren<QLabel*>()) {
            if (!label->wordWrap()) continue;
            QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(label->text()));
        }
        // Every box holds its controls, its border below them.
        for (QGroupBox* group : d->findChildren<QGroupBox*>()) {
            QVERIFY2(d->rect().contains(group->geometry()), qPrintable(group->title()));
            for (QWidget* inside : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (!inside->isVisible()) continue;
                QVERIFY2(inside->geometry().bottom() < group->height() - 1, qPrintable(group->title()));
            }
        }
        // A long processor name gives way in its middle; the figures stay.
        auto* info = child<QLineEdit>(d, "systemInformation");
        const QString figures = ", 1234 MHz, 8193 MB of RAM (4096 MB free)";  // installed: 640 KB added, rounded
        QVERIFY2(info->text().endsWith(figures), qPrintable(info->text()));
        QVERIFY(info->text().startsWith("Intel64"));
        QVERIFY(info->text().contains(QChar(0x2026)));
        QVERIFY(info->fontMetrics().horizontalAdvance(info->text()) <= textRoom(info));
        QVERIFY(info->toolTip().startsWith("Intel64 Family 6 Model 158 Stepping 10, GenuineIntel, as named"));
        QVERIFY(info->toolTip().endsWith(figures));
    }

    void theRoundAndTheRunShowWhileItRuns() {
        bench().rounds = 2;
        bench().runMilliseconds = 600000;  // each run ends when the test says
        BenchmarkDialog* d = openBenchmark();
        QVERIFY(d);
        QVERIFY(d->findChild<QLabel*>("progress"));
        QCOMPARE(progress(d), QString());
        child<QPushButton>(d, "start")->click();
        auto* timer = d->findChild<QTimer*>("674");
        QVERIFY(timer);
        const QStringList phases = {"Round 1 of 2: frame-rate run", "Round 1 of 2: computation run",
                                    "Round 2 of 2: frame-rate run", "Round 2 of 2: computation run"};
        for (const QString& phase : phases) {
            QTRY_COMPARE(progress(d), phase);
            if (phase == phases.last()) break;
            timer->start(0);  // the run's ten seconds are over
        }
        auto done = answerNextBox();
        timer->start(0);
        QTRY_VERIFY(!done->text.isEmpty());
        QVERIFY(done->text.startsWith("Benchmark completed successfully!"));
        QTRY_COMPARE(progress(d), QString());
    }

    // Without a browser, the address shows in a box, to be copied by hand.
    void noBrowserShowsTheAddress_data() {
        QTest::addColumn<bool>("submit");
        QTest::newRow("Submit benchmark results") << true;
        QTest::newRow("Launch Vantor Website") << false;
    }

    void noBrowserShowsTheAddress() {
        QFETCH(bool, submit);
        QGuiApplication::clipboard()->clear();
        auto shown = answerNextBox(dialogs::COPY_ADDRESS_TEXT);
        QByteArray address = WEB_SERVER;
        if (submit) {
            bench().lastNbxMark = 12345;
            bench().lastMaxFps = 678;
            BenchmarkDialog* d = openBenchmark();
            QVERIFY(d);
            auto* button = child<QPushButton>(d, "submit");
            QVERIFY(button->isEnabled());
            button->click();
            address += SUBMISSION_PATH;
        } else {
            w().action(cmd::Website)->trigger();
        }
        QTRY_VERIFY(!shown->text.isEmpty());
        QVERIFY(shown->text.startsWith(QString(dialogs::NO_BROWSER_TEXT) + "\n\n"));
        // The address in lines that fit the box; the button copies it whole.
        const QStringList lines = shown->text.mid(int(strlen(dialogs::NO_BROWSER_TEXT)) + 2).split('\n');
        for (const QString& line : lines) QVERIFY(line.size() <= 80);
        const QString shownAddress = lines.join(QString());
        QVERIFY2(shownAddress.startsWith(QString::fromLatin1(address)), qPrintable(shownAddress));
        if (submit) QVERIFY(shownAddress.size() > address.size() + 100);  // the encoded record follows
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), shownAddress);
        QCOMPARE(shown->icon, QMessageBox::Warning);
        QVERIFY(shown->flags & Qt::TextSelectableByMouse);
        QCOMPARE(shown->title, QString(submit ? BENCHMARK_MESSAGE_TITLE : "Vantor Website"));
    }
};

QTEST_MAIN(BenchmarkDialogUsabilityTest)
#include "benchmark_dialog_usability_test.moc"
