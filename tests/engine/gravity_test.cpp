#include "engine/gravity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "tests/support/cluster.h"

namespace vantor {
namespace {

TEST(Gravity, TwoBodiesOneStepMatchesHandComputation) {
    World w;
    WorkerPool pool;
    createWorkerPool(pool, w, 1);
    add(w, 1, {0, 0, 0});
    add(w, 1, {1, 0, 0});
    w.SIMULATION_TIME_STEP = 1;
    simulationStep(w, pool);
    EXPECT_DOUBLE_EQ(w.objects[0].x, G / 2);
    EXPECT_DOUBLE_EQ(w.objects[1].x, 1 - G / 2);
    EXPECT_DOUBLE_EQ(w.objects[0].vx, G);
    EXPECT_DOUBLE_EQ(w.objects[1].vx, -G);
    EXPECT_EQ(w.SIMULATION_TIME, 1.0);
}

TEST(Gravity, PerpendicularForceKeepsTheSpeed) {
    World w;
    WorkerPool pool;
    createWorkerPool(pool, w, 1);
    add(w, 2e30, {0, 0, 0});
    ObjectRecord& planet = add(w, 1, {1.5e11, 0, 0}, {0, 29780, 0});
    simulationStep(w, pool);
    double speed = std::sqrt(planet.vx * planet.vx + planet.vy * planet.vy + planet.vz * planet.vz);
    EXPECT_NEAR(speed, 29780.0, 29780.0 * 1e-15);
    EXPECT_LT(planet.vx, 0.0);  // it turned toward the sun
}

TEST(Gravity, ObjectAtRestWithoutForceStaysFinite) {
    World w;
    WorkerPool pool;
    createWorkerPool(pool, w, 1);
    add(w, 5, {1, 2, 3});
    simulationStep(w, pool);
    EXPECT_EQ(w.objects[0].x, 1.0);
    EXPECT_EQ(w.objects[0].vx, 0.0);
    EXPECT_EQ(w.collisionDetected, 0);
}

struct PartitionCase {
    int n, processors, workers;
    std::vector<PairRange> pairs;
    std::vector<ObjectRange> objects;
};

TEST(Gravity, PartitionOfWorkersObjectsAndPairs) {
    const PartitionCase cases[] = {
        {4, 2, 1, {}, {}},
        {5, 2, 2, {{0, 1, 5}, {1, 3, 5}}, {{0, 3, 3}, {3, 5, 2}}},
        {7, 4, 4, {{0, 1, 6}, {1, 2, 5}, {2, 3, 5}, {3, 5, 5}}, {{0, 2, 2}, {2, 4, 2}, {4, 6, 2}, {6, 7, 1}}},
        {100, 1, 1, {}, {}},
        {6, 8, 3, {{0, 1, 5}, {1, 2, 5}, {2, 4, 5}}, {{0, 2, 2}, {2, 4, 2}, {4, 6, 2}}},
    };
    for (const PartitionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "N=" << c.n << " P=" << c.processors);
        World w;
        fillCluster(w, c.n);
        WorkerPool pool;
        ASSERT_EQ(createWorkerPool(pool, w, c.processors), 1);
        EXPECT_EQ(pool.workerCount, c.workers);
        EXPECT_EQ(pool.threadLimit, c.workers);
        for (size_t t = 0; t < c.pairs.size(); ++t) {
            EXPECT_EQ(pool.pairRanges[t].i, c.pairs[t].i) << t;
            EXPECT_EQ(pool.pairRanges[t].j, c.pairs[t].j) << t;
            EXPECT_EQ(pool.pairRanges[t].count, c.pairs[t].count) << t;
            EXPECT_EQ(pool.objectRanges[t].start, c.objects[t].start) << t;
            EXPECT_EQ(pool.objectRanges[t].end, c.objects[t].end) << t;
            EXPECT_EQ(pool.objectRanges[t].count, c.objects[t].count) << t;
        }
    }
}

TEST(Gravity, PairRangesCoverEveryPairOnceForLargeSceneries) {
    World w;
    w.OBJECTS_N = 50000;
    WorkerPool pool;
    ASSERT_EQ(createWorkerPool(pool, w, 3), 1);
    ASSERT_EQ(pool.workerCount, 3);
    int64_t total = 0;
    for (int t = 0; t < 3; ++t) total += pool.pairRanges[t].count;
    EXPECT_EQ(total, int64_t{50000} * 49999 / 2);
    // Each range starts where the previous one ended.
    for (int t = 0; t < 2; ++t) {
        int i = pool.pairRanges[t].i, j = pool.pairRanges[t].j;
        int64_t skip = pool.pairRanges[t].count;
        while (skip > 0) {
            int64_t inRow = 50000 - j;
            if (skip < inRow) {
                j += static_cast<int>(skip);
                skip = 0;
            } else {
                skip -= inRow;
                ++i;
                j = i + 1;
            }
        }
        EXPECT_EQ(pool.pairRanges[t + 1].i, i);
        EXPECT_EQ(pool.pairRanges[t + 1].j, j);
    }
}

// A cluster after `steps` steps with a given worker count: positions and
// velocities, and what the pool says each step ran on.
struct ClusterRun {
    std::vector<double> state;       // x, y, z, vx, vy, vz of each object
    std::vector<int> stepWorkers;    // the workers of each step
    int secondWorkersObjects = 0;    // objects in worker 1's range
    int64_t secondWorkersPairs = 0;  // pairs in worker 1's range
};

ClusterRun runCluster(int n, int processors, int workers, int steps, int disableFirst = 0) {
    World w;
    fillCluster(w, n);
    for (int k = 0; k < disableFirst; ++k) w.objects[k].disabled = 1;
    WorkerPool pool;
    createWorkerPool(pool, w, processors);
    pool.workersFixed = true;
    pool.workerCount = workers;
    partitionRanges(pool, w);
    ClusterRun run;
    for (int s = 0; s < steps; ++s) {
        simulationStep(w, pool);
        run.stepWorkers.push_back(stepWorkers(pool));
    }
    if (workers > 1) {
        run.secondWorkersObjects = pool.objectRanges[1].count;
        run.secondWorkersPairs = pool.pairRanges[1].count;
    }
    for (int k = 0; k < n; ++k) {
        run.state.insert(run.state.end(), {w.objects[k].x, w.objects[k].y, w.objects[k].z, w.objects[k].vx,
                                           w.objects[k].vy, w.objects[k].vz});
    }
    return run;
}

// The largest difference of positions and of velocities, each relative to
// the cluster's scale (1e9 m, 300 m/s).
std::pair<double, double> worstDifference(const ClusterRun& a, const ClusterRun& b) {
    double position = 0, velocity = 0;
    for (size_t k = 0; k < a.state.size(); k += 6) {
        for (int c = 0; c < 3; ++c) {
            position = std::max(position, std::fabs(a.state[k + c] - b.state[k + c]) / 1e9);
            velocity = std::max(velocity, std::fabs(a.state[k + 3 + c] - b.state[k + 3 + c]) / 300);
        }
    }
    return {position, velocity};
}

TEST(Gravity, OneAndSeveralWorkersAgreeToRounding) {
    const ClusterRun one = runCluster(500, 1, 1, 100);
    for (int workers : {2, 3, 4}) {
        SCOPED_TRACE(testing::Message() << workers << " workers");
        const ClusterRun many = runCluster(500, 4, workers, 100);
        ASSERT_EQ(many.state.size(), one.state.size());
        EXPECT_EQ(many.stepWorkers, std::vector<int>(100, workers));
        const auto [position, velocity] = worstDifference(many, one);
        EXPECT_LT(position, 1e-12);
        EXPECT_LT(velocity, 1e-12);
    }
}

TEST(Gravity, SameWorkerCountIsBitIdenticalRunToRun) {
    for (int workers : {1, 2, 3}) {
        const ClusterRun a = runCluster(300, 3, workers, 30);
        const ClusterRun b = runCluster(300, 3, workers, 30);
        EXPECT_EQ(std::memcmp(a.state.data(), b.state.data(), a.state.size() * sizeof(double)), 0)
            << workers << " workers";
    }
}

TEST(Gravity, FixedCountIsTheCountThatComputesAtEverySize) {
    // No size steps on fewer workers than a fixed count: two workers fixed
    // take part in every step, small scenery or large, the second with
    // objects and pairs of its own; a pool of two fixed at one steps
    // exactly as a pool of one.
    for (int n : {10, 100, 300}) {
        SCOPED_TRACE(n);
        const ClusterRun solo = runCluster(n, 1, 1, 20);
        const ClusterRun pair = runCluster(n, 2, 2, 20);
        const ClusterRun pairFixedAtOne = runCluster(n, 2, 1, 20);
        EXPECT_EQ(pair.stepWorkers, std::vector<int>(20, 2));
        EXPECT_GT(pair.secondWorkersObjects, 0);
        EXPECT_GT(pair.secondWorkersPairs, 0);
        const auto [position, velocity] = worstDifference(pair, solo);
        EXPECT_LT(position, 1e-12);
        EXPECT_LT(velocity, 1e-12);
        EXPECT_EQ(pairFixedAtOne.stepWorkers, std::vector<int>(20, 1));
        EXPECT_EQ(std::memcmp(solo.state.data(), pairFixedAtOne.state.data(), solo.state.size() * sizeof(double)), 0);
    }
}

TEST(Gravity, DisabledObjectNeitherMovesNorAttracts) {
    // Disabling object 0 must give the same motion as a scenery without it.
    World without;
    fillCluster(without, 41);
    for (int processors : {1, 2, 4}) {
        SCOPED_TRACE(processors);
        World with;
        fillCluster(with, 41);
        with.objects[0].disabled = 1;
        const ObjectRecord before = with.objects[0];
        WorkerPool poolWith;
        createWorkerPool(poolWith, with, processors);
        poolWith.workersFixed = true;  // every worker, even for so few objects

        World ref;
        for (int k = 1; k < 41; ++k) ref.objects[k - 1] = with.objects[k];
        ref.OBJECTS_N = 40;
        WorkerPool poolRef;
        createWorkerPool(poolRef, ref, 1);

        for (int s = 0; s < 5; ++s) {
            simulationStep(with, poolWith);
            simulationStep(ref, poolRef);
        }
        EXPECT_EQ(with.objects[0].x, before.x);
        EXPECT_EQ(with.objects[0].vx, before.vx);
        for (int k = 1; k < 41; ++k) EXPECT_NEAR(with.objects[k].x, ref.objects[k - 1].x, 1e9 * 1e-13);
    }
}

struct CollisionWorld {
    World w;
    WorkerPool pool;
    CollisionWorld(int processors, bool allow, int extra) {
        fillCluster(w, extra);
        add(w, 1e24, {5e9, 5e9, 5e9});
        add(w, 1e24, {5e9, 5e9, 5e9});  // the same point
        w.ALLOW_OBJECT_COLLISIONS = allow ? 1 : 0;
        createWorkerPool(pool, w, processors);
        pool.workersFixed = true;  // every worker, even for so few objects
    }
};

TEST(Gravity, CollisionAllowedDisablesBothAndCounts) {
    for (int processors : {1, 2, 4}) {
        SCOPED_TRACE(processors);
        CollisionWorld c(processors, true, 20);
        const double x0 = c.w.objects[0].x;
        simulationStep(c.w, c.pool);
        EXPECT_EQ(c.w.objects[20].disabled, 1);
        EXPECT_EQ(c.w.objects[21].disabled, 1);
        EXPECT_EQ(c.w.COLLISION_COUNTER, 2);
        EXPECT_EQ(c.w.collisionDetected, 0);
        EXPECT_NE(c.w.objects[0].x, x0);  // the rest went on
        EXPECT_TRUE(std::isfinite(c.w.objects[0].x));
    }
}

TEST(Gravity, CollisionNotAllowedLeavesTheStateBeforeTheStep) {
    for (int processors : {1, 2, 4}) {
        SCOPED_TRACE(processors);
        CollisionWorld c(processors, false, 20);
        std::vector<ObjectRecord> before(c.w.objects.get(), c.w.objects.get() + c.w.OBJECTS_N);
        simulationStep(c.w, c.pool);
        EXPECT_EQ(c.w.collisionDetected, 1);
        EXPECT_EQ(c.w.SIMULATION_TIME, 10.0);
        for (int k = 0; k < c.w.OBJECTS_N; ++k) {
            EXPECT_EQ(c.w.objects[k].x, before[k].x) << k;
            EXPECT_EQ(c.w.objects[k].vz, before[k].vz) << k;
            EXPECT_EQ(c.w.objects[k].disabled, 0) << k;
        }
        simulationStep(c.w, c.pool);  // again without a reset: still a collision
        EXPECT_EQ(c.w.collisionDetected, 1);
        EXPECT_EQ(c.w.objects[0].x, before[0].x);
    }
}

TEST(Gravity, RelativisticMassAndFasterThanLight) {
    World w;
    WorkerPool pool;
    createWorkerPool(pool, w, 1);
    w.CALCULATE_RELATIVISTIC_MASSES = 1;
    add(w, 2, {0, 0, 0}, {0.6 * SPEED_OF_LIGHT, 0, 0});
    add(w, 2, {1e12, 0, 0});
    simulationStep(w, pool);
    EXPECT_NEAR(w.objects[0].relativisticMass, 2.5, 1e-12);
    EXPECT_NEAR(w.objects[0].gravParam, 2.5 * G, 1e-22);
    EXPECT_EQ(w.objects[1].relativisticMass, 2.0);

    // Faster than light, met in the first phase, with several workers too.
    for (int processors : {1, 2, 4}) {
        for (bool allow : {true, false}) {
            SCOPED_TRACE(testing::Message() << processors << " allow=" << allow);
            CollisionWorld c(processors, allow, 30);
            c.w.objects[31].x = 7e9;  // the pair no longer meets
            c.w.CALCULATE_RELATIVISTIC_MASSES = 1;
            c.w.objects[3].vx = 1.5 * SPEED_OF_LIGHT;
            const double x5 = c.w.objects[5].x;
            simulationStep(c.w, c.pool);
            if (allow) {
                EXPECT_EQ(c.w.objects[3].disabled, 1);
                EXPECT_EQ(c.w.COLLISION_COUNTER, 1);
                EXPECT_NE(c.w.objects[5].x, x5);
            } else {
                EXPECT_EQ(c.w.collisionDetected, 1);
                EXPECT_EQ(c.w.objects[5].x, x5);
            }
        }
    }
}

TEST(Gravity, ActiveMasslessObjectIsACollisionNotANaN) {
    // A file may force a zero-mass object active; integrating it would spread
    // not-a-numbers to every other object in the next step.
    World w;
    WorkerPool pool;
    createWorkerPool(pool, w, 1);
    w.ALLOW_OBJECT_COLLISIONS = 1;
    add(w, 1e24, {0, 0, 0});
    add(w, 0, {1e8, 0, 0});
    add(w, 1e24, {-1e8, 0, 0});
    simulationStep(w, pool);
    simulationStep(w, pool);
    EXPECT_EQ(w.objects[1].disabled, 1);
    EXPECT_EQ(w.COLLISION_COUNTER, 1);
    EXPECT_TRUE(std::isfinite(w.objects[0].x));
    EXPECT_TRUE(std::isfinite(w.objects[2].x));
}

TEST(Gravity, PoolFollowsACountChangedWithoutRepartition) {
    World w;
    fillCluster(w, 200);
    WorkerPool pool;
    createWorkerPool(pool, w, 2);
    pool.workersFixed = true;
    w.OBJECTS_N = 60;
    simulationStep(w, pool);  // must stay within the 60 objects in use
    EXPECT_TRUE(std::isfinite(w.objects[59].x));
    EXPECT_EQ(pool.workerCount, 2);
}

}  // namespace
}  // namespace vantor
