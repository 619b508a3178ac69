#include "engine/runcontrol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/cluster.h"

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
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
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

// Restarting needs an initial configuration to go back to; without one the
// current objects would all be deleted.
TEST(RunControl, AutostopOutcome) {
    const struct {
        int restart, initialObjects;
        AutostopOutcome outcome;
    } cases[] = {
        {0, 0, AutostopOutcome::Stop},    {0, 3, AutostopOutcome::Stop},           {1, 3, AutostopOutcome::Restart},
        {1, 1, AutostopOutcome::Restart}, {1, 0, AutostopOutcome::RestartSkipped},
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
    const struct {
        double start, now;
        int modifiedBefore;
        bool newlyMarked;
        int modifiedAfter;
    } cases[] = {
        {0, 0, 0, false, 0},     // stopped before its first step
        {0, 300, 0, true, 1},    // one step
        {500, 200, 0, true, 1},  // back in time (a negative step)
        {0, 300, 1, false, 1},   // already marked
        {0, nan, 0, true, 1},    // the time itself broke
    };
    for (auto c : cases) {
        World w;
        w.SIMULATION_TIME = c.now;
        w.sceneryModified = c.modifiedBefore;
        EXPECT_EQ(markModifiedIfTimeMoved(w, c.start), c.newlyMarked) << c.start << " -> " << c.now;
        EXPECT_EQ(w.sceneryModified, c.modifiedAfter) << c.start << " -> " << c.now;
    }
}

// ---- Speed limit -----------------------------------------------------------

// Frames of uneven length, as a busy desktop gives them: the steps taken add
// up to the limit's rate over the whole time, less than one step off.
TEST(SpeedLimit, StepsAddUpToTheLimitWhateverTheFrameTimes) {
    const struct {
        double limit, timeStep;
    } cases[] = {
        {86400, 100},     // a day per second of the solar system: 864 steps/s
        {3600, 10},       // an hour per second of Star dust 1
        {31536000, 1e3},  // a year per second of a planetary disc
        {3600, 1e4},      // fewer steps than frames: most frames take none
    };
    const double frames[] = {0.016, 0.007, 0.033, 0.020, 0.001, 0.050, 0.017};
    for (auto c : cases) {
        SCOPED_TRACE(testing::Message() << c.limit << " s/s with steps of " << c.timeStep << " s");
        double carry = 0, real = 0;
        long long steps = 0;
        for (int k = 0; k < 7000; ++k) {
            const double frame = frames[k % 7];
            const LimitedBatch b = limitedBatch(c.limit, c.timeStep, frame, carry, 500000);
            ASSERT_TRUE(b.held);
            ASSERT_GE(b.carry, 0);
            ASSERT_LT(b.carry, 1);
            carry = b.carry;
            steps += b.steps;
            real += frame;
        }
        // Never ahead of the limit, and behind it by less than the step
        // still being carried (the sums of frame times round a little).
        const double due = c.limit / c.timeStep * real;
        EXPECT_LE(static_cast<double>(steps), due + 1e-6);
        EXPECT_GT(static_cast<double>(steps), due - 1 - 1e-6);
    }
}

TEST(SpeedLimit, AStepOwedOverManyFramesComesWhenItIsDue) {
    // 1/32 of a step per frame, exact in binary: the 32nd frame takes it.
    double carry = 0;
    for (int frame = 1; frame <= 64; ++frame) {
        const LimitedBatch b = limitedBatch(3600, 3600 * 16, 0.5, carry, 5);
        EXPECT_EQ(b.steps, frame % 32 == 0 ? 1 : 0) << frame;
        EXPECT_TRUE(b.held);
        carry = b.carry;
    }
}

TEST(SpeedLimit, OffOrUnreachableTakesTheWholeBatchAndOwesNothing) {
    const struct {
        const char* why;
        double limit, timeStep, real, carry;
    } cases[] = {
        {"off", 0, 100, 0.02, 0.5},
        {"negative limit", -86400, 100, 0.02, 0},
        {"limit not a number", std::nan(""), 100, 0.02, 0},
        {"infinite limit", std::numeric_limits<double>::infinity(), 100, 0.02, 0},
        {"time step 0", 86400, 0, 0.02, 0},
        {"time step not a number", 86400, std::nan(""), 0.02, 0},
        // The machine cannot keep up (or the window was stalled for a
        // minute): a whole batch, and no debt to race through afterwards.
        {"slower than the limit", 31536000, 10, 0.02, 0.9},
        {"after a stall", 86400, 100, 60, 0},
    };
    for (auto c : cases) {
        const LimitedBatch b = limitedBatch(c.limit, c.timeStep, c.real, c.carry, 40);
        EXPECT_EQ(b.steps, 40) << c.why;
        EXPECT_EQ(b.carry, 0) << c.why;
        EXPECT_FALSE(b.held) << c.why;
    }
    // Back under the limit, the next batch owes only its own frame's steps.
    const LimitedBatch next = limitedBatch(86400, 100, 0.02, 0, 40);
    EXPECT_EQ(next.steps, 17);
    EXPECT_NEAR(next.carry, 0.28, 1e-9);
}

TEST(SpeedLimit, TimeThatRunsBackwardsOrACorruptCarryOwesNoSteps) {
    for (double real : {-1.0, std::nan("")}) {
        const LimitedBatch b = limitedBatch(86400, 100, real, 0.25, 40);
        EXPECT_EQ(b.steps, 0);
        EXPECT_EQ(b.carry, 0.25);
    }
    for (double carry : {-3.0, 7.0, std::nan("")}) {
        const LimitedBatch b = limitedBatch(86400, 100, 0.02, carry, 40);
        EXPECT_EQ(b.steps, 17) << carry;
        EXPECT_LT(b.carry, 1) << carry;
    }
}

// A second in which the limit cut every batch short keeps the batch size; one
// batch that ran full (the run loop clears the mark) lets it adapt. Each
// measurement starts the next second marked again while a limit is set.
TEST(SpeedLimit, FrameRateAdaptationWaitsWhileTheLimitHolds) {
    World w;
    w.FPS_DESIRED = 50;
    w.stepsPerFrame = 40;
    w.simulationRunning = 1;
    w.speedLimit = 86400;
    measureFpsAndAdapt(w, 1.0);  // primes
    EXPECT_EQ(w.speedLimitHeld, 1);
    w.frameCounter = 100;
    measureFpsAndAdapt(w, 1.0);
    EXPECT_EQ(w.measuredFps, 100);
    EXPECT_EQ(w.stepsPerFrame, 40);
    EXPECT_EQ(w.speedLimitHeld, 1);
    w.speedLimitHeld = 0;  // a batch ran full
    w.frameCounter = 100;
    measureFpsAndAdapt(w, 1.0);
    EXPECT_EQ(w.stepsPerFrame, 80);
    EXPECT_EQ(w.speedLimitHeld, 1);
    // Without a limit (switched off since the last measurement) the mark
    // counts for nothing, and none is set.
    w.speedLimit = 0;
    w.frameCounter = 100;
    measureFpsAndAdapt(w, 1.0);
    EXPECT_EQ(w.stepsPerFrame, 160);
    EXPECT_EQ(w.speedLimitHeld, 0);
}

TEST(SpeedLimit, TextsReadAndShown) {
    const struct {
        const char* typed;
        double limit;
    } read[] = {
        {"1 day/s", 86400},
        {"12 h", 43200},
        {"3 weeks per second", 1814400},
        {"1 month/s", 2628000},
        {"  1 YEAR/S ", 31536000},
        {"5000", 5000},
        {"2.5 hours/s", 9000},
        {"90 min per s", 5400},
        {"1d", 86400},
        {"1e3 s/s", 1000},
        {"off", 0},
        {"Off", 0},
        {"", 0},
        {"0", 0},
    };
    for (auto r : read) {
        double limit = -1;
        EXPECT_TRUE(parseSpeedLimit(r.typed, limit)) << r.typed;
        EXPECT_EQ(limit, r.limit) << r.typed;
    }
    for (const char* bad : {"fast", "-1 day/s", "1 fortnight", "day/s", "1e400 s", "nan", "inf", "1 day/h", "1,5 d"}) {
        double limit = 86400;
        EXPECT_FALSE(parseSpeedLimit(bad, limit)) << bad;
        EXPECT_EQ(limit, 86400) << bad;
    }
    const struct {
        double limit;
        const char* shown;
    } shown[] = {
        {0, "Off"},
        {-5, "Off"},
        {3600, "1 hour/s"},
        {86400, "1 day/s"},
        {604800, "1 week/s"},
        {2628000, "1 month/s"},
        {31536000, "1 year/s"},
        {9000, "2.5 hours/s"},
        {90, "1.5 min/s"},
        {30, "30 s/s"},
        {0.5, "0.5 s/s"},
        {31536000000.0, "1000 years/s"},
        {1814400, "3 weeks/s"},
    };
    for (auto s : shown) EXPECT_EQ(speedLimitText(s.limit), s.shown) << s.limit;
    for (double preset : SPEED_LIMIT_PRESETS) {
        double limit = 0;
        EXPECT_TRUE(parseSpeedLimit(speedLimitText(preset), limit));
        EXPECT_EQ(limit, preset);
    }
}

}  // namespace
}  // namespace vantor
