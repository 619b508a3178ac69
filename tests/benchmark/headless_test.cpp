#include "benchmark/headless.h"
#include "benchmark/offscreen.h"

#include <gtest/gtest.h>

#include <vector>

#include "scenery/examples.h"

namespace vantor {
namespace {

// A clock that moves a fixed amount at every reading, so that a run of a
// given length has a fixed number of steps however fast the machine is.
class SteppedClockHost : public HeadlessBenchmarkHost {
public:
    using HeadlessBenchmarkHost::HeadlessBenchmarkHost;
    int64_t now() override { return time += nanosecondsPerReading; }
    void idle() override {}
    int64_t time = 1000000000;
    int64_t nanosecondsPerReading = 10000;
};

struct RunSeen {
    int kind;
    int64_t value;
    double steps;
    int framesPainted;
};

class HeadlessRunTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(createWorkerPool(pool, world), 1);
        bench.rounds = 2;
        bench.runMilliseconds = 3;  // 300 clock readings per run
        host.paintOneFrame = [this](World& w) {
            EXPECT_EQ(w.benchmarkRunning, 1);
            ++frames;
        };
    }
    BenchmarkEvent run() {
        return runBenchmarkHeadless(bench, world, pool, host, [this](const Benchmark& b) {
            runs.push_back({b.lastRun.kind, b.lastRun.value, b.lastRun.steps, frames});
            frames = 0;
        });
    }
    World world;
    WorkerPool pool;
    SteppedClockHost host{world, pool};
    Benchmark bench;
    int frames = 0;
    std::vector<RunSeen> runs;
};

TEST_F(HeadlessRunTest, RunsEveryRoundAndPaintsOnlyInFrameRateRuns) {
    ASSERT_EQ(run(), BenchmarkEvent::Completed);
    ASSERT_EQ(runs.size(), 4u);
    int64_t bestFrameRate = -1, bestComputation = -1;
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(i);
        const RunSeen& r = runs[i];
        EXPECT_EQ(r.kind, i % 2 == 0 ? BENCHMARK_FRAME_RATE_RUN : BENCHMARK_COMPUTATION_RUN);
        EXPECT_GT(r.steps, 100);
        if (r.kind == BENCHMARK_FRAME_RATE_RUN) {
            // A frame after every 5 steps, but not after the first batch
            // (which marks the scenery modified) nor the cut-off last one.
            EXPECT_EQ(r.framesPainted, static_cast<int>(r.steps) / 5 - 1);
            bestFrameRate = std::max(bestFrameRate, r.value);
        } else {
            EXPECT_EQ(r.framesPainted, 0);  // 500,000 steps per frame
            bestComputation = std::max(bestComputation, r.value);
        }
        EXPECT_GT(r.value, 0);
    }
    EXPECT_EQ(bench.lastMaxFps, bestFrameRate);
    EXPECT_EQ(bench.lastNbxMark, bestComputation);
    EXPECT_EQ(world.OBJECTS_N, 0);
    EXPECT_EQ(world.simulationRunning, 0);
    EXPECT_EQ(world.benchmarkRunning, 0);
}

TEST_F(HeadlessRunTest, TheSameClockGivesTheSameScores) {
    ASSERT_EQ(run(), BenchmarkEvent::Completed);
    const int64_t nbx = bench.lastNbxMark, fps = bench.lastMaxFps;
    host.time = 1000000000;
    ASSERT_EQ(run(), BenchmarkEvent::Completed);
    EXPECT_EQ(bench.lastNbxMark, nbx);
    EXPECT_EQ(bench.lastMaxFps, fps);
}

TEST_F(HeadlessRunTest, ACancelRequestStopsTheBenchmark) {
    bench.lastNbxMark = 77;
    bench.lastMaxFps = 7;
    for (int askedBeforeCancel : {0, 50, 700}) {
        SCOPED_TRACE(askedBeforeCancel);
        int asked = 0;
        host.cancelRequested = [&] { return ++asked > askedBeforeCancel; };
        EXPECT_EQ(run(), BenchmarkEvent::NotCompleted);
        EXPECT_EQ(bench.lastNbxMark, 77);
        EXPECT_EQ(bench.lastMaxFps, 7);
        EXPECT_EQ(world.OBJECTS_N, 0);
        EXPECT_EQ(world.simulationRunning, 0);
    }
}

TEST_F(HeadlessRunTest, TheChosenWorkerCountHoldsForEveryRun) {
    host.workerCount = 1;
    std::vector<int> workers;
    host.afterSceneryLoaded = [&](World& w) {
        EXPECT_EQ(w.OBJECTS_N, 100);
        EXPECT_EQ(w.currentFileName, BENCHMARK_FILE_NAME);
        workers.push_back(pool.workerCount);
    };
    ASSERT_EQ(run(), BenchmarkEvent::Completed);
    EXPECT_EQ(workers, std::vector<int>(4, 1));
}

TEST_F(HeadlessRunTest, PriorityIsRaisedForEachRunAndRestoredAfterIt) {
    std::vector<bool> changes;
    host.setPriority = [&](bool raised) { changes.push_back(raised); };
    bench.rounds = 1;
    ASSERT_EQ(run(), BenchmarkEvent::Completed);
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true, false}));
}

TEST_F(HeadlessRunTest, FramesArePaintedOffscreenByTheProgramsPainter) {
    OffscreenFrames frames;
    frames.attach(host);
    int painted = 0, framesShowingSomething = 0;
    host.paintOneFrame = [&](World& w) {
        frames.paint(w);
        ++painted;
        const render::Surface& s = frames.surface();
        ASSERT_EQ(s.width(), BENCHMARK_VIEW_WIDTH);
        ASSERT_EQ(s.height(), BENCHMARK_VIEW_HEIGHT);
        bool lit = false;
        for (int y = 0; y < s.height() && !lit; ++y) {
            for (int x = 0; x < s.width() && !lit; ++x) lit = (s.pixel(x, y) & 0xffffff) != 0;
        }
        framesShowingSomething += lit;
    };
    bench.rounds = 1;
    ASSERT_EQ(run(), BenchmarkEvent::Completed);
    EXPECT_GT(painted, 0);
    EXPECT_EQ(framesShowingSomething, painted);
}

}  // namespace
}  // namespace vantor
