#include "engine/runcontrol.h"

#include <cstdio>

#include "engine/speed.h"
#include "platform/platform.h"

namespace vantor {

std::string separateAutosaveName(const std::string& path, const std::tm& t) {
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) dot = path.size();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "_%.2d%.2d%.2d-%.2d%.2d%.2d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return path.substr(0, dot) + stamp + path.substr(dot);
}

std::string autosaveTimestampText(const std::tm& t) {
    char text[96];
    std::snprintf(text, sizeof text, "Autosave timestamp: %d:%dh, %d-%d-%d", t.tm_hour, t.tm_min, t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday);
    return text;
}

std::array<std::string, 5> statusRunParts(const World& world, const WorkerPool& pool) {
    char threads[32], initial[32], current[32], collisions[32];
    const int computing = computingWorkers(pool);
    if (computing > 1) std::snprintf(threads, sizeof threads, "\t%d threads", computing);
    else std::snprintf(threads, sizeof threads, "\t1 thread");
    std::snprintf(initial, sizeof initial, "\tNi=%d", world.INIT_OBJECTS_N);
    std::snprintf(current, sizeof current, "\tN=%d", world.OBJECTS_N);
    std::snprintf(collisions, sizeof collisions, "CC=%d", world.COLLISION_COUNTER);
    return {world.simulationRunning ? "\tRunning" : "\tPaused", initial, current, threads, collisions};
}

static int64_t truncated(double v) {
    if (!(v > -9.2e18 && v < 9.2e18)) return 0;
    return static_cast<int64_t>(v);
}

void measureSpeed(World& world, double elapsedSeconds) {
    if (!world.simulationRunning) return;
    if (!(elapsedSeconds > 0)) elapsedSeconds = 1.0;
    const double simulated = world.SIMULATION_TIME - world.simTimeAtLastMeasure;
    world.simSecondsPerSecond = truncated(simulated / elapsedSeconds);
    world.measuredMcs =
        measuredComputerSpeed(simulated, world.SIMULATION_TIME_STEP, elapsedSeconds, world.OBJECTS_N);
    world.simTimeAtLastMeasure = world.SIMULATION_TIME;
}

bool measureFpsAndAdapt(World& world, double elapsedSeconds) {
    if (!world.simulationRunning) {
        world.fpsPrimed = 0;
        return false;
    }
    if (!world.fpsPrimed) {
        // The interval starts now rather than at the last measurement before
        // the pause, so that the first figure of a run is not read low.
        world.frameCounter = 0;
        world.fpsPrimed = 1;
        return true;
    }
    if (!(elapsedSeconds > 0)) elapsedSeconds = 1.0;
    world.measuredFps = truncated(static_cast<double>(world.frameCounter) / elapsedSeconds);
    if (!world.benchmarkRunning) {
        world.stepsPerFrame = adaptStepsPerFrame(world.stepsPerFrame, world.measuredFps, world.FPS_DESIRED);
    }
    world.frameCounter = 0;
    return true;
}

namespace {

// Niceness for the priority classes, and the extra favour of "Highest"
// for the workers.
constexpr int kNiceNormal = 0, kNiceIdle = 19, kNiceHigh = -10, kNiceHighest = -15;

}  // namespace

int setProcessPriority(WorkerPool& pool, int priority) {
    if (priority < 0 || priority > 3) return -1;
    const int processNice = priority == 1 ? kNiceIdle : priority >= 2 ? kNiceHigh : kNiceNormal;
    int result = platform::setProcessNice(processNice);
    const int workerNice = priority == 3 ? kNiceHighest : processNice;
    if (setWorkerPriority(pool, workerNice) != 0) result = -1;
    return result;
}

void restoreNormalPriority(WorkerPool& pool) {
    // Lowering niceness back to 0 may itself be refused after a raise was
    // refused; there is nothing more to do then.
    platform::setProcessNice(kNiceNormal);
    setWorkerPriority(pool, kNiceNormal);
}

void reinitializeWorld(World& world, WorkerPool& pool) {
    resetRunState(world);
    resetToInitial(world);
    partitionWork(pool, world);
}

bool simulatedTimeStopDue(const World& world) {
    return (world.AUTOSTOP_MODE & 2) != 0 && world.SIMULATION_TIME >= world.AUTOSTOP_ST_PERIOD;
}

}  // namespace vantor
