#include "benchmark/headless.h"

#include <chrono>
#include <optional>
#include <thread>

#include "scenery/examples.h"
#include "scenery/reader.h"

namespace vantor {

int64_t HeadlessBenchmarkHost::now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void HeadlessBenchmarkHost::idle() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

bool HeadlessBenchmarkHost::readCounter(int64_t& value) {
    value = now();
    return true;
}

bool HeadlessBenchmarkHost::timerDue() {
    if (!timerActive_) return false;
    const int64_t t = now();
    if (t < deadline_) return false;
    deadline_ = t + timerPeriod_;  // a periodic timer, like the dialog's
    return true;
}

bool HeadlessBenchmarkHost::openBenchmarkScenery() {
    newScenery(world_);
    if (readScenery(world_, BENCHMARK_EXAMPLE, nullptr) != 1) {
        newScenery(world_);
        partitionWork(pool_, world_);
        return false;
    }
    world_.currentFileName = BENCHMARK_FILE_NAME;
    partitionWork(pool_, world_);
    if (workerCount > 0 && workerCount != pool_.workerCount) {
        pool_.workerCount = workerCount < pool_.threadLimit ? workerCount : pool_.threadLimit;
        partitionRanges(pool_, world_);
    }
    if (afterSceneryLoaded) afterSceneryLoaded(world_);
    return true;
}

void HeadlessBenchmarkHost::startBenchmarkTimer(int milliseconds) {
    timerPeriod_ = static_cast<int64_t>(milliseconds) * 1000000;
    deadline_ = now() + timerPeriod_;
    timerActive_ = true;
}

void HeadlessBenchmarkHost::stopBenchmarkTimer() { timerActive_ = false; }

void HeadlessBenchmarkHost::setRunning(int mode) {
    world_.simulationRunning = mode != 0;
    if (!mode && setPriority) setPriority(false);
}

void HeadlessBenchmarkHost::raisePriority() {
    if (setPriority) setPriority(true);
}

void HeadlessBenchmarkHost::discardScenery() {
    newScenery(world_);
    world_.currentFileName.clear();
    partitionWork(pool_, world_);
}

BenchmarkEvent runBenchmarkHeadless(Benchmark& bench, World& world, WorkerPool& pool, HeadlessBenchmarkHost& host,
                                    const std::function<void(const Benchmark&)>& onRunFinished) {
    BenchmarkEvent event = startBenchmark(bench, world, host);
    if (event != BenchmarkEvent::Started) return event;

    // One pending "message" at a time, as between two steps of the run loop.
    auto dispatch = [&]() -> std::optional<BenchmarkEvent> {
        if (host.cancelRequested && host.cancelRequested()) return stopBenchmark(bench, world, host);
        if (!host.timerDue()) return std::nullopt;
        const BenchmarkEvent e = benchmarkTimerTick(bench, world, host);
        if (onRunFinished && bench.lastRun.value >= 0) onRunFinished(bench);
        if (e == BenchmarkEvent::NextRun) return std::nullopt;
        return e;
    };

    for (;;) {
        if (!world.simulationRunning) {
            // Paused inside a run (a collision stop): only the timer or a cancel goes on.
            if (std::optional<BenchmarkEvent> e = dispatch()) return *e;
            host.idle();
            continue;
        }
        world.batchStepCounter = 0;
        while (world.stepsPerFrame > 0) {
            if (std::optional<BenchmarkEvent> e = dispatch()) return *e;
            if (!world.simulationRunning || world.OBJECTS_N < 2) {
                host.setRunning(0);
                break;
            }
            simulationStep(world, pool);
            if (world.collisionDetected) {
                host.setRunning(0);
                break;
            }
            if (++world.batchStepCounter >= world.stepsPerFrame) break;
        }
        if (!world.simulationRunning) continue;
        // The first pass of a run marks the scenery modified instead of painting.
        if (!world.sceneryModified) {
            world.sceneryModified = 1;
            continue;
        }
        if (host.paintOneFrame) host.paintOneFrame(world);
        ++world.frameCounter;
    }
}

}  // namespace vantor
