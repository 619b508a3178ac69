// The benchmark without a window: the runs step and paint on the calling
// thread, as the program's run loop does, and the timer is a deadline on the
// host's clock.
#pragma once

#include <cstdint>
#include <functional>

#include "benchmark/run.h"
#include "engine/gravity.h"

namespace vantor {

class HeadlessBenchmarkHost : public BenchmarkHost {
public:
    HeadlessBenchmarkHost(World& world, WorkerPool& pool) : world_(world), pool_(pool) {}

    // Workers per step, 1 up to what partitionWork chooses; 0: its choice.
    int workerCount = 0;
    // Called after the benchmark scenery is loaded (a painter sets up its view).
    std::function<void(World&)> afterSceneryLoaded;
    // Paints one frame; when empty, frames are only counted.
    std::function<void(World&)> paintOneFrame;
    // Raises (true) or restores (false) the process and worker priorities.
    std::function<void(bool raised)> setPriority;
    // Asked between steps; true stops the benchmark as Cancel does.
    std::function<bool()> cancelRequested;

    // The clock of both the timer and the counter, in nanoseconds; tests
    // replace it to make runs of a fixed length without waiting.
    virtual int64_t now();
    // Waits a little while the simulation is paused inside a run.
    virtual void idle();

    bool timerDue();

    bool openBenchmarkScenery() override;
    void startBenchmarkTimer(int milliseconds) override;
    void stopBenchmarkTimer() override;
    void setRunning(int mode) override;
    void raisePriority() override;
    void discardScenery() override;
    int64_t counterFrequency() override { return 1000000000; }
    bool readCounter(int64_t& value) override;

private:
    World& world_;
    WorkerPool& pool_;
    bool timerActive_ = false;
    int64_t timerPeriod_ = 0;
    int64_t deadline_ = 0;
};

// Runs a whole benchmark: starts it, then repeats the run loop's pass (a
// batch of stepsPerFrame steps, the timer and the cancel request looked at
// before each step, then one frame) until the benchmark ends. Returns the
// last event: Completed, NotCompleted, Ended, ViewNotReady or NotStarted.
// onRunFinished, when given, sees every run that ended with a value.
BenchmarkEvent runBenchmarkHeadless(Benchmark& bench, World& world, WorkerPool& pool, HeadlessBenchmarkHost& host,
                                    const std::function<void(const Benchmark&)>& onRunFinished = {});

}  // namespace vantor
