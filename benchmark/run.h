// The benchmark sequence: three rounds of a frame-rate run and a computation
// run on the built-in benchmark scenery, each score the best of its runs.
//
// The sequence is a small state machine stepped from outside, so that a
// dialog can drive it from its timer and a headless front end can drive it
// from a loop (benchmark/headless.h):
//
//   Start button or Enter      -> startBenchmark
//   TIMER_BENCHMARK tick       -> benchmarkTimerTick
//   Cancel button, Escape, or
//   closing the dialog         -> stopBenchmark
//
// Each returns a BenchmarkEvent that says what the front end shows next.
// Between ticks the program's own run loop steps and paints the scenery; it
// must keep world.stepsPerFrame as set here while world.benchmarkRunning is
// set (no frame-rate adaptation), and ignore every key but Escape.
#pragma once

#include <cstdint>

#include "engine/world.h"

namespace vantor {

constexpr int TIMER_BENCHMARK = 674;
constexpr int BENCHMARK_ROUNDS = 3;
constexpr int BENCHMARK_RUN_MILLISECONDS = 10000;
constexpr int BENCHMARK_FRAME_STEPS = 5;             // steps per frame of a frame-rate run
constexpr int BENCHMARK_COMPUTATION_STEPS = 500000;  // steps per frame of a computation run
constexpr const char* BENCHMARK_FILE_NAME = "benchmark.nbx";

// benchmarkPhase values, also the kinds of run.
constexpr int BENCHMARK_PHASE_NONE = 0;
constexpr int BENCHMARK_FRAME_RATE_RUN = 1;
constexpr int BENCHMARK_COMPUTATION_RUN = 2;

// Results of startBenchmarkRun and finishBenchmarkRun.
constexpr int BENCHMARK_VIEW_NOT_READY = -1;
constexpr int BENCHMARK_SCENERY_NOT_OPENED = -2;
constexpr int BENCHMARK_BYTE_SUM_FAILED = -3;
constexpr int BENCHMARK_RUN_IN_PROGRESS = -4;

// What the benchmark needs from the program around it.
class BenchmarkHost {
public:
    virtual ~BenchmarkHost() = default;

    // Opens built-in example 111 under the file name "benchmark.nbx" as
    // opening any scenery does (offering to save a changed scenery first;
    // the work partition and projection follow). False unless it opened.
    virtual bool openBenchmarkScenery() = 0;

    // Leaves fullscreen, sizes the view to 600 by 350 pixels, shows
    // BENCHMARK_IN_PROGRESS_TEXT in the status bar and focuses the main window.
    virtual void prepareView() {}

    // Whether the view measures 600 by 350 and is completely visible.
    virtual bool benchmarkViewReady() { return true; }

    // TIMER_BENCHMARK: one tick after this many milliseconds, then every as many.
    virtual void startBenchmarkTimer(int milliseconds) = 0;
    virtual void stopBenchmarkTimer() = 0;

    // The run loop's setRunning: 1 runs, 0 pauses (pausing also restores the
    // normal process and worker priorities).
    virtual void setRunning(int mode) = 0;

    // High process priority class and highest worker thread priority.
    virtual void raisePriority() {}

    // The New command with sceneryModified already cleared: no question, an
    // empty scenery afterwards.
    virtual void discardScenery() = 0;

    // The high-resolution counter: ticks per second (0: none) and a reading.
    virtual int64_t counterFrequency();
    virtual bool readCounter(int64_t& value);

    // Byte sum of the built-in benchmark scenery text as found now; -1 when
    // it cannot be found.
    virtual int64_t benchmarkSceneryByteSum();
};

// Figures of the last finished run, kept for reports beyond the scores.
struct BenchmarkRunFigures {
    int kind = BENCHMARK_PHASE_NONE;
    int64_t value = -1;   // the run's value; -1 when discarded
    double steps = 0;     // simulated time / time step
    double seconds = 0;   // counter difference / frequency; 0 without a counter
    int64_t objects = 0;  // objects of the current configuration
};

// The benchmark state; the program keeps one for its lifetime, since the
// last scores outlive the dialog.
struct Benchmark {
    // Settings; a test or the headless front end may shorten them.
    int rounds = BENCHMARK_ROUNDS;
    int runMilliseconds = BENCHMARK_RUN_MILLISECONDS;

    // Scores of the last completed benchmark; -1: not performed.
    int64_t lastNbxMark = -1;
    int64_t lastMaxFps = -1;

    // The benchmark in progress.
    int benchmarkPhase = BENCHMARK_PHASE_NONE;
    int roundsLeft = 0;
    int64_t bestFrameRate = -1;
    int64_t bestComputation = -1;
    double bestComputationStepsPerSecond = 0;  // of the best computation run
    int64_t bestComputationObjects = 0;

    // The run in progress.
    bool runInProgress = false;
    int runKind = BENCHMARK_PHASE_NONE;
    bool counterAvailable = false;
    int64_t counterFrequency = 0;
    int64_t counterStart = 0;
    double simulationTimeAtStart = 0;  // s

    BenchmarkRunFigures lastRun;
};

// What the front end does after a call.
enum class BenchmarkEvent {
    None,          // nothing was in progress: the Cancel button closes the dialog
    Started,       // the first run began: disable Start, the Cancel button reads "&Cancel"
    ViewNotReady,  // reset the buttons, show BENCHMARK_VIEW_NOT_READY_TEXT (stop icon), focus the dialog
    NotStarted,    // the benchmark scenery was not opened (the save question was cancelled)
    NextRun,       // a run ended and the next one began
    Completed,     // scores stored: show benchmarkCompletedText (information icon), refresh the
                   // results box and the submit button, reset the buttons, focus the comments
    NotCompleted,  // stopped, or the byte-sum test failed: reset the buttons, focus the dialog,
                   // show BENCHMARK_NOT_COMPLETED_TEXT (stop icon)
    Ended,         // a later run could not start: reset the buttons, nothing shown
};

// The Start button.
BenchmarkEvent startBenchmark(Benchmark& bench, World& world, BenchmarkHost& host);

// The TIMER_BENCHMARK tick: finishes the run in progress and starts the next.
BenchmarkEvent benchmarkTimerTick(Benchmark& bench, World& world, BenchmarkHost& host);

// Cancel, Escape or closing the dialog: finishes the run in progress and
// discards its value (NotCompleted), or does nothing (None).
BenchmarkEvent stopBenchmark(Benchmark& bench, World& world, BenchmarkHost& host);

// Starts one run of the given kind: 0 started, BENCHMARK_VIEW_NOT_READY,
// BENCHMARK_SCENERY_NOT_OPENED, or BENCHMARK_RUN_IN_PROGRESS.
int startBenchmarkRun(Benchmark& bench, World& world, BenchmarkHost& host, int kind);

// Finishes the run in progress: its value (0 or more), or
// BENCHMARK_BYTE_SUM_FAILED (the benchmark is then over). With no run in
// progress it does nothing and returns 0.
int64_t finishBenchmarkRun(Benchmark& bench, World& world, BenchmarkHost& host);

// Whether both last scores exist (the submit button is enabled).
bool benchmarkResultsAvailable(const Benchmark& bench);

// Byte sum of the built-in benchmark scenery text; -1 when it is missing.
int64_t builtInBenchmarkByteSum();

}  // namespace vantor
