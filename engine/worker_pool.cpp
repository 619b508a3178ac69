#include "engine/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "engine/pool/pool_state.h"
#include "platform/platform.h"

namespace vantor {

PoolState::PoolState(int workers)
    : stepObjects(new ObjectRange[workers]), stepPairs(new PairRange[workers]), epochs(new pool::Epoch[workers]) {
    scratch.reserve(workers);
    for (int t = 0; t < workers; ++t) scratch.push_back(std::make_unique<WorkerScratch>());
}

void PoolState::stopThreads() {
    if (threads.empty()) return;
    quit.store(true, std::memory_order_release);
    startSignal.fetch_add(uint64_t{1} << kCountBits, std::memory_order_acq_rel);
    startSignal.notify_all();
    for (auto& t : threads) t.join();
    threads.clear();
}

void startWorkers(PoolState& s, int workers) {
    s.stepEpoch += 3;
    const uint64_t step = (s.startSignal.load(std::memory_order_relaxed) >> PoolState::kCountBits) + 1;
    s.startSignal.store(step << PoolState::kCountBits | static_cast<uint64_t>(workers), std::memory_order_release);
    s.startSignal.notify_all();
}

void waitForWorkers(PoolState& s, int workers) {
    const uint64_t done = s.stepEpoch + 3;
    for (int u = 1; u < workers; ++u) {
        pool::waitUntil([&] { return s.epochs[u].value.load(std::memory_order_acquire) >= done; });
    }
}

namespace {

void workerThread(PoolState* s, int t) {
    s->threadIds[t].store(platform::currentThreadId(), std::memory_order_relaxed);
    uint64_t seen = 0;
    for (;;) {
        pool::waitForChange(s->startSignal, seen);
        seen = s->startSignal.load(std::memory_order_acquire);
        if (s->quit.load(std::memory_order_acquire)) return;
        const uint64_t stepWorkers = seen & ((uint64_t{1} << PoolState::kCountBits) - 1);
        if (static_cast<uint64_t>(t) < stepWorkers) {
            if (s->job) s->job(s->jobData, t);
            else runWorker(*s, t);
            s->epochs[t].value.store(s->stepEpoch + 3, std::memory_order_release);
        }
    }
}

int workerLimit(const WorkerPool& pool, const PoolState& s) {
    return s.threads.empty() ? 1 : std::clamp(pool.workerCount, 1, pool.processorCount);
}

}  // namespace

WorkerPool::WorkerPool() : objectRanges(new ObjectRange[1]), pairRanges(new PairRange[1]), state(new PoolState(1)) {}

WorkerPool::~WorkerPool() = default;

int createWorkerPool(WorkerPool& pool, const World& world, int processors) {
    if (pool.state) pool.state->stopThreads();
    const int p = processors > 0 ? processors : platform::processorCount();
    pool.processorCount = p;
    pool.objectRanges.reset(new ObjectRange[p]);
    pool.pairRanges.reset(new PairRange[p]);
    pool.state.reset(new PoolState(p));
    pool.state->threadIds = std::vector<std::atomic<int64_t>>(p);
    partitionWork(pool, world);
    if (p < 2) return 1;
    try {
        // Worker 0 is the calling thread; the pool runs the others.
        for (int t = 1; t < p; ++t) pool.state->threads.emplace_back(workerThread, pool.state.get(), t);
    } catch (const std::system_error&) {
        pool.state->stopThreads();
        return 0;
    }
    // A priority set right after this must reach every worker: wait until
    // each has told its kernel id.
    for (int t = 1; t < p; ++t) {
        while (pool.state->threadIds[t].load(std::memory_order_relaxed) == 0) std::this_thread::yield();
    }
    return 1;
}

bool chooseWorkers(const WorkerPool& pool, PoolState& s) {
    const int limit = workerLimit(pool, s);
    bool timed = false;
    if (pool.workersFixed || limit <= 1) {
        s.workers = limit;
        s.chooserN = -1;
    } else {
        if (s.chooserN != s.n || s.chooser.limit() != limit) {
            s.chooser.reset(limit);
            s.chooserN = s.n;
        }
        s.workers = s.chooser.next();
        timed = s.chooser.timesNext();
    }
    if (s.workers > 1 && (s.rangesWorkers != s.workers || s.rangesN != s.n)) {
        splitWork(s.n, s.workers, s.stepObjects.get(), s.stepPairs.get());
        s.rangesWorkers = s.workers;
        s.rangesN = s.n;
    }
    return timed;
}

int64_t steadyClockNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int computingWorkers(const WorkerPool& pool) {
    const PoolState& s = *pool.state;
    const int limit = workerLimit(pool, s);
    if (pool.workersFixed || limit <= 1 || s.chooserN < 0 || s.chooser.limit() != limit) return limit;
    return s.chooser.chosen();
}

int stepWorkers(const WorkerPool& pool) { return pool.state->workers; }

int setWorkerPriority(WorkerPool& pool, int nice) {
    PoolState& s = *pool.state;
    // The calling thread computes worker 0's share of every step (and the
    // whole step without workers), so it gets the workers' priority too.
    int result = platform::setThreadNice(platform::currentThreadId(), nice);
    if (s.threads.empty()) return result;
    for (size_t t = 1; t < s.threadIds.size(); ++t) {
        if (platform::setThreadNice(s.threadIds[t].load(std::memory_order_relaxed), nice) != 0) result = -1;
    }
    return result;
}

// The start signal and done marks of a step, with the job in place of the
// step's work.
int runOnWorkers(WorkerPool& pool, WorkerJob job, void* data) {
    PoolState& s = *pool.state;
    const int workers = static_cast<int>(s.threads.size()) + 1;
    if (workers == 1) {
        job(data, 0);
        return 1;
    }
    s.job = job;
    s.jobData = data;
    startWorkers(s, workers);
    job(data, 0);
    waitForWorkers(s, workers);
    s.job = nullptr;
    s.jobData = nullptr;
    return workers;
}

}  // namespace vantor
