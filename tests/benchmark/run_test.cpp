#include "benchmark/run.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "benchmark/scores.h"
#include "scenery/examples.h"
#include "scenery/reader.h"

namespace vantor {
namespace {

// A program around the benchmark whose clock, view and scenery the test
// controls; it records what the benchmark asked of it.
class FakeHost : public BenchmarkHost {
public:
    explicit FakeHost(World& world) : world(world) {}

    bool openBenchmarkScenery() override {
        log.push_back("open");
        if (!openSucceeds) return false;
        newScenery(world);
        readScenery(world, BENCHMARK_EXAMPLE, nullptr);
        world.currentFileName = BENCHMARK_FILE_NAME;
        return true;
    }
    void prepareView() override { log.push_back("prepare"); }
    bool benchmarkViewReady() override {
        if (viewReadyAnswers.empty()) return true;
        const bool ready = viewReadyAnswers.front();
        viewReadyAnswers.pop_front();
        return ready;
    }
    void startBenchmarkTimer(int ms) override {
        log.push_back("timer " + std::to_string(ms));
        timerActive = true;
    }
    void stopBenchmarkTimer() override {
        log.push_back("timer off");
        timerActive = false;
    }
    void setRunning(int mode) override {
        world.simulationRunning = mode;
        log.push_back(mode ? "run" : "pause");
    }
    void raisePriority() override { log.push_back("priority"); }
    void discardScenery() override {
        log.push_back(world.sceneryModified ? "new (modified!)" : "new");
        newScenery(world);
    }
    int64_t counterFrequency() override { return frequency; }
    bool readCounter(int64_t& value) override {
        value = counter;
        return true;
    }
    int64_t benchmarkSceneryByteSum() override { return byteSumFound; }

    // One run of the program's loop: `steps` steps in `seconds`.
    void simulate(double steps, double seconds) {
        world.SIMULATION_TIME += steps * world.SIMULATION_TIME_STEP;
        counter += static_cast<int64_t>(seconds * static_cast<double>(frequency));
    }

    World& world;
    std::vector<std::string> log;
    bool openSucceeds = true;
    std::deque<bool> viewReadyAnswers;  // answered in turn; then always ready
    bool timerActive = false;
    int64_t frequency = 1000000;
    int64_t counter = 123456789;
    int64_t byteSumFound = expectedBenchmarkByteSum();
};

class BenchmarkRunTest : public testing::Test {
protected:
    World world;
    FakeHost host{world};
    Benchmark bench;
};

TEST_F(BenchmarkRunTest, ThreeRoundsKeepTheBestOfEachKind) {
    // Frame-rate runs: steps in 10 s -> 0.2 x steps / 10 frames/s.
    const double frameSteps[] = {5000, 15000, 10000};        // 100, 300, 200 frames/s
    const double computeSteps[] = {178500, 160000, 357000};  // about 10,000, 8,963, 20,000
    ASSERT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::Started);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(bench.benchmarkPhase, BENCHMARK_FRAME_RATE_RUN);
        EXPECT_EQ(world.stepsPerFrame, 5);
        EXPECT_EQ(world.benchmarkRunning, 1);
        EXPECT_EQ(world.simulationRunning, 1);
        EXPECT_EQ(world.DISPLAY_OBJECTS_AS_DOTS, 1);
        EXPECT_EQ(world.OBJECTS_N, 100);
        host.simulate(frameSteps[round], 10);
        ASSERT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::NextRun);
        EXPECT_EQ(bench.lastRun.value, static_cast<int64_t>(0.2 * frameSteps[round] / 10));

        EXPECT_EQ(bench.benchmarkPhase, BENCHMARK_COMPUTATION_RUN);
        EXPECT_EQ(world.stepsPerFrame, 500000);
        host.simulate(computeSteps[round], 10);
        const BenchmarkEvent e = benchmarkTimerTick(bench, world, host);
        EXPECT_EQ(e, round < 2 ? BenchmarkEvent::NextRun : BenchmarkEvent::Completed);
        // Scores appear only when the last round is done.
        EXPECT_EQ(benchmarkResultsAvailable(bench), round == 2);
    }
    EXPECT_EQ(bench.lastMaxFps, 300);
    EXPECT_EQ(bench.lastNbxMark, static_cast<int64_t>(10000.0 * calibratedStepTime(100) * 35700));
    EXPECT_NEAR(bench.bestComputationStepsPerSecond, 35700, 1e-6);
    EXPECT_EQ(bench.bestComputationObjects, 100);
    EXPECT_EQ(bench.benchmarkPhase, BENCHMARK_PHASE_NONE);
    EXPECT_EQ(world.benchmarkRunning, 0);
    EXPECT_EQ(world.simulationRunning, 0);
    EXPECT_EQ(world.OBJECTS_N, 0);  // the benchmark scenery is gone
    EXPECT_FALSE(host.timerActive);
    // Every run: open, view, timer, run, priority; then pause, timer off and
    // a New without a question.
    const std::vector<std::string> oneRun = {"open",     "prepare", "timer 10000", "run",
                                             "priority", "pause",   "timer off",   "new"};
    ASSERT_EQ(host.log.size(), 6 * oneRun.size());
    for (size_t i = 0; i < host.log.size(); ++i) EXPECT_EQ(host.log[i], oneRun[i % oneRun.size()]) << i;
}

TEST_F(BenchmarkRunTest, TheRunLengthAndRoundsCanBeShortened) {
    bench.rounds = 1;
    bench.runMilliseconds = 200;
    ASSERT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::Started);
    EXPECT_EQ(host.log[2], "timer 200");
    host.simulate(100, 0.2);
    EXPECT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::NextRun);
    host.simulate(1000, 0.2);
    EXPECT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::Completed);
    EXPECT_EQ(bench.lastMaxFps, 100);
}

TEST_F(BenchmarkRunTest, StopDiscardsTheRunAndKeepsTheEarlierScores) {
    bench.lastNbxMark = 1234;
    bench.lastMaxFps = 56;
    for (int ticksBeforeStop : {0, 1, 4}) {
        SCOPED_TRACE(ticksBeforeStop);
        ASSERT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::Started);
        for (int t = 0; t < ticksBeforeStop; ++t) {
            host.simulate(100000, 10);
            ASSERT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::NextRun);
        }
        host.simulate(100000, 5);
        EXPECT_EQ(stopBenchmark(bench, world, host), BenchmarkEvent::NotCompleted);
        EXPECT_EQ(bench.lastRun.value, -1);
        EXPECT_EQ(bench.lastNbxMark, 1234);
        EXPECT_EQ(bench.lastMaxFps, 56);
        EXPECT_EQ(bench.benchmarkPhase, BENCHMARK_PHASE_NONE);
        EXPECT_FALSE(bench.runInProgress);
        EXPECT_EQ(world.benchmarkRunning, 0);
        EXPECT_EQ(world.simulationRunning, 0);
        EXPECT_EQ(world.OBJECTS_N, 0);
        EXPECT_FALSE(host.timerActive);
        // Nothing in progress now: the button closes the dialog, a tick does nothing.
        EXPECT_EQ(stopBenchmark(bench, world, host), BenchmarkEvent::None);
        EXPECT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::None);
    }
}

TEST_F(BenchmarkRunTest, AViewThatIsNotReadyStopsTheBenchmark) {
    host.viewReadyAnswers = {false};
    EXPECT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::ViewNotReady);
    EXPECT_EQ(bench.benchmarkPhase, BENCHMARK_PHASE_NONE);
    EXPECT_FALSE(bench.runInProgress);
    EXPECT_EQ(world.benchmarkRunning, 0);
    EXPECT_EQ(world.simulationRunning, 0);
    EXPECT_FALSE(host.timerActive);

    // Ready for the first run, not for the second: the benchmark ends without a message.
    host.viewReadyAnswers = {true, false};
    ASSERT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::Started);
    host.simulate(1000, 10);
    EXPECT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::Ended);
    EXPECT_EQ(bench.benchmarkPhase, BENCHMARK_PHASE_NONE);
    EXPECT_FALSE(host.timerActive);
    EXPECT_FALSE(benchmarkResultsAvailable(bench));
    // A new Start works again.
    host.viewReadyAnswers.clear();
    EXPECT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::Started);
}

TEST_F(BenchmarkRunTest, ASceneryThatDoesNotOpenStartsNothing) {
    host.openSucceeds = false;
    EXPECT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::NotStarted);
    EXPECT_EQ(host.log, std::vector<std::string>{"open"});
    EXPECT_EQ(bench.benchmarkPhase, BENCHMARK_PHASE_NONE);
    EXPECT_EQ(world.benchmarkRunning, 0);
}

TEST_F(BenchmarkRunTest, AWrongByteSumEndsTheBenchmarkWithoutScores) {
    for (int64_t found : {static_cast<int64_t>(expectedBenchmarkByteSum()) + 1, int64_t{-1}}) {
        host.byteSumFound = expectedBenchmarkByteSum();
        ASSERT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::Started);
        host.simulate(1000, 10);
        ASSERT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::NextRun);
        host.byteSumFound = found;
        host.simulate(1000, 10);
        EXPECT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::NotCompleted) << found;
        EXPECT_EQ(bench.benchmarkPhase, BENCHMARK_PHASE_NONE);
        EXPECT_FALSE(bench.runInProgress);
        EXPECT_FALSE(host.timerActive);
        EXPECT_FALSE(benchmarkResultsAvailable(bench));
    }
}

TEST_F(BenchmarkRunTest, FinishReportsTheByteSumFailure) {
    host.byteSumFound = 7;
    ASSERT_EQ(startBenchmarkRun(bench, world, host, BENCHMARK_FRAME_RATE_RUN), 0);
    EXPECT_EQ(startBenchmarkRun(bench, world, host, BENCHMARK_FRAME_RATE_RUN), BENCHMARK_RUN_IN_PROGRESS);
    host.simulate(1000, 10);
    EXPECT_EQ(finishBenchmarkRun(bench, world, host), BENCHMARK_BYTE_SUM_FAILED);
    EXPECT_EQ(finishBenchmarkRun(bench, world, host), 0);  // nothing in progress
}

TEST_F(BenchmarkRunTest, WithoutACounterEveryRunIsWorthZero) {
    host.frequency = 0;
    bench.rounds = 1;
    ASSERT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::Started);
    host.simulate(1000, 10);
    ASSERT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::NextRun);
    host.simulate(1000, 10);
    ASSERT_EQ(benchmarkTimerTick(bench, world, host), BenchmarkEvent::Completed);
    EXPECT_EQ(bench.lastMaxFps, 0);
    EXPECT_EQ(bench.lastNbxMark, 0);
}

TEST_F(BenchmarkRunTest, StartDuringABenchmarkIsIgnored) {
    ASSERT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::Started);
    const size_t calls = host.log.size();
    EXPECT_EQ(startBenchmark(bench, world, host), BenchmarkEvent::None);
    EXPECT_EQ(host.log.size(), calls);
    EXPECT_EQ(bench.benchmarkPhase, BENCHMARK_FRAME_RATE_RUN);
}

TEST(BenchmarkScenery, TheBuiltInTextSumsToTheExpectedValue) {
    EXPECT_EQ(builtInBenchmarkByteSum(), static_cast<int64_t>(expectedBenchmarkByteSum()));
}

}  // namespace
}  // namespace vantor
