// vantor-cli run: load a scenery, step it as the run loop does, report.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>

#include "cli/cli.h"
#include "cli/diagnostics_csv.h"
#include "cli/options.h"
#include "cli/progress_bar.h"
#include "cli/scenery_source.h"
#include "engine/gravity.h"
#include "engine/speed.h"
#include "scenery/realtext.h"
#include "scenery/writer.h"

namespace vantor::cli {

namespace {

using Clock = std::chrono::steady_clock;

struct RunOptions {
    std::string scenery;
    std::optional<long long> steps;
    std::optional<double> until;
    std::string untilText;  // as given, for messages
    std::optional<long long> threads;
    std::string outFile;
    std::string diagnosticsFile;
    std::optional<long long> every;  // steps between diagnostics rows
    bool quiet = false;
};

// Parses the run options; returns an error message or nothing.
std::optional<std::string> parseRunOptions(const std::vector<std::string>& args, RunOptions& o) {
    OptionParser options;
    options.flag("--quiet", o.quiet)
        .wholeNumber("--steps", o.steps, 0)
        .number(
            "--until", [](double s) { return s < 0; }, "--until needs a number of seconds, 0 or more",
            [&](double s, const std::string& text) {
                o.until = s;
                o.untilText = text;
            })
        .wholeNumber("--threads", o.threads, 0)
        .text("--out", o.outFile)
        .text("--diagnostics",
              [&](const std::string& v) -> Problem {
                  if (v.empty()) return "--diagnostics needs a file name";
                  o.diagnosticsFile = v;
                  return std::nullopt;
              })
        .wholeNumber("--every", o.every, 1, std::nullopt, "--every needs a whole number of steps, 1 or more")
        .operand(oneScenery(o.scenery));
    if (Problem problem = options.parse(args)) return problem;
    if (o.scenery.empty()) return "run needs a SCENERY";
    if (o.every && o.diagnosticsFile.empty()) return "--every needs --diagnostics FILE.csv";
    return std::nullopt;
}

struct RunResult {
    long long steps = 0;
    double wallSeconds = 0;
    bool collision = false;
    bool stuck = false;  // the simulated time stopped advancing before --until
};

// The steps a run will take, as far as known before it starts.
long long plannedSteps(const World& world, const RunOptions& o) {
    if (o.steps) return *o.steps;
    if (!o.until) return 1;
    const double dt = world.SIMULATION_TIME_STEP, left = *o.until - world.SIMULATION_TIME;
    if (!(dt > 0) || !(left > 0)) return 0;
    return left / dt < 1e15 ? static_cast<long long>(std::ceil(left / dt)) : 1000000000000000LL;
}

// A row before the first step, every `every` steps and after the last.
struct DiagnosticsRows {
    DiagnosticsCsv* csv = nullptr;
    long long every = 1;
    void at(const World& world, WorkerPool& pool, long long steps, bool last = false) {
        if (!csv || (!last && steps % every != 0) || csv->lastRowSteps() == steps) return;
        csv->addRow(world, pool, steps);
    }
};

RunResult stepScenery(World& world, WorkerPool& pool, const RunOptions& o, bool showProgress,
                      DiagnosticsRows rows = {}) {
    const long long stepLimit = o.steps ? *o.steps : (o.until ? -1 : 1);
    const double startTime = world.SIMULATION_TIME;
    ProgressBar bar(showProgress);
    RunResult r;
    const Clock::time_point t0 = Clock::now();
    rows.at(world, pool, 0);
    for (;;) {
        if (stepLimit >= 0 && r.steps >= stepLimit) break;
        if (o.until && world.SIMULATION_TIME >= *o.until) break;
        if (world.OBJECTS_N < 2) break;
        const double before = world.SIMULATION_TIME;
        simulationStep(world, pool);
        ++r.steps;
        if (!world.collisionDetected) rows.at(world, pool, r.steps);
        if (world.collisionDetected) {
            r.collision = true;
            break;
        }
        // Far enough out, a step is below the time's precision (t + dt == t):
        // --until would never be reached.
        if (o.until && !(world.SIMULATION_TIME > before)) {
            r.stuck = true;
            break;
        }
        double byTime = o.until ? (world.SIMULATION_TIME - startTime) / (*o.until - startTime) : 0;
        double bySteps = stepLimit > 0 ? static_cast<double>(r.steps) / static_cast<double>(stepLimit) : 0;
        bar.update(std::max(byTime, bySteps));
    }
    r.wallSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
    rows.at(world, pool, r.steps, true);
    return r;
}

void printSummary(std::ostream& out, const World& world, const WorkerPool& pool, const RunResult& r, double simulated) {
    char line[64];
    const double rate = r.wallSeconds > 0 ? static_cast<double>(r.steps) / r.wallSeconds : 0;
    std::snprintf(line, sizeof line, "%.3f s", r.wallSeconds);
    out << "Steps done:         " << r.steps << "\n";
    out << "Simulated time:     " << formatReal(world.SIMULATION_TIME) << " s (" << formatReal(simulated)
        << " s in this run)\n";
    out << "Wall time:          " << line << "\n";
    std::snprintf(line, sizeof line, "%.0f", rate);
    out << "Steps per second:   " << line << "\n";
    const long long mcs =
        r.wallSeconds > 0 && r.steps > 0
            ? measuredComputerSpeed(simulated, world.SIMULATION_TIME_STEP, r.wallSeconds, world.OBJECTS_N)
            : 0;
    out << "MCS:                " << mcs << "\n";
    out << "Collision counter:  " << world.COLLISION_COUNTER << "\n";
    // The workers that computed at the end of the run.
    out << "Workers:            " << computingWorkers(pool);
    if (!pool.workersFixed && pool.workerCount > 1)
        out << " (chosen by measurement from 1 to " << pool.workerCount << ")";
    out << "\n";
}

}  // namespace

int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    RunOptions o;
    if (std::optional<std::string> problem = parseRunOptions(args, o)) return usageError(err, *problem);

    World world;
    WorkerPool pool;
    if (!loadForStepping(world, pool, o.scenery, err)) return EXIT_FILE;
    if (o.threads) {
        // As the threads dialog: 1 up to the count the partition chose;
        // exactly that many compute, whatever measuring would choose.
        if (*o.threads < 1 || *o.threads > pool.threadLimit) {
            return usageError(err,
                              "--threads must be from 1 to " + std::to_string(pool.threadLimit) + " for this scenery");
        }
        pool.workerCount = static_cast<int>(*o.threads);
        pool.workersFixed = true;
        partitionRanges(pool, world);
    }

    const bool showProgress = &err == &std::cerr && isatty(STDERR_FILENO);
    const double startTime = world.SIMULATION_TIME;
    DiagnosticsCsv csv;
    DiagnosticsRows rows;
    if (!o.diagnosticsFile.empty()) {
        rows.csv = &csv;
        rows.every = o.every ? *o.every : defaultRowInterval(plannedSteps(world, o));
    }
    const RunResult r = stepScenery(world, pool, o, showProgress, rows);
    if (rows.csv) {
        std::string reason;
        if (writeFileSafely(o.diagnosticsFile, csv.text(), &reason) != 0) {
            err << "vantor-cli: cannot write '" << o.diagnosticsFile << "': " << reason << "\n";
            return EXIT_FILE;
        }
    }
    if (r.collision) err << "A collision has been detected. Simulation stopped.\n";
    if (r.stuck) {
        err << "vantor-cli: the simulated time no longer advances (SIMULATION_TIME "
            << formatReal(world.SIMULATION_TIME) << " s, time step " << formatReal(world.SIMULATION_TIME_STEP)
            << " s): --until " << o.untilText << " cannot be reached\n";
        return EXIT_STUCK;
    }

    if (!o.outFile.empty()) {
        std::string reason;
        if (writeSceneryFile(world, o.outFile, &reason) != 0) {
            err << "vantor-cli: cannot write '" << o.outFile << "': " << reason << "\n";
            return EXIT_FILE;
        }
    }
    if (!o.quiet) printSummary(out, world, pool, r, world.SIMULATION_TIME - startTime);
    return r.collision ? EXIT_COLLISION : EXIT_DONE;
}

}  // namespace vantor::cli
