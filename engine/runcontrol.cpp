#include "engine/runcontrol.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <iterator>

#include "engine/speed.h"
#include "platform/platform.h"
#include "platform/truncate.h"

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

AutosaveTarget autosaveTarget(const World& world, const std::tm& t) {
    AutosaveTarget target;
    target.separate = world.AUTOSAVE_INTO_SEPARATE_FILES || world.FILE_READ_ONLY;
    target.readOnly = world.FILE_READ_ONLY && !world.AUTOSAVE_INTO_SEPARATE_FILES;
    target.path = target.separate ? separateAutosaveName(world.currentFileName, t) : world.currentFileName;
    return target;
}

std::string autosaveSuccessText(const AutosaveTarget& target, const std::tm& t) {
    std::string text = autosaveTimestampText(t);
    if (target.readOnly) {
        const size_t slash = target.path.find_last_of('/');
        text += " (read-only: saved as " + target.path.substr(slash == std::string::npos ? 0 : slash + 1) + ")";
    }
    return text;
}

std::string autosaveFailureText(const std::string& reason) {
    std::string text = AUTOSAVE_FAILED_TEXT;
    if (!reason.empty()) text += " (" + reason + ")";
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

// A figure beyond the 64-bit range reads as no measurement, like one that
// is not finite.
static int64_t truncated(double v) { return platform::truncateToInt64(v, platform::BeyondInt64::Zero); }

void measureSpeed(World& world, double elapsedSeconds) {
    if (!world.simulationRunning) return;
    if (!(elapsedSeconds > 0)) elapsedSeconds = 1.0;
    const double simulated = world.SIMULATION_TIME - world.simTimeAtLastMeasure;
    world.simSecondsPerSecond = truncated(simulated / elapsedSeconds);
    world.measuredMcs = measuredComputerSpeed(simulated, world.SIMULATION_TIME_STEP, elapsedSeconds, world.OBJECTS_N);
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
        world.speedLimitHeld = world.speedLimit > 0;
        return true;
    }
    if (!(elapsedSeconds > 0)) elapsedSeconds = 1.0;
    world.measuredFps = truncated(static_cast<double>(world.frameCounter) / elapsedSeconds);
    // A batch cut short by the speed limit says nothing of how many steps a
    // frame could take: the batch size stays as it is meanwhile.
    const bool held = world.speedLimitHeld && world.speedLimit > 0;
    if (!world.benchmarkRunning && !held) {
        world.stepsPerFrame = adaptStepsPerFrame(world.stepsPerFrame, world.measuredFps, world.FPS_DESIRED);
    }
    world.frameCounter = 0;
    world.speedLimitHeld = world.speedLimit > 0;
    return true;
}

LimitedBatch limitedBatch(double limit, double timeStep, double realSeconds, double carry, int batchSize) {
    const LimitedBatch whole{batchSize, 0, false};
    if (!(limit > 0) || !std::isfinite(limit) || !(timeStep > 0) || !std::isfinite(timeStep)) return whole;
    if (!(realSeconds > 0)) realSeconds = 0;
    if (!(carry > 0) || carry >= 1) carry = 0;
    const double owed = carry + limit / timeStep * realSeconds;
    if (!(owed < batchSize)) return whole;
    const double steps = std::floor(owed);
    return {static_cast<int>(steps), owed - steps, true};
}

namespace {

struct TimeUnit {
    double seconds;
    const char* singular;
    const char* plural;
    std::initializer_list<const char*> names;  // as typed, lower case
};

const TimeUnit kTimeUnits[] = {
    {31536000, "year", "years", {"y", "yr", "yrs", "year", "years"}},
    {2628000, "month", "months", {"mo", "mon", "month", "months"}},
    {604800, "week", "weeks", {"w", "wk", "wks", "week", "weeks"}},
    {86400, "day", "days", {"d", "day", "days"}},
    {3600, "hour", "hours", {"h", "hr", "hrs", "hour", "hours"}},
    {60, "min", "min", {"m", "min", "mins", "minute", "minutes"}},
    {1, "s", "s", {"s", "sec", "secs", "second", "seconds"}},
};

std::string lowerTrimmed(const std::string& text) {
    std::string t;
    for (char c : text) t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t first = t.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return t.substr(first, t.find_last_not_of(" \t") - first + 1);
}

// Takes `suffix` (and the blanks before it) off the end of `t`.
bool dropSuffix(std::string& t, const std::string& suffix) {
    if (t.size() < suffix.size() || t.compare(t.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    t.erase(t.size() - suffix.size());
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
    return true;
}

}  // namespace

std::string speedLimitText(double limit) {
    if (!(limit > 0) || !std::isfinite(limit)) return "Off";
    const TimeUnit* unit = &kTimeUnits[std::size(kTimeUnits) - 1];
    for (const TimeUnit& u : kTimeUnits) {
        if (limit >= u.seconds * 0.9995) {  // what shows as 1 counts as one
            unit = &u;
            break;
        }
    }
    const double value = limit / unit->seconds;
    char number[32];
    std::snprintf(number, sizeof number, value < 999.5 ? "%.3g" : "%.0f", value);
    const bool one = std::string(number) == "1";
    return std::string(number) + " " + (one ? unit->singular : unit->plural) + "/s";
}

bool parseSpeedLimit(const std::string& text, double& limit) {
    std::string t = lowerTrimmed(text);
    if (t.empty() || t == "off" || t == "none" || t == "no limit") {
        limit = 0;
        return true;
    }
    if (!dropSuffix(t, "per second") && !dropSuffix(t, "per sec") && !dropSuffix(t, "per s")) dropSuffix(t, "/s");
    double value = 0;
    const char* end = t.data() + t.size();
    const std::from_chars_result number = std::from_chars(t.data(), end, value);
    if (number.ec != std::errc() || !std::isfinite(value) || value < 0) return false;
    std::string unitName = lowerTrimmed(std::string(number.ptr, end));
    double seconds = unitName.empty() ? 1 : 0;
    for (const TimeUnit& u : kTimeUnits) {
        for (const char* name : u.names) {
            if (unitName == name) seconds = u.seconds;
        }
    }
    const double result = value * seconds;
    if (!(seconds > 0) || !std::isfinite(result)) return false;
    limit = result;
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

int restoreNormalPriority(WorkerPool& pool) {
    // Both are tried: the workers may come back even where another thread
    // of the process may not.
    int result = platform::setProcessNice(kNiceNormal);
    if (setWorkerPriority(pool, kNiceNormal) != 0) result = -1;
    return result;
}

int priorityInForce() {
    int nice = 0;
    if (!platform::threadNice(platform::currentThreadId(), nice)) return -1;
    switch (nice) {
        case kNiceNormal: return 0;
        case kNiceIdle: return 1;
        case kNiceHigh: return 2;
        case kNiceHighest: return 3;
        default: return -1;
    }
}

std::string priorityRefusedText(int wanted, int inForce) {
    static const char* const kNames[] = {"Normal", "Low", "High", "Highest"};
    const auto name = [](int p) { return p >= 0 && p <= 3 ? kNames[p] : "?"; };
    std::string text = std::string("Priority ") + name(wanted) + " refused";
    if (inForce >= 0 && inForce <= 3) text += std::string("; ") + name(inForce) + " stays in force";
    return text;
}

void reinitializeWorld(World& world, WorkerPool& pool) {
    resetRunState(world);
    resetToInitial(world);
    partitionWork(pool, world);
}

bool simulatedTimeStopDue(const World& world) {
    return (world.AUTOSTOP_MODE & 2) != 0 && world.SIMULATION_TIME >= world.AUTOSTOP_ST_PERIOD;
}

AutostopOutcome autostopOutcome(const World& world) {
    if (!world.RESTART_AFTER_AUTOSTOP) return AutostopOutcome::Stop;
    return world.INIT_OBJECTS_N >= 1 ? AutostopOutcome::Restart : AutostopOutcome::RestartSkipped;
}

bool markModifiedIfTimeMoved(World& world, double timeAtStart) {
    // A time that became NaN compares unequal too: it moved.
    if (world.sceneryModified || world.SIMULATION_TIME == timeAtStart) return false;
    world.sceneryModified = 1;
    return true;
}

}  // namespace vantor
