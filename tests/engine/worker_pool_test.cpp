// The worker pool when the number of workers changes from step to step.
// Under the thread sanitizer this is where a thread left out of one step
// could act on the next step's parameters.
#include "engine/gravity.h"

#include <gtest/gtest.h>

#include <cstring>

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
    pool.soloBelow = 0;  // several workers even for so few objects
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

}  // namespace
}  // namespace vantor
