// The worker pool when the number of workers changes from step to step, by
// repartitioning or by the pool's own measurements. Under the thread
// sanitizer this is where a thread left out of one step could act on the
// next step's parameters.
#include "engine/gravity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/cluster.h"

namespace vantor {
namespace {

// Seven bodies; the first five alone take two workers, all seven four.
void fillSeven(World& w) {
    newScenery(w);
    w.OBJECTS_N = 7;
    for (int i = 0; i < w.OBJECTS_N; ++i) {
        ObjectRecord& o = w.objects[i];
        o.mass = 1e24;
        o.x = i * 1e9;
        o.y = (i % 3) * 7e8;
        o.z = (i % 2) * 5e8;
    }
}

// Steps with the count alternating between 7 and 5, repartitioned each time
// as editing objects does, so that threads join and leave step by step.
void runAlternating(World& w, int steps) {
    WorkerPool pool;
    ASSERT_EQ(createWorkerPool(pool, w, 4), 1);
    pool.workersFixed = true;  // exactly that many workers, even for so few objects
    for (int k = 0; k < steps; ++k) {
        w.OBJECTS_N = k % 2 == 0 ? 7 : 5;
        partitionWork(pool, w);
        ASSERT_EQ(pool.workerCount, k % 2 == 0 ? 4 : 2);
        simulationStep(w, pool);
        ASSERT_EQ(w.collisionDetected, 0) << "step " << k;
    }
}

// The thread sanitizer sees a late thread only now and then, so it gets
// many steps; elsewhere a few suffice, four threads rendezvousing at every
// step being slow on a machine with fewer processors.
#if defined(__SANITIZE_THREAD__)
constexpr int kSteps = 20000;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr int kSteps = 20000;
#else
constexpr int kSteps = 1000;
#endif
#else
constexpr int kSteps = 1000;
#endif

TEST(WorkerPool, ThreadsJoiningAndLeavingStepByStepGiveTheSameRun) {
    World first, second;
    fillSeven(first);
    fillSeven(second);
    runAlternating(first, kSteps);
    runAlternating(second, kSteps);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(std::memcmp(&first.objects[i].x, &second.objects[i].x, 6 * sizeof(double)), 0) << i;
    }
    EXPECT_EQ(first.SIMULATION_TIME, kSteps * 10.0);
}

// The clock of the pool's step timings, driven by the test: each read
// moves it on by what the step in progress is to seem to take, so that one
// worker seems faster before `flipAt` reads and two after it.
struct FakeClock {
    static inline const WorkerPool* pool = nullptr;
    static inline int64_t now = 0, reads = 0, flipAt = 0;
    static void start(const WorkerPool& p, int64_t flip) {
        pool = &p;
        now = reads = 0;
        flipAt = flip;
    }
    static int64_t read() {
        const bool oneFaster = reads++ < flipAt;
        const bool one = stepWorkers(*pool) == 1;
        const int64_t wobble = reads % 7 * 50;  // ns
        return now += (one == oneFaster ? 2000 : 6000) + wobble;
    }
};

std::vector<double> states(const World& w) {
    std::vector<double> out;
    for (int k = 0; k < w.OBJECTS_N; ++k) {
        const ObjectRecord& o = w.objects[k];
        out.insert(out.end(), {o.x, o.y, o.z, o.vx, o.vy, o.vz});
    }
    return out;
}

TEST(WorkerPool, MeasuredCountFollowsTheTimingsAndGivesTheResultsOfThatCount) {
    // The measured pool goes from two workers to one and back as the
    // timings say; a pool fixed at each step's count, set step by step,
    // gives the same states bit for bit: a step's result depends on its
    // count of workers alone, not on how the count was reached.
    World measured, replayed;
    fillCluster(measured, 100);
    fillCluster(replayed, 100);
    WorkerPool pool, fixed;
    ASSERT_EQ(createWorkerPool(pool, measured, 2), 1);
    ASSERT_EQ(createWorkerPool(fixed, replayed, 2), 1);
    fixed.workersFixed = true;
    pool.clock = FakeClock::read;
    FakeClock::start(pool, 4000);
    EXPECT_EQ(computingWorkers(pool), 2);

    std::vector<int> counts, chosen;
    for (int k = 0; k < 12000; ++k) {
        simulationStep(measured, pool);
        counts.push_back(stepWorkers(pool));
        chosen.push_back(computingWorkers(pool));
        if (fixed.workerCount != counts.back()) {
            fixed.workerCount = counts.back();
            partitionRanges(fixed, replayed);
        }
        simulationStep(replayed, fixed);
        ASSERT_EQ(stepWorkers(fixed), counts.back());
        ASSERT_EQ(states(measured), states(replayed)) << "step " << k;
    }
    EXPECT_EQ(chosen[3000], 1) << "one worker chosen while it is faster";
    EXPECT_EQ(chosen.back(), 2) << "two workers chosen again once they are faster";
    int switches = 0;
    for (size_t k = 1; k < counts.size(); ++k) switches += counts[k] != counts[k - 1] ? 1 : 0;
    EXPECT_GE(switches, 2);
}

TEST(WorkerPool, FixedCountIsNeverMeasuredNorChanged) {
    // Timings that favour one worker change nothing when the count is fixed:
    // the clock is not even read, and the run is that of a plain fixed pool.
    World a, b;
    fillCluster(a, 100);
    fillCluster(b, 100);
    WorkerPool pool, plain;
    ASSERT_EQ(createWorkerPool(pool, a, 2), 1);
    ASSERT_EQ(createWorkerPool(plain, b, 2), 1);
    pool.workersFixed = plain.workersFixed = true;
    pool.clock = FakeClock::read;
    FakeClock::start(pool, 1 << 30);
    for (int k = 0; k < 3000; ++k) {
        simulationStep(a, pool);
        simulationStep(b, plain);
        ASSERT_EQ(stepWorkers(pool), 2);
        ASSERT_EQ(computingWorkers(pool), 2);
    }
    EXPECT_EQ(FakeClock::reads, 0);
    EXPECT_EQ(states(a), states(b));

    // A new setting takes effect at once, and holds as firmly.
    pool.workerCount = 1;
    partitionRanges(pool, a);
    simulationStep(a, pool);
    EXPECT_EQ(stepWorkers(pool), 1);
    EXPECT_EQ(computingWorkers(pool), 1);
    EXPECT_EQ(FakeClock::reads, 0);
}

}  // namespace
}  // namespace vantor
