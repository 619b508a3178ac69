// vantor-cli bench: the benchmark dialog's runs without a window.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>

#include "benchmark/headless.h"
#include "benchmark/offscreen.h"
#include "benchmark/run.h"
#include "benchmark/scores.h"
#include "benchmark/submission.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "engine/runcontrol.h"
#include "scenery/examples.h"
#include "scenery/reader.h"

namespace vantor::cli {

namespace {

constexpr long long kMaxRounds = 100;
constexpr double kMaxSeconds = 3600;

struct BenchOptions {
    int rounds = BENCHMARK_ROUNDS;
    int runMilliseconds = BENCHMARK_RUN_MILLISECONDS;
    std::optional<long long> threads;
    bool json = false;
    bool printSubmission = false;
    std::optional<std::string> comment;
};

std::optional<std::string> parseBenchOptions(const std::vector<std::string>& args, BenchOptions& o) {
    OptionParser options;
    options.flag("--json", o.json)
        .flag("--print-submission", o.printSubmission)
        .wholeNumber(
            "--rounds", [&](long long n) { o.rounds = static_cast<int>(n); }, 1, kMaxRounds)
        .number(
            "--seconds", [](double s) { return s <= 0 || s > kMaxSeconds; },
            "--seconds needs a number of seconds above 0, at most 3600",
            [&](double s, const std::string&) {
                o.runMilliseconds = static_cast<int>(s * 1000 + 0.5);
                if (o.runMilliseconds < 1) o.runMilliseconds = 1;
            })
        .wholeNumber("--threads", o.threads, 1)
        .text("--comment", o.comment)
        .operand([](const std::string&) -> Problem { return "bench takes no SCENERY"; });
    if (Problem problem = options.parse(args)) return problem;
    if (o.comment && !o.printSubmission) return "--comment needs --print-submission";
    return std::nullopt;
}

// Ctrl-C stops the benchmark as the dialog's Cancel button does.
volatile std::sig_atomic_t interrupted = 0;
extern "C" void onInterrupt(int) { interrupted = 1; }

class InterruptScope {
public:
    InterruptScope() {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptScope() { sigaction(SIGINT, &previous_, nullptr); }

private:
    struct sigaction previous_ {};
};

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string fixed(double value, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

const char* runName(int kind) { return kind == BENCHMARK_FRAME_RATE_RUN ? "frame-rate run" : "computation run"; }

}  // namespace

int benchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    BenchOptions o;
    if (std::optional<std::string> problem = parseBenchOptions(args, o)) return usageError(err, *problem);

    World world;
    WorkerPool pool;
    if (createWorkerPool(pool, world) != 1) {
        err << "vantor-cli: the worker threads could not be started\n";
        return EXIT_FILE;
    }
    if (o.threads) {
        // As the threads dialog: 1 up to the count the partition chooses for
        // the benchmark scenery.
        World probe;
        readScenery(probe, BENCHMARK_EXAMPLE, nullptr);
        partitionWork(pool, probe);
        const int limit = pool.threadLimit;
        if (*o.threads > limit) {
            return usageError(err, "--threads must be from 1 to " + std::to_string(limit) + " for the benchmark");
        }
    }

    const bool interactive = &err == &std::cerr && isatty(STDERR_FILENO);
    SystemState system;
    const std::string description = describeSystem(system, true, systemProbe(), [&](bool shown) {
        if (interactive && shown) err << DETERMINING_CPU_FREQUENCY_TEXT << "\n";
    });

    Benchmark bench;
    bench.rounds = o.rounds;
    bench.runMilliseconds = o.runMilliseconds;
    HeadlessBenchmarkHost host(world, pool);
    OffscreenFrames frames;
    frames.attach(host);
    host.workerCount = o.threads ? static_cast<int>(*o.threads) : 0;
    host.setPriority = [&pool](bool raised) {
        // High class and highest worker priority, as the dialog's runs; a
        // refused raise only costs accuracy.
        if (raised) setProcessPriority(pool, 3);
        else restoreNormalPriority(pool);
    };
    InterruptScope interruptScope;
    host.cancelRequested = [] { return interrupted != 0; };

    int round = 1;
    const BenchmarkEvent result = runBenchmarkHeadless(bench, world, pool, host, [&](const Benchmark& b) {
        if (!interactive) return;
        const char* unit = b.lastRun.kind == BENCHMARK_FRAME_RATE_RUN ? "frames/s" : "NBXMark";
        err << "Round " << round << " of " << b.rounds << ", " << runName(b.lastRun.kind) << ": " << b.lastRun.value
            << " " << unit << "\n";
        if (b.lastRun.kind == BENCHMARK_COMPUTATION_RUN) ++round;
    });
    if (result != BenchmarkEvent::Completed) {
        err << BENCHMARK_NOT_COMPLETED_TEXT << "\n";
        return EXIT_BENCHMARK;
    }

    const double stepsPerSecond = bench.bestComputationStepsPerSecond;
    const double n = static_cast<double>(bench.bestComputationObjects);
    const double pairsPerSecond = stepsPerSecond * n * (n - 1) / 2;
    std::optional<std::string> address;
    if (o.printSubmission) {
        std::optional<std::string> encoded =
            buildSubmissionRecord(system, bench.lastNbxMark, bench.lastMaxFps, o.comment.value_or(""));
        if (!encoded) {
            err << "vantor-cli: no memory for the submission\n";
            return EXIT_BENCHMARK;
        }
        address = submissionAddress(*encoded);
    }

    if (o.json) {
        out << "{\"NBXMark\": " << bench.lastNbxMark << ", \"MaxFPS\": " << bench.lastMaxFps
            << ", \"steps_per_second\": " << fixed(stepsPerSecond, "%.1f")
            << ", \"pairs_per_second\": " << fixed(pairsPerSecond, "%.0f")
            << ", \"system\": " << jsonString(description);
        if (address) out << ", \"submission\": " << jsonString(*address);
        out << "}\n";
    } else {
        out << "NBXMark: " << bench.lastNbxMark << "\n";
        out << "MaxFPS: " << bench.lastMaxFps << "\n";
        out << "Steps per second: " << fixed(stepsPerSecond, "%.0f") << "\n";
        out << "Pair interactions per second: " << fixed(pairsPerSecond, "%.0f") << "\n";
        out << "System: " << description << "\n";
        if (address) out << "Submission: " << *address << "\n";
    }
    return EXIT_DONE;
}

}  // namespace vantor::cli
