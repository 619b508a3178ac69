// The benchmark dialog driven in the real main window, with runs shortened
// by the test and the processor clock given by the test.
#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/main_window.h"
#include "app/view_widget.h"
#include "benchmark/scores.h"
#include "benchmark/submission.h"
#include "dialogs/benchmark/benchmark_dialog.h"
#include "platform/version.h"
#include "tests/support/qt/window_test_support.h"

using namespace vantor;

namespace {

// What a message box showed.
struct Shown {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the next message box with OK as soon as it shows.
void answerNextBox(Shown* shown) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        timer->deleteLater();
        timer->stop();
        *shown = {box->windowTitle(), box->text(), box->icon()};
        box->button(box->standardButtons() & QMessageBox::Ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
    });
    timer->start();
}

// The record inside a submission: the alphabet back to bytes, the mask
// removed, every filler byte dropped.
QByteArray decodeSubmission(const QByteArray& encoded) {
    const QByteArray alphabet(SUBMISSION_ALPHABET);
    QByteArray filled;
    uint32_t bits = 0;
    int count = 0;
    for (char c : encoded) {
        const int index = alphabet.indexOf(c);
        if (index < 0) return {};
        bits = (bits << 6) | static_cast<uint32_t>(index);
        count += 6;
        if (count >= 8) {
            count -= 8;
            filled += static_cast<char>(((bits >> count) & 0xFF) ^ SUBMISSION_MASK);
        }
    }
    QByteArray record;
    for (int k = 1; k < filled.size(); k += 2) record += filled[k];
    return record;
}

}  // namespace

class BenchmarkDialogTest : public QObject, window_test::MainWindowFixture {
    Q_OBJECT

public slots:
    // The browser, for the submit button.
    void openUrl(const QUrl& url) { opened << url; }

private:
    QList<QUrl> opened;
    int measurements = 0;
    QString indicatorText;

    Benchmark& bench() { return benchmarkSession().bench; }

    BenchmarkDialog* openBenchmark() {
        QTest::keyClick(w().viewWidget(), Qt::Key_F9);
        return BenchmarkDialog::instance();
    }
    template <typename T>
    static T* child(QWidget* dialog, const char* name) {
        return dialog->findChild<T*>(name);
    }
    static QString resultsText(QWidget* dialog) { return child<QPlainTextEdit>(dialog, "lastResults")->toPlainText(); }

private slots:
    void initTestCase() {
        // A clock measurement that takes no second, and that sees what is
        // on the screen meanwhile.
        benchmarkSession().probe.measureCpuMhz = [this] {
            ++measurements;
            indicatorText.clear();
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() == "cpuFrequencyIndicator" && top->isVisible())
                    indicatorText = top->findChild<QLabel*>()->text();
            }
            return 1234;
        };
    }

    void init() {
        QVERIFY(openWindow(Fitted | Centred | Active));
        bench().lastNbxMark = bench().lastMaxFps = -1;
        bench().rounds = 1;
        bench().runMilliseconds = 200;
        measurements = 0;
    }

    void cleanup() {
        if (BenchmarkDialog* d = BenchmarkDialog::instance()) delete d;
        closeWindow();
    }

    void shortRunShowsBothScores() {
        BenchmarkDialog* d = openBenchmark();
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QString("Vantor Computer Benchmark"));
        QCOMPARE(measurements, 1);
        QCOMPARE(indicatorText, QString("Determining CPU frequency. Please wait..."));
        QVERIFY(child<QLineEdit>(d, "systemInformation")->text().contains(", 1234 MHz, "));
        QCOMPARE(resultsText(d), QString("Benchmark not performed yet."));
        auto* start = child<QPushButton>(d, "start");
        auto* cancel = child<QPushButton>(d, "cancel");
        auto* submit = child<QPushButton>(d, "submit");
        QVERIFY(start->isDefault());
        QCOMPARE(cancel->text(), QString("&Close"));
        QVERIFY(!submit->isEnabled());
        QCOMPARE(child<QLineEdit>(d, "comments")->maxLength(), 300);
        QCOMPARE(openBenchmark(), d);  // a second F9 only focuses it
        QCOMPARE(measurements, 1);

        Shown done;
        answerNextBox(&done);
        start->click();
        QCOMPARE(world().benchmarkRunning, 1);
        QCOMPARE(world().OBJECTS_N, 100);
        QCOMPARE(w().viewWidget()->size(), QSize(600, 350));
        QCOMPARE(w().statusPart(0)->text(), QString(BENCHMARK_IN_PROGRESS_TEXT));
        QVERIFY(!start->isEnabled());
        QCOMPARE(cancel->text(), QString("&Cancel"));
        auto* timer = d->findChild<QTimer*>("674");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 200);

        QTRY_VERIFY_WITH_TIMEOUT(!done.text.isEmpty(), 30000);
        const int64_t nbx = bench().lastNbxMark, fps = bench().lastMaxFps;
        QVERIFY(nbx > 0 && fps > 0);
        QCOMPARE(done.title, QString("Vantor Benchmark"));
        QCOMPARE(done.icon, QMessageBox::Information);
        QCOMPARE(done.text, QString("Benchmark completed successfully!\n\nNBXMark\t: %1\nMaxFPS\t: %2\n\nPlease submit "
                                    "your results by pressing\nsubmit button on the main benchmark dialog.")
                                .arg(nbx)
                                .arg(fps));
        QCOMPARE(resultsText(d),
                 QString("NBXMark:  %1\nMaxFPS:  %2\n-----\n(Vantor v" VANTOR_VERSION ")").arg(nbx).arg(fps));
        QVERIFY(submit->isEnabled());
        QVERIFY(start->isEnabled());
        QCOMPARE(cancel->text(), QString("&Close"));
        QCOMPARE(d->focusWidget(), child<QLineEdit>(d, "comments"));
        QCOMPARE(world().benchmarkRunning, 0);
        QCOMPARE(world().simulationRunning, 0);
        QCOMPARE(world().OBJECTS_N, 0);
        QVERIFY(!timer->isActive());

        // The submission carries these scores, the measured clock and the comments.
        child<QLineEdit>(d, "comments")->setText("GPU X");
        QDesktopServices::setUrlHandler("https", this, "openUrl");
        submit->click();
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(opened.size(), 1);
        const QByteArray address = opened.first().toEncoded();
        const QByteArray prefix = QByteArray(WEB_SERVER) + SUBMISSION_PATH;
        QVERIFY(address.startsWith(prefix));
        const QByteArray record = decodeSubmission(address.mid(prefix.size()));
        QVERIFY2(record.startsWith("[NBX][" VANTOR_VERSION "][6.02.22][1234]["), record.constData());
        QVERIFY(record.contains(QString("][%1][%2][").arg(nbx).arg(fps).toLatin1()));
        QVERIFY(record.contains(":GPU X:["));
        QCOMPARE(measurements, 1);  // the clock of the opening is reused
    }

    void disturbancesCancel_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Esc in the view") << 0;
        QTest::newRow("Esc in the dialog") << 1;
        QTest::newRow("Cancel button") << 2;
        QTest::newRow("main window deactivated") << 3;
        QTest::newRow("menu opened") << 4;
    }

    void disturbancesCancel() {
        QFETCH(int, how);
        bench().rounds = 3;
        bench().runMilliseconds = 600000;  // never ends by itself here
        BenchmarkDialog* d = openBenchmark();
        QVERIFY(d);
        child<QPushButton>(d, "start")->click();
        QCOMPARE(world().benchmarkRunning, 1);
        QTRY_VERIFY(world().SIMULATION_TIME > 0);

        Shown stopped;
        answerNextBox(&stopped);
        QMenu* menu = w().menuBar()->actions().first()->menu();
        switch (how) {
            case 0: QTest::keyClick(w().viewWidget(), Qt::Key_Escape); break;
            case 1: QTest::keyClick(d, Qt::Key_Escape); break;
            case 2: child<QPushButton>(d, "cancel")->click(); break;
            case 3: d->activateWindow(); break;
            case 4: menu->popup(w().mapToGlobal(QPoint(0, 0))); break;
        }
        QTRY_COMPARE(stopped.text, QString("Benchmark not completed!"));
        menu->close();
        QCOMPARE(stopped.title, QString("Vantor Benchmark"));
        QCOMPARE(stopped.icon, QMessageBox::Critical);
        QCOMPARE(world().benchmarkRunning, 0);
        QCOMPARE(world().simulationRunning, 0);
        QCOMPARE(world().OBJECTS_N, 0);
        QCOMPARE(BenchmarkDialog::instance(), d);  // stopped, not closed
        QVERIFY(child<QPushButton>(d, "start")->isEnabled());
        QCOMPARE(child<QPushButton>(d, "cancel")->text(), QString("&Close"));
        QCOMPARE(resultsText(d), QString("Benchmark not performed yet."));
        QCOMPARE(bench().lastNbxMark, -1);

        child<QPushButton>(d, "cancel")->click();  // now it closes
        QTRY_VERIFY(!BenchmarkDialog::instance());
    }

    void closeBoxDiscardsTheRun() {
        bench().runMilliseconds = 600000;
        BenchmarkDialog* d = openBenchmark();
        child<QPushButton>(d, "start")->click();
        QCOMPARE(world().benchmarkRunning, 1);
        d->close();
        QTRY_VERIFY(!BenchmarkDialog::instance());
        QCOMPARE(world().benchmarkRunning, 0);
        QCOMPARE(world().OBJECTS_N, 0);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void viewOfWrongSizeIsRefused() {
        // The window cannot narrow to a 600-pixel view.
        w().setMinimumWidth(w().width() + 60);
        BenchmarkDialog* d = openBenchmark();
        Shown refused;
        answerNextBox(&refused);
        child<QPushButton>(d, "start")->click();
        QTRY_VERIFY(!refused.text.isEmpty());
        QCOMPARE(refused.text, QString("Benchmark will not run until Vantor window is completely visible!"));
        QCOMPARE(refused.icon, QMessageBox::Critical);
        QVERIFY(w().viewWidget()->width() != 600);
        QCOMPARE(world().benchmarkRunning, 0);
        QCOMPARE(world().simulationRunning, 0);
        QVERIFY(child<QPushButton>(d, "start")->isEnabled());
        QCOMPARE(child<QPushButton>(d, "cancel")->text(), QString("&Close"));

        // Back to a window that fits: the view is ready.
        w().setMinimumSize(0, 0);
        w().prepareBenchmarkView();
        QVERIFY(w().benchmarkViewReady());
    }

    void changedSceneryAsksFirst() {
        QCOMPARE(w().openScenery(110, "heliocentric", false), 6);
        world().sceneryModified = 1;
        BenchmarkDialog* d = openBenchmark();
        Shown asked;
        answerNextBox(&asked);  // Cancel
        child<QPushButton>(d, "start")->click();
        QCOMPARE(asked.text, QString("Scenery changed! Do you want to save it?"));
        QCOMPARE(world().benchmarkRunning, 0);
        QVERIFY(world().OBJECTS_N != 100);
        QVERIFY(child<QPushButton>(d, "start")->isEnabled());
    }
};

QTEST_MAIN(BenchmarkDialogTest)
#include "benchmark_dialog_test.moc"
