// What the worker pool, the partition and the step share: the pool's
// threads and signals, the step's columns and its parameters. Internal to
// the engine.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/kernels/gather.h"
#include "engine/kernels/integrate.h"
#include "engine/kernels/kernel.h"
#include "engine/pool/column.h"
#include "engine/pool/spin_wait.h"
#include "engine/worker_chooser.h"
#include "engine/worker_pool.h"

namespace vantor {

// A worker's private partial force sums: no lock or atomic in the pair loop.
struct WorkerScratch {
    pool::Column<double> fx, fy, fz;
    bool committed = false;  // its range's records may hold this step's new states
};

struct PoolState {
    explicit PoolState(int workers);
    ~PoolState() { stopThreads(); }

    // The current table in structure-of-arrays form. Each worker fills and
    // integrates only its own object range; the pair loop reads all of it.
    // Until the next step they also keep the state an abandoned step
    // returns to.
    pool::Column<double> x, y, z, vx, vy, vz;
    pool::Column<double> m;            // effective mass (relativistic or rest), kg
    pool::Column<double> active;       // 1.0 active, 0.0 skipped by the pair loop
    pool::Column<uint8_t> activeBits;  // the same, a bit per object (see KernelArrays)
    pool::Column<double> fx, fy, fz;   // summed forces of a step of several workers, N
    // The new state of the step.
    pool::Column<double> nx, ny, nz, nvx, nvy, nvz;
    std::vector<std::unique_ptr<WorkerScratch>> scratch;

    // Step parameters, written by the caller before the start signal.
    World* world = nullptr;
    int n = 0;
    int workers = 1;
    double dt = 0;
    bool relativistic = false;
    bool allowCollisions = false;
    int partitionedN = -1;
    // The ranges of the count of workers that computes this step, which
    // the chooser may set below workerCount (the published tables stay
    // those of workerCount).
    std::unique_ptr<ObjectRange[]> stepObjects;
    std::unique_ptr<PairRange[]> stepPairs;
    int rangesWorkers = 0, rangesN = -1;
    WorkerChooser chooser;
    int chooserN = -1;  // the scenery size it measured; -1: start afresh
    PairRowsFn pairRows = pairRowsPortable;
    BlockRowsFn blockRows = nullptr;
    IntegrateFn integrate = integrateObjects;
    GatherFn gather = gatherObjects;

    std::atomic<int> stepCollision{0};  // a collision with collisions not allowed
    std::mutex collisionLock;           // the collision bookkeeping only

    // The start signal of a step: its number above the low 16 bits, its
    // worker count in them. A thread left out of a step may look only when
    // the next one has begun; one load gives it the count of the step that
    // woke it, never that of a later step whose parameters are being written.
    static constexpr int kCountBits = 16;
    alignas(64) std::atomic<uint64_t> startSignal{0};
    uint64_t stepEpoch = 0;                 // each step's stages are stepEpoch + 1, + 2, + 3
    std::unique_ptr<pool::Epoch[]> epochs;  // one per worker
    std::atomic<bool> quit{false};
    std::vector<std::thread> threads;
    std::vector<std::atomic<int64_t>> threadIds;
    WorkerJob job = nullptr;  // set while runOnWorkers runs one instead of a step
    void* jobData = nullptr;

    void stopThreads();
};

// The pool's threads run this for worker t of every step they take part in.
void runWorker(PoolState& s, int t);

// Starts a step (or a job) of `workers` workers: the threads among them
// begin, the calling thread is worker 0.
void startWorkers(PoolState& s, int workers);

// Waits until workers 1 .. workers-1 have finished the step started last.
void waitForWorkers(PoolState& s, int workers);

// Sets the count of workers for this step and their ranges; true when the
// step is to be timed for the chooser.
bool chooseWorkers(const WorkerPool& pool, PoolState& s);

}  // namespace vantor
