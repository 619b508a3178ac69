#include "engine/runcontrol.h"

#include <gtest/gtest.h>

#include "tests/engine/cluster.h"

namespace vantor {
namespace {

std::tm at(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(RunControl, SeparateAutosaveNamesSplitTheFileNameOnly) {
    const std::tm t = at(2006, 5, 15, 14, 30, 5);
    const struct { const char* path; const char* expected; } cases[] = {
        {"/sims/orbit.nbx", "/sims/orbit_20060515-143005.nbx"},
        {"orbit.nbx", "orbit_20060515-143005.nbx"},
        {"/home/me/my.sims/orbit", "/home/me/my.sims/orbit_20060515-143005"},
        {"/sims/orbit.v2.nbx", "/sims/orbit.v2_20060515-143005.nbx"},
        {"noext", "noext_20060515-143005"},
    };
    for (auto c : cases) EXPECT_EQ(separateAutosaveName(c.path, t), c.expected) << c.path;
}

TEST(RunControl, AutosaveTimestampText) {
    EXPECT_EQ(autosaveTimestampText(at(2006, 5, 15, 14, 30, 5)), "Autosave timestamp: 14:30h, 2006-5-15");
    EXPECT_EQ(autosaveTimestampText(at(2026, 12, 9, 9, 5, 0)), "Autosave timestamp: 9:5h, 2026-12-9");
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

TEST(RunControl, StatusPartsShowTheRunState) {
    World w;
    w.INIT_OBJECTS_N = 201;
    w.OBJECTS_N = 202;
    w.COLLISION_COUNTER = 3;
    WorkerPool pool;
    ASSERT_EQ(createWorkerPool(pool, w, 4), 1);
    pool.workersFixed = true;
    ASSERT_EQ(pool.workerCount, 4);
    auto parts = statusRunParts(w, pool);
    EXPECT_EQ(parts[0], "\tPaused");
    EXPECT_EQ(parts[1], "\tNi=201");
    EXPECT_EQ(parts[2], "\tN=202");
    EXPECT_EQ(parts[3], "\t4 threads");
    EXPECT_EQ(parts[4], "CC=3");
    w.simulationRunning = 1;
    pool.workerCount = 1;
    parts = statusRunParts(w, pool);
    EXPECT_EQ(parts[0], "\tRunning");
    EXPECT_EQ(parts[3], "\t1 thread");
}

// Step timings in which one worker is three times faster than two.
const WorkerPool* timedPool = nullptr;
int64_t oneWorkerFaster() {
    static int64_t now = 0;
    return now += stepWorkers(*timedPool) == 1 ? 1000 : 3000;
}

TEST(RunControl, StatusPartShowsTheWorkersThatCompute) {
    // Two workers allowed, one measured faster: the status shows one.
    World w;
    fillCluster(w, 100);
    WorkerPool pool;
    ASSERT_EQ(createWorkerPool(pool, w, 2), 1);
    pool.clock = oneWorkerFaster;
    timedPool = &pool;
    EXPECT_EQ(statusRunParts(w, pool)[3], "\t2 threads");  // nothing measured yet
    for (int k = 0; k < 20000 && computingWorkers(pool) != 1; ++k) simulationStep(w, pool);
    EXPECT_EQ(pool.workerCount, 2);
    EXPECT_EQ(statusRunParts(w, pool)[3], "\t1 thread");
}

TEST(RunControl, FrameRateMeasurementPrimesThenAdapts) {
    World w;
    w.FPS_DESIRED = 50;
    w.stepsPerFrame = 40;
    w.frameCounter = 77;
    measureFpsAndAdapt(w, 1.0);  // paused: nothing but un-priming
    EXPECT_EQ(w.stepsPerFrame, 40);
    w.simulationRunning = 1;
    measureFpsAndAdapt(w, 1.0);  // primes
    EXPECT_EQ(w.frameCounter, 0u);
    EXPECT_EQ(w.stepsPerFrame, 40);
    w.frameCounter = 100;
    measureFpsAndAdapt(w, 1.0);
    EXPECT_EQ(w.measuredFps, 100);
    EXPECT_EQ(w.stepsPerFrame, 80);
    w.frameCounter = 1;
    measureFpsAndAdapt(w, 1.0);
    EXPECT_EQ(w.stepsPerFrame, 5);
    w.benchmarkRunning = 1;
    w.frameCounter = 500;
    measureFpsAndAdapt(w, 1.0);
    EXPECT_EQ(w.measuredFps, 500);
    EXPECT_EQ(w.stepsPerFrame, 5);  // the benchmark keeps its batch size
}

TEST(RunControl, SpeedMeasurement) {
    World w;
    w.simulationRunning = 1;
    w.SIMULATION_TIME_STEP = 10;
    w.OBJECTS_N = 100;
    w.SIMULATION_TIME = 5000;
    measureSpeed(w, 2.0);
    EXPECT_EQ(w.simSecondsPerSecond, 2500);
    EXPECT_GT(w.measuredMcs, 0);
    EXPECT_EQ(w.simTimeAtLastMeasure, 5000.0);
}

TEST(RunControl, SimulatedTimeStopAndPriorityRange) {
    World w;
    w.AUTOSTOP_MODE = 2;
    w.AUTOSTOP_ST_PERIOD = 1000;
    w.SIMULATION_TIME = 900;
    EXPECT_FALSE(simulatedTimeStopDue(w));
    w.SIMULATION_TIME = 1200;
    EXPECT_TRUE(simulatedTimeStopDue(w));
    w.AUTOSTOP_MODE = 1;
    EXPECT_FALSE(simulatedTimeStopDue(w));

    WorkerPool pool;
    EXPECT_EQ(setProcessPriority(pool, 4), -1);
    EXPECT_EQ(setProcessPriority(pool, -1), -1);
    EXPECT_EQ(setProcessPriority(pool, 0), 0);
    restoreNormalPriority(pool);
}

TEST(RunControl, ReinitializeReturnsToTheInitialConfiguration) {
    World w;
    WorkerPool pool;
    w.INIT_OBJECTS_N = 2;
    w.initialObjects[0].mass = 1;
    w.initialObjects[1].mass = 2;
    w.initialObjects[1].x = 5;
    w.OBJECTS_N = 1;
    w.SIMULATION_TIME = 99;
    w.COLLISION_COUNTER = 4;
    w.sceneryModified = 1;
    reinitializeWorld(w, pool);
    EXPECT_EQ(w.OBJECTS_N, 2);
    EXPECT_EQ(w.objects[1].x, 5.0);
    EXPECT_EQ(w.SIMULATION_TIME, 0.0);
    EXPECT_EQ(w.COLLISION_COUNTER, 0);
    EXPECT_EQ(w.sceneryModified, 0);
}

}  // namespace
}  // namespace vantor
