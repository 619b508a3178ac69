// The worker pool that spreads the step (and the diagnostics' pair sum)
// over the processors.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/kernels/kernel.h"
#include "engine/partition.h"
#include "engine/world.h"

namespace vantor {

struct PoolState;  // threads, signals and scratch; engine/pool/pool_state.h

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

    int processorCount = 1;            // workers the pool can run
    int workerCount = 1;               // the most workers that take part in a step, 1..processorCount
    int threadLimit = 1;               // the worker count partitionWork chose
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

// Sets a thread priority (platform value) on the pool's own threads and on
// the calling thread, which steps with them. 0 on success, -1 if refused.
int setWorkerPriority(WorkerPool& pool, int priority);

// Runs job(data, t) once on each of the pool's workers t = 0..P-1 (worker 0
// is the calling thread) and returns when all have finished; for work
// beside the step, such as the diagnostics' pair sum, never during a step.
// Returns the number of workers that ran it.
using WorkerJob = void (*)(void* data, int worker);
int runOnWorkers(WorkerPool& pool, WorkerJob job, void* data);

}  // namespace vantor
