// The gravity step and the worker pool that spreads it over the processors.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/kernel.h"
#include "engine/world.h"

namespace vantor {

struct ObjectRange {
    int start = 0;  // first object index
    int end = 0;    // one past the last
    int count = 0;
};

struct PairRange {
    int i = 0, j = 1;       // first pair (i, j), i < j, in row order
    int64_t count = 0;      // number of consecutive pairs
};

struct PoolState;  // threads, barriers and scratch; defined in gravity.cpp

// The steady clock in nanoseconds.
int64_t steadyClockNanoseconds();

// One worker per processor, created once. The calling thread takes part in
// every multi-worker step as worker 0, so a pool of P workers runs P-1
// threads of its own.
struct WorkerPool {
    WorkerPool();
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int processorCount = 1;  // workers the pool can run
    int workerCount = 1;     // the most workers that take part in a step, 1..processorCount
    int threadLimit = 1;     // the worker count partitionWork chose
    KernelKind kernel = bestKernel();  // the pair loop in use
    // Every step uses exactly workerCount workers. Otherwise the pool times
    // its steps and uses the count from 1 to workerCount that steps this
    // scenery fastest on this machine (see computingWorkers). Results are
    // bit-identical run to run for a given count of computing workers;
    // different counts add the pair forces in a different order.
    bool workersFixed = false;
    // The clock the step timings read, in nanoseconds; tests replace it.
    int64_t (*clock)() = steadyClockNanoseconds;
    std::unique_ptr<ObjectRange[]> objectRanges;  // one per processor
    std::unique_ptr<PairRange[]> pairRanges;      // one per processor
    std::unique_ptr<PoolState> state;
};

// Makes the pool for `processors` workers (0: one per processor of this
// machine) and partitions the work of the world's current table.
// Returns 1 on success, 0 when the threads cannot be created.
int createWorkerPool(WorkerPool& pool, const World& world, int processors = 0);

// Recomputes workerCount, threadLimit and both range tables for OBJECTS_N.
// Must follow every change of OBJECTS_N.
void partitionWork(WorkerPool& pool, const World& world);

// Recomputes the range tables for the present workerCount and OBJECTS_N.
void partitionRanges(WorkerPool& pool, const World& world);

// The workers that compute the steps: workerCount when it is fixed, else
// the count the measurements chose (workerCount until the first comparison
// after a change of scenery or setting). The few steps that try another
// count are not shown.
int computingWorkers(const WorkerPool& pool);

// The workers of the step in progress, or of the last one.
int stepWorkers(const WorkerPool& pool);

// Advances the current configuration by one step. A collision while
// collisions are not allowed sets collisionDetected and leaves every object
// as it was before the step (only SIMULATION_TIME has advanced); the caller
// pauses the run and tells the user.
void simulationStep(World& world, WorkerPool& pool);

// Sets a thread priority (platform value) on the pool's own threads and on
// the calling thread, which steps with them. 0 on success, -1 if refused.
int setWorkerPriority(WorkerPool& pool, int priority);

// Runs job(data, t) once on each of the pool's workers t = 0..P-1 (worker 0
// is the calling thread) and returns when all have finished; for work
// beside the step, such as the diagnostics' pair sum, never during a step.
// Returns the number of workers that ran it.
using WorkerJob = void (*)(void* data, int worker);
int runOnWorkers(WorkerPool& pool, WorkerJob job, void* data);

// The pair that follows (i, j) in row order for N objects.
inline void nextPair(int& i, int& j, int n) {
    if (++j >= n) {
        ++i;
        j = i + 1;
    }
}

}  // namespace vantor
