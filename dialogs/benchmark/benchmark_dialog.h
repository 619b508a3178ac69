// "Vantor Computer Benchmark": the modeless dialog that runs the benchmark
// in the main window's view, shows the system and the last scores, and
// submits them through the browser.
#pragma once

#include <QDialog>
#include <QTimer>

#include "benchmark/run.h"
#include "benchmark/submission.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantor {

class AppContext;
class SystemInformationLine;

// The benchmark's state for the program's lifetime: the last scores
// outlive the dialog, and a submission reuses the measured clock.
struct BenchmarkSession {
    Benchmark bench;                    // settings (tests shorten them) and scores
    SystemState system;                 // the processor clock
    SystemProbe probe = systemProbe();  // the platform queries; tests replace them
};

BenchmarkSession& benchmarkSession();

// The runs as the main window carries them out; TIMER_BENCHMARK is the
// dialog's timer.
class ShellBenchmarkHost : public BenchmarkHost {
public:
    ShellBenchmarkHost(AppContext& app, QTimer& timer) : app_(app), timer_(timer) {}

    bool openBenchmarkScenery() override;
    void prepareView() override;
    bool benchmarkViewReady() override;
    void startBenchmarkTimer(int milliseconds) override;
    void stopBenchmarkTimer() override;
    void setRunning(int mode) override;
    void raisePriority() override;
    void discardScenery() override;

private:
    AppContext& app_;
    QTimer& timer_;
};

class BenchmarkDialog : public QDialog {
    Q_OBJECT
public:
    // Opens the dialog, or gives the open one the focus.
    static void open(AppContext& app);
    // The open dialog, if any.
    static BenchmarkDialog* instance();

    ~BenchmarkDialog() override;

    void start();          // "&Start" or Enter
    void cancelOrClose();  // "&Cancel"/"&Close" or Escape
    void cancelRun();      // stops the run in progress with "Benchmark not completed!"
    void submitResults();  // "Su&bmit benchmark results"

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    explicit BenchmarkDialog(AppContext& app);
    void timerTick();
    void resetButtons();
    void focusDialog();
    void refreshResults();
    void showStopMessage();
    void showProgress();  // the round and the kind of run in progress
    // The main window's frame as the runs will fit it.
    QRect mainFrameDuringRuns();
    WaitIndicator cpuWaitIndicator();

    AppContext& app_;
    QTimer timer_;
    ShellBenchmarkHost host_;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* submit_ = nullptr;
    SystemInformationLine* systemInformation_ = nullptr;
    QPlainTextEdit* lastResults_ = nullptr;
    QLabel* progress_ = nullptr;
    QLineEdit* comments_ = nullptr;
    // A stop's message is on its way; a click that caused the stop must not
    // also close the dialog.
    bool stopMessagePending_ = false;
    bool appGone_ = false;
};

}  // namespace vantor
