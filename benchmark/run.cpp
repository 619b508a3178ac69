#include "benchmark/run.h"

#include <chrono>

#include "benchmark/scores.h"
#include "scenery/examples.h"

namespace vantor {

int64_t BenchmarkHost::counterFrequency() { return 1000000000; }

bool BenchmarkHost::readCounter(int64_t& value) {
    value = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
    return true;
}

int64_t BenchmarkHost::benchmarkSceneryByteSum() { return builtInBenchmarkByteSum(); }

int64_t builtInBenchmarkByteSum() {
    const ExampleScenery* example = findExample(BENCHMARK_EXAMPLE);
    if (!example) return -1;
    return byteSum(example->data, example->size);
}

bool benchmarkResultsAvailable(const Benchmark& bench) { return bench.lastNbxMark >= 0 && bench.lastMaxFps >= 0; }

int startBenchmarkRun(Benchmark& bench, World& world, BenchmarkHost& host, int kind) {
    if (bench.runInProgress) return BENCHMARK_RUN_IN_PROGRESS;
    if (!host.openBenchmarkScenery()) return BENCHMARK_SCENERY_NOT_OPENED;
    host.prepareView();
    world.DISPLAY_OBJECTS_AS_DOTS = 1;
    if (!host.benchmarkViewReady()) return BENCHMARK_VIEW_NOT_READY;

    host.startBenchmarkTimer(bench.runMilliseconds);
    world.stepsPerFrame = kind == BENCHMARK_FRAME_RATE_RUN ? BENCHMARK_FRAME_STEPS : BENCHMARK_COMPUTATION_STEPS;
    world.batchStepCounter = 0;
    world.benchmarkRunning = 1;
    bench.runInProgress = true;
    bench.runKind = kind;
    host.setRunning(1);
    host.raisePriority();

    // The counter is read last so that the preparations are not timed.
    bench.simulationTimeAtStart = world.SIMULATION_TIME;
    bench.counterFrequency = host.counterFrequency();
    bench.counterStart = 0;
    bench.counterAvailable = bench.counterFrequency > 0 && host.readCounter(bench.counterStart);
    return 0;
}

int64_t finishBenchmarkRun(Benchmark& bench, World& world, BenchmarkHost& host) {
    if (!bench.runInProgress) return 0;
    int64_t finish = 0;
    const bool counted = bench.counterAvailable && host.readCounter(finish);
    const int64_t difference = finish - bench.counterStart;

    BenchmarkRunFigures& run = bench.lastRun;
    run.kind = bench.runKind;
    run.objects = world.OBJECTS_N;
    // The benchmark scenery starts at time 0; measuring from the run's start
    // keeps the count right for any starting time.
    run.steps = (world.SIMULATION_TIME - bench.simulationTimeAtStart) / world.SIMULATION_TIME_STEP;
    run.seconds =
        counted && difference > 0 ? static_cast<double>(difference) / static_cast<double>(bench.counterFrequency) : 0;
    const double simulated = world.SIMULATION_TIME - bench.simulationTimeAtStart;
    if (!counted) {
        run.value = 0;
    } else if (bench.runKind == BENCHMARK_FRAME_RATE_RUN) {
        run.value = frameRateValue(simulated, world.SIMULATION_TIME_STEP, bench.counterFrequency, difference);
    } else {
        run.value = computationValue(simulated, world.SIMULATION_TIME_STEP, world.OBJECTS_N, bench.counterFrequency,
                                     difference);
    }

    bench.runInProgress = false;
    world.benchmarkRunning = 0;
    host.setRunning(0);
    host.stopBenchmarkTimer();
    world.sceneryModified = 0;
    host.discardScenery();

    if (host.benchmarkSceneryByteSum() != static_cast<int64_t>(expectedBenchmarkByteSum())) {
        run.value = -1;
        bench.benchmarkPhase = BENCHMARK_PHASE_NONE;
        return BENCHMARK_BYTE_SUM_FAILED;
    }
    return run.value;
}

BenchmarkEvent startBenchmark(Benchmark& bench, World& world, BenchmarkHost& host) {
    if (bench.runInProgress || bench.benchmarkPhase != BENCHMARK_PHASE_NONE) return BenchmarkEvent::None;
    bench.bestFrameRate = -1;
    bench.bestComputation = -1;
    bench.bestComputationStepsPerSecond = 0;
    bench.bestComputationObjects = 0;
    bench.roundsLeft = bench.rounds > 0 ? bench.rounds : 1;
    bench.benchmarkPhase = BENCHMARK_FRAME_RATE_RUN;
    const int started = startBenchmarkRun(bench, world, host, BENCHMARK_FRAME_RATE_RUN);
    if (started == 0) return BenchmarkEvent::Started;
    bench.benchmarkPhase = BENCHMARK_PHASE_NONE;
    return started == BENCHMARK_VIEW_NOT_READY ? BenchmarkEvent::ViewNotReady : BenchmarkEvent::NotStarted;
}

BenchmarkEvent benchmarkTimerTick(Benchmark& bench, World& world, BenchmarkHost& host) {
    if (!bench.runInProgress) return BenchmarkEvent::None;
    const int64_t value = finishBenchmarkRun(bench, world, host);
    if (value == BENCHMARK_BYTE_SUM_FAILED) return BenchmarkEvent::NotCompleted;

    int next = BENCHMARK_COMPUTATION_RUN;
    if (bench.benchmarkPhase == BENCHMARK_FRAME_RATE_RUN) {
        if (value > bench.bestFrameRate) bench.bestFrameRate = value;
    } else {
        if (value > bench.bestComputation) {
            bench.bestComputation = value;
            bench.bestComputationStepsPerSecond =
                bench.lastRun.seconds > 0 ? bench.lastRun.steps / bench.lastRun.seconds : 0;
            bench.bestComputationObjects = bench.lastRun.objects;
        }
        if (--bench.roundsLeft <= 0) {
            bench.lastMaxFps = bench.bestFrameRate;
            bench.lastNbxMark = bench.bestComputation;
            bench.benchmarkPhase = BENCHMARK_PHASE_NONE;
            return BenchmarkEvent::Completed;
        }
        next = BENCHMARK_FRAME_RATE_RUN;
    }
    bench.benchmarkPhase = next;
    if (startBenchmarkRun(bench, world, host, next) != 0) {
        bench.benchmarkPhase = BENCHMARK_PHASE_NONE;
        return BenchmarkEvent::Ended;
    }
    return BenchmarkEvent::NextRun;
}

BenchmarkEvent stopBenchmark(Benchmark& bench, World& world, BenchmarkHost& host) {
    if (!bench.runInProgress) {
        bench.benchmarkPhase = BENCHMARK_PHASE_NONE;
        return BenchmarkEvent::None;
    }
    finishBenchmarkRun(bench, world, host);
    bench.lastRun.value = -1;  // discarded
    bench.benchmarkPhase = BENCHMARK_PHASE_NONE;
    return BenchmarkEvent::NotCompleted;
}

}  // namespace vantor
