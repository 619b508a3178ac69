#include "engine/runcontrol.h"

#include <gtest/gtest.h>

#include <limits>

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

// A read-only scenery's own file is never the target; the status text says
// where the copy went only when the read-only flag chose the separate file.
TEST(RunControl, AutosaveTargetKeepsReadOnlyFilesUntouched) {
    const std::tm t = at(2006, 5, 15, 14, 30, 5);
    const struct {
        int separateFiles, readOnly;
        const char* path;
        bool separate;
        const char* status;
    } cases[] = {
        {0, 0, "/sims/orbit.nbx", false, "Autosave timestamp: 14:30h, 2006-5-15"},
        {1, 0, "/sims/orbit_20060515-143005.nbx", true, "Autosave timestamp: 14:30h, 2006-5-15"},
        {0, 1, "/sims/orbit_20060515-143005.nbx", true,
         "Autosave timestamp: 14:30h, 2006-5-15 (read-only: saved as orbit_20060515-143005.nbx)"},
        {1, 1, "/sims/orbit_20060515-143005.nbx", true, "Autosave timestamp: 14:30h, 2006-5-15"},
    };
    for (auto c : cases) {
        World w;
        w.currentFileName = "/sims/orbit.nbx";
        w.AUTOSAVE_INTO_SEPARATE_FILES = c.separateFiles;
        w.FILE_READ_ONLY = c.readOnly;
        const AutosaveTarget target = autosaveTarget(w, t);
        SCOPED_TRACE(testing::Message() << "separate " << c.separateFiles << ", read-only " << c.readOnly);
        EXPECT_EQ(target.path, c.path);
        EXPECT_EQ(target.separate, c.separate);
        EXPECT_EQ(autosaveSuccessText(target, t), c.status);
    }
}

TEST(RunControl, AutosaveFailureTextCarriesTheReason) {
    EXPECT_EQ(autosaveFailureText(""), "Last Autosave was unsuccessful");
    EXPECT_EQ(autosaveFailureText("No such file or directory"),
              "Last Autosave was unsuccessful (No such file or directory)");
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

TEST(RunControl, StatusPartsShowTheRunState) {
    World w;
    WorkerPool pool;
    w.INIT_OBJECTS_N = 201;
    w.OBJECTS_N = 202;
    w.COLLISION_COUNTER = 3;
    pool.workerCount = 4;
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


// Restarting needs an initial configuration to go back to; without one the
// current objects would all be deleted.
TEST(RunControl, AutostopOutcome) {
    const struct { int restart, initialObjects; AutostopOutcome outcome; } cases[] = {
        {0, 0, AutostopOutcome::Stop},
        {0, 3, AutostopOutcome::Stop},
        {1, 3, AutostopOutcome::Restart},
        {1, 1, AutostopOutcome::Restart},
        {1, 0, AutostopOutcome::RestartSkipped},
    };
    for (auto c : cases) {
        World w;
        w.RESTART_AFTER_AUTOSTOP = c.restart;
        w.INIT_OBJECTS_N = c.initialObjects;
        w.OBJECTS_N = 3;
        EXPECT_EQ(autostopOutcome(w), c.outcome) << c.restart << " " << c.initialObjects;
    }
}

TEST(RunControl, ARunThatMovedTheTimeMarksTheSceneryModified) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct { double start, now; int modifiedBefore; bool newlyMarked; int modifiedAfter; } cases[] = {
        {0, 0, 0, false, 0},      // stopped before its first step
        {0, 300, 0, true, 1},     // one step
        {500, 200, 0, true, 1},   // back in time (a negative step)
        {0, 300, 1, false, 1},    // already marked
        {0, nan, 0, true, 1},     // the time itself broke
    };
    for (auto c : cases) {
        World w;
        w.SIMULATION_TIME = c.now;
        w.sceneryModified = c.modifiedBefore;
        EXPECT_EQ(markModifiedIfTimeMoved(w, c.start), c.newlyMarked) << c.start << " -> " << c.now;
        EXPECT_EQ(w.sceneryModified, c.modifiedAfter) << c.start << " -> " << c.now;
    }
}

}  // namespace
}  // namespace vantor
