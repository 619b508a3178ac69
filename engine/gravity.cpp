#include "engine/gravity.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "engine/gather.h"
#include "engine/integrate.h"
#include "engine/worker_chooser.h"
#include "platform/platform.h"

namespace vantor {

namespace {

inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Waiting on another worker spins first: within a step the partner arrives
// in microseconds, and a kernel wake-up costs more than the whole step of a
// small scenery. Past that it yields, so that a partner sharing a processor
// on a busy machine gets to run.
template <typename Ready>
void waitUntil(Ready ready) {
    constexpr int kSpins = 1 << 10;
    for (int k = 0; k < kSpins; ++k) {
        if (ready()) return;
        cpuRelax();
    }
    while (!ready()) std::this_thread::yield();
}

// An idle worker waiting for the next step also yields for a while, then
// sleeps in the kernel, so that idle workers cost nothing.
void waitForChange(const std::atomic<uint64_t>& a, uint64_t old) {
    auto changed = [&] { return a.load(std::memory_order_acquire) != old; };
    constexpr int kSpins = 1 << 10;
    for (int k = 0; k < kSpins; ++k) {
        if (changed()) return;
        cpuRelax();
    }
    const auto yieldUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    while (std::chrono::steady_clock::now() < yieldUntil) {
        if (changed()) return;
        std::this_thread::yield();
    }
    while (!changed()) a.wait(old, std::memory_order_acquire);
}

// Where one worker is within the steps: a counter only it writes, on a
// cache line of its own, so that passing a barrier costs one transfer per
// partner and no read-modify-write of a shared line.
struct alignas(64) Epoch {
    std::atomic<uint64_t> value{0};
};

// Room for the vector kernels to read whole registers past the last object.
constexpr size_t kCapacity = MAX_OBJECTS + 16;

// Where the next column starts within its page, in cache lines.
std::atomic<unsigned> nextColumnOffset{0};

// A zeroed, cache-line aligned array of kCapacity entries. Each column
// starts 13 cache lines further into its page than the one made before it
// (13 is odd, so the offsets walk through all 64 sets of the first-level
// cache): columns that all start on a page boundary put the same entry of
// every column into one set, where the step's twenty-odd columns evict each
// other (about 5 % of a step at 100 objects).
template <typename T>
struct Column {
    static constexpr size_t kPage = 4096, kLine = 64;
    void* block;
    T* data;
    Column() : block(::operator new[](kCapacity * sizeof(T) + kPage, std::align_val_t(kPage))) {
        const size_t offset = nextColumnOffset.fetch_add(13, std::memory_order_relaxed) % (kPage / kLine) * kLine;
        data = reinterpret_cast<T*>(static_cast<char*>(block) + offset);
        std::memset(static_cast<void*>(data), 0, kCapacity * sizeof(T));
    }
    ~Column() { ::operator delete[](block, std::align_val_t(kPage)); }
    Column(const Column&) = delete;
    Column& operator=(const Column&) = delete;
    T& operator[](size_t i) { return data[i]; }
    const T& operator[](size_t i) const { return data[i]; }
};

// A worker's private partial force sums: no lock or atomic in the pair loop.
struct WorkerScratch {
    Column<double> fx, fy, fz;
    bool committed = false;  // its range's records may hold this step's new states
};

// Above this many objects the rows of a kernel without a block form walk
// column tiles that stay in the processor's second-level cache (8 arrays x
// 8192 x 8 bytes = 512 KiB).
constexpr int kTileColumns = 8192;
constexpr int kTiledAbove = 2 * kTileColumns;

}  // namespace

struct PoolState {
    explicit PoolState(int workers)
        : stepObjects(new ObjectRange[workers]), stepPairs(new PairRange[workers]), epochs(new Epoch[workers]) {
        scratch.reserve(workers);
        for (int t = 0; t < workers; ++t) scratch.push_back(std::make_unique<WorkerScratch>());
    }
    ~PoolState() { stopThreads(); }

    // The current table in structure-of-arrays form. Each worker fills and
    // integrates only its own object range; the pair loop reads all of it.
    // Until the next step they also keep the state an abandoned step
    // returns to.
    Column<double> x, y, z, vx, vy, vz;
    Column<double> m;       // effective mass (relativistic or rest), kg
    Column<double> active;  // 1.0 active, 0.0 skipped by the pair loop
    Column<uint8_t> activeBits;  // the same, a bit per object (see KernelArrays)
    Column<double> fx, fy, fz;  // summed forces of a step of several workers, N
    // The new state of the step.
    Column<double> nx, ny, nz, nvx, nvy, nvz;
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
    uint64_t stepEpoch = 0;  // each step's stages are stepEpoch + 1, + 2, + 3
    std::unique_ptr<Epoch[]> epochs;  // one per worker
    std::atomic<bool> quit{false};
    std::vector<std::thread> threads;
    std::vector<std::atomic<int64_t>> threadIds;
    WorkerJob job = nullptr;  // set while runOnWorkers runs one instead of a step
    void* jobData = nullptr;

    void stopThreads() {
        if (threads.empty()) return;
        quit.store(true, std::memory_order_release);
        startSignal.fetch_add(uint64_t{1} << kCountBits, std::memory_order_acq_rel);
        startSignal.notify_all();
        for (auto& t : threads) t.join();
        threads.clear();
    }
};

namespace {

bool stepAbandoned(const PoolState& s) { return s.stepCollision.load(std::memory_order_relaxed) != 0; }

// A collision of object k, booked by the worker that owns k.
void collide(PoolState& s, int k) {
    s.active[k] = 0.0;
    if (s.allowCollisions) {
        std::lock_guard<std::mutex> lock(s.collisionLock);
        s.world->objects[k].disabled = 1;
        s.world->COLLISION_COUNTER += 1;
    } else {
        s.stepCollision.store(1, std::memory_order_relaxed);
    }
}

// Small sceneries' columns fit in the first-level cache with room to spare.
constexpr int kPrefetchUpTo = 1024;

// Asks for the cache lines of column[begin, end) in exclusive state
// (prefetchw: a no-operation on processors without it).
void prefetchForWriting(double* column, int begin, int end) {
    for (int k = begin; k < end; k += 8) {
#if defined(__x86_64__) || defined(__i386__)
        asm volatile("prefetchw %0" : : "m"(column[k]));
#else
        __builtin_prefetch(column + k, 1, 3);
#endif
    }
}

void prefetchForReading(const double* column, int begin, int end) {
    for (int k = begin; k < end; k += 8) __builtin_prefetch(column + k, 0, 3);
}

// Worker t has reached `stage` of this step; waits until the step's other
// workers have too. Every worker passes every stage of a step.
void arriveAndWait(PoolState& s, int t, uint64_t stage) {
    s.epochs[t].value.store(stage, std::memory_order_release);
    for (int u = 0; u < s.workers; ++u) {
        if (u != t) waitUntil([&] { return s.epochs[u].value.load(std::memory_order_acquire) >= stage; });
    }
}

// The objects a worker gathers and integrates: its object range with both
// ends moved to a multiple of 8, so that no cache line of the per-object
// arrays is written by two workers (each line would bounce between their
// caches every step). Which worker handles an object does not change its
// result: the sums run over the workers' buffers in worker order either way.
ObjectRange rangeOf(const PoolState& s, int t) {
    if (s.workers <= 1) return ObjectRange{0, s.n, s.n};
    auto aligned = [&](int k) { return k >= s.n ? s.n : (k + 4) / 8 * 8; };
    const ObjectRange& r = s.stepObjects[t];
    const int start = t == 0 ? 0 : std::min(aligned(r.start), s.n);
    const int end = t == s.workers - 1 ? s.n : std::min(aligned(r.end), s.n);
    return ObjectRange{start, std::max(start, end), std::max(0, end - start)};
}

// Phase 1: the worker's own objects with their effective masses. A worker
// touches only the records of its own range, so they stay in its cache from
// step to step.
void gatherRange(PoolState& s, int begin, int end) {
    ObjectRecord* objects = s.world->objects.get();
    const GatherColumns out{s.x.data,  s.y.data, s.z.data,      s.vx.data,        s.vy.data,
                            s.vz.data, s.m.data, s.active.data, s.activeBits.data};
    if (!s.gather(objects, out, begin, end, s.relativistic)) return;
    for (int k = begin; k < end; ++k) {
        if (objects[k].disabled == 0 && s.active[k] == 0.0) collide(s, k);  // at or above the speed of light
    }
}

// Pairs in the rows before row i.
int64_t pairsBefore(int64_t n, int64_t i) { return i * (2 * n - i - 1) / 2; }

// The last row of a run of pairs and the end of its partners, found with
// the row formula rather than by walking every row of the run.
void lastRow(int n, const PairRange& range, int& iLast, int& jEnd) {
    const int64_t last = pairsBefore(n, range.i) + (range.j - range.i - 1) + range.count - 1;
    const double b = 2.0 * n - 1.0;
    int64_t row = static_cast<int64_t>((b - std::sqrt(std::max(0.0, b * b - 8.0 * static_cast<double>(last)))) / 2);
    row = std::clamp<int64_t>(row, 0, n - 2);
    while (row > 0 && pairsBefore(n, row) > last) --row;
    while (row + 1 <= n - 2 && pairsBefore(n, row + 1) <= last) ++row;
    iLast = static_cast<int>(row);
    jEnd = static_cast<int>(last - pairsBefore(n, row) + row + 2);
}

// Phase 2: the worker's consecutive pairs in row order, summed into its
// private buffer; rows of inactive objects are skipped but counted. Row i of
// the range covers partners [first(i), last(i)).
void computePairs(PoolState& s, WorkerScratch& own, const PairRange& range) {
    const int n = s.n;
    if (range.count <= 0 || range.i >= n) return;
    int iLast, jEnd;
    lastRow(n, range, iLast, jEnd);
    const KernelArrays arrays{s.x.data, s.y.data, s.z.data, s.m.data, s.active.data, s.activeBits.data, n};
    auto span = [&](int i, int from, int to, int& lo, int& hi) {
        lo = std::max(from, i == range.i ? range.j : i + 1);
        hi = std::min(to, i == iLast ? jEnd : n);
    };
    // Rows [first, last] within columns [from, to); two neighbouring active
    // rows that end together go through the kernel as one.
    auto rows = [&](int first, int last, int from, int to) {
        for (int i = first; i <= last;) {
            int lo, hi, lo2, hi2;
            span(i, from, to, lo, hi);
            const bool active = s.active[i] != 0.0;
            if (active && lo < hi && i < last && s.active[i + 1] != 0.0) {
                span(i + 1, from, to, lo2, hi2);
                if (hi2 == hi && lo2 == std::max(lo, i + 2)) {
                    s.pairRows(arrays, i, 2, lo, hi, own.fx.data, own.fy.data, own.fz.data);
                    i += 2;
                    continue;
                }
            }
            if (active && lo < hi) s.pairRows(arrays, i, 1, lo, hi, own.fx.data, own.fy.data, own.fz.data);
            ++i;
        }
    };
    if (s.blockRows) {
        // The blocks of 8 whose rows all lie wholly in the range go by the
        // block form (no short rows, and its passes come closer to the issue
        // rate than those of rows, at every size: 2.2e9 pairs/s on one core
        // at 10,000 and 50,000 objects, where rows reach 2.1e9); the rows
        // before and after them by rows.
        const int firstWhole = range.j == range.i + 1 ? range.i : range.i + 1;
        int lastWhole = jEnd == n ? iLast : iLast - 1;
        if (lastWhole >= n - 2) lastWhole = n - 1;  // the last row has no pairs
        const int firstBlock = (firstWhole + 7) / 8;
        const int endBlock = lastWhole == n - 1 ? (n + 7) / 8 : (lastWhole + 1) / 8;
        if (firstBlock < endBlock) {
            rows(range.i, 8 * firstBlock - 1, 0, n);
            s.blockRows(arrays, firstBlock, endBlock, own.fx.data, own.fy.data, own.fz.data);
            rows(8 * endBlock, iLast, 0, n);
            return;
        }
    }
    if (n <= kTiledAbove) {
        rows(range.i, iLast, 0, n);
        return;
    }
    // Large sceneries: column tile by column tile, every row of the range.
    for (int tile = (range.i + 1) / kTileColumns * kTileColumns; tile < n; tile += kTileColumns) {
        rows(range.i, std::min(iLast, tile + kTileColumns - 1), tile, tile + kTileColumns);
    }
}

// The summed forces of [begin, end): the workers' partial sums added in
// worker order (a single worker's are the sums already).
void sumForces(PoolState& s, int begin, int end, const double* (&f)[3]) {
    const WorkerScratch& first = *s.scratch[0];
    f[0] = first.fx.data, f[1] = first.fy.data, f[2] = first.fz.data;
    if (s.workers == 1) return;
    double* sum[3] = {s.fx.data, s.fy.data, s.fz.data};
    for (int c = 0; c < 3; ++c) {
        double* __restrict out = sum[c];
        std::memcpy(out + begin, f[c] + begin, sizeof(double) * (end - begin));
        for (int w = 1; w < s.workers; ++w) {
            const WorkerScratch& b = *s.scratch[w];
            const double* __restrict part = c == 0 ? b.fx.data : c == 1 ? b.fy.data : b.fz.data;
            for (int k = begin; k < end; ++k) out[k] += part[k];
        }
        f[c] = out;
    }
}

void restoreStates(PoolState& s, int begin, int end) {
    ObjectRecord* objects = s.world->objects.get();
    for (int k = begin; k < end; ++k) {
        ObjectRecord& o = objects[k];
        o.x = s.x[k], o.y = s.y[k], o.z = s.z[k];
        o.vx = s.vx[k], o.vy = s.vy[k], o.vz = s.vz[k];
    }
}

// Phase 3: integrates the worker's own objects from the summed forces
// straight into their records (the old states stay in the gathered
// columns) and checks them. An object whose new state is not finite gets its
// old one back; with collisions allowed it is disabled, otherwise the step
// is abandoned (and the caller takes back what every worker wrote).
void integrateRange(PoolState& s, int begin, int end) {
    const double* f[3];
    sumForces(s, begin, end, f);
    const IntegrateInput in{s.x.data, s.y.data, s.z.data, s.vx.data, s.vy.data, s.vz.data,
                            s.m.data, f[0],     f[1],     f[2],      s.active.data};
    ObjectRecord* records = s.world->objects.get();
    const IntegrateOutput out{s.nx.data, s.ny.data, s.nz.data, s.nvx.data, s.nvy.data, s.nvz.data, records};
    if (s.integrate(in, out, begin, end, s.dt)) return;
    for (int k = begin; k < end; ++k) {
        // A state that is not finite: a force that is not (two objects at
        // one point) always makes one, and so does a zero mass that a file
        // forced active, which would otherwise spread not-a-numbers to every
        // partner.
        const ObjectRecord& o = records[k];
        const bool finite = std::isfinite(o.x) && std::isfinite(o.y) && std::isfinite(o.z) &&
                            std::isfinite(o.vx) && std::isfinite(o.vy) && std::isfinite(o.vz);
        if (finite || s.active[k] == 0.0) continue;
        restoreStates(s, k, k + 1);
        collide(s, k);
        if (!s.allowCollisions) return;
    }
}

// Everything one worker does in a step. With several workers, every worker
// passes both barriers even after a collision, so that nobody is left
// waiting.
void runWorker(PoolState& s, int t) {
    WorkerScratch& own = *s.scratch[t];
    const ObjectRange range = rangeOf(s, t);
    own.committed = false;
    // In a small scenery the lines that the other workers read last step
    // are asked for all at once, rather than one store at a time.
    const bool small = s.workers > 1 && s.n <= kPrefetchUpTo;
    if (small) {
        for (double* column : {own.fx.data, own.fy.data, own.fz.data}) prefetchForWriting(column, 0, s.n);
        for (double* column : {s.x.data, s.y.data, s.z.data}) prefetchForWriting(column, range.start, range.end);
    }
    std::memset(own.fx.data, 0, sizeof(double) * s.n);
    std::memset(own.fy.data, 0, sizeof(double) * s.n);
    std::memset(own.fz.data, 0, sizeof(double) * s.n);

    gatherRange(s, range.start, range.end);
    if (s.workers > 1) arriveAndWait(s, t, s.stepEpoch + 1);

    if (!stepAbandoned(s)) {
        const PairRange all{0, 1, static_cast<int64_t>(s.n) * (s.n - 1) / 2};
        computePairs(s, own, s.workers > 1 ? s.stepPairs[t] : all);
    }
    if (s.workers > 1) {
        arriveAndWait(s, t, s.stepEpoch + 2);
        for (int w = 0; w < s.workers && small; ++w) {
            if (w == t) continue;
            const WorkerScratch& b = *s.scratch[w];
            for (const double* column : {b.fx.data, b.fy.data, b.fz.data}) prefetchForReading(column, range.start, range.end);
        }
    }
    if (!stepAbandoned(s)) {
        own.committed = true;  // from here on the range's records may hold new states
        integrateRange(s, range.start, range.end);
    }
}

// Without collisions allowed a step is all or nothing: a collision met by
// one worker takes back what the others committed.
void undoCommittedRanges(PoolState& s) {
    for (int t = 0; t < s.workers; ++t) {
        WorkerScratch& own = *s.scratch[t];
        if (!own.committed) continue;
        const ObjectRange range = rangeOf(s, t);
        restoreStates(s, range.start, range.end);
        own.committed = false;
    }
}

// The equal split of n objects and of their pairs in row order over w
// workers.
void splitWork(int n, int w, ObjectRange* objects, PairRange* pairRuns) {
    int b = n / w, r = n % w, next = 0;
    for (int t = 0; t < w; ++t) {
        const int count = b + (r > 0 ? 1 : 0);
        if (r > 0) --r;
        objects[t] = {next, next + count, count};
        next += count;
    }
    const int64_t pairs = static_cast<int64_t>(n) * (n - 1) / 2;
    const int64_t b2 = pairs / w, r2 = pairs % w;
    int i = 0, j = 1;
    for (int t = 0; t < w; ++t) {
        const int64_t count = b2 + (t < r2 ? 1 : 0);
        pairRuns[t] = {i, j, count};
        for (int64_t left = count; left > 0 && i < n;) {
            const int64_t inRow = n - j;
            if (left < inRow) {
                j += static_cast<int>(left);
                left = 0;
            } else {
                left -= inRow;
                ++i;
                j = i + 1;
            }
        }
    }
}

void workerThread(PoolState* s, int t) {
    s->threadIds[t].store(platform::currentThreadId(), std::memory_order_relaxed);
    uint64_t seen = 0;
    for (;;) {
        waitForChange(s->startSignal, seen);
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

}  // namespace

WorkerPool::WorkerPool()
    : objectRanges(new ObjectRange[1]), pairRanges(new PairRange[1]), state(new PoolState(1)) {}

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

void partitionWork(WorkerPool& pool, const World& world) {
    const int64_t n = world.OBJECTS_N;
    if (pool.processorCount < 2) {
        pool.workerCount = 1;
    } else {
        // At most one worker per 4 pairs: tiny sceneries avoid the handshake.
        const int64_t q = (n * (n - 1) / 2) / 4;
        if (q <= 1) pool.workerCount = 1;
        else if (q > pool.processorCount) pool.workerCount = pool.processorCount;
        else pool.workerCount = static_cast<int>(q);
    }
    pool.threadLimit = pool.workerCount;
    if (pool.workerCount >= 2) partitionRanges(pool, world);
    pool.state->partitionedN = world.OBJECTS_N;
    pool.state->chooserN = -1;  // another scenery: measure afresh
}

void partitionRanges(WorkerPool& pool, const World& world) {
    const int n = world.OBJECTS_N;
    splitWork(n, std::max(1, std::min(pool.workerCount, pool.processorCount)), pool.objectRanges.get(),
              pool.pairRanges.get());
    pool.state->partitionedN = n;
    pool.state->chooserN = -1;  // a new setting: measure afresh
}

namespace {

int workerLimit(const WorkerPool& pool, const PoolState& s) {
    return s.threads.empty() ? 1 : std::clamp(pool.workerCount, 1, pool.processorCount);
}

// Sets the count of workers for this step and their ranges; true when the
// step is to be timed for the chooser.
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

}  // namespace

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

void simulationStep(World& world, WorkerPool& pool) {
    PoolState& s = *pool.state;
    if (s.partitionedN != world.OBJECTS_N) partitionWork(pool, world);  // a caller forgot; stay in bounds
    world.SIMULATION_TIME += world.SIMULATION_TIME_STEP;

    s.world = &world;
    s.n = std::clamp(world.OBJECTS_N, 0, MAX_OBJECTS);
    const bool timed = chooseWorkers(pool, s);
    s.dt = world.SIMULATION_TIME_STEP;
    s.relativistic = world.CALCULATE_RELATIVISTIC_MASSES != 0;
    s.allowCollisions = world.ALLOW_OBJECT_COLLISIONS != 0;
    // Every loop of the step in 512-bit vectors where the pool's kernel runs
    // them; the portable ones otherwise (which have no block form).
    const bool vectors = pool.kernel == KernelKind::Avx512 && kernelAvailable(pool.kernel);
    s.pairRows = vectors ? pairRowsAvx512 : pairRowsPortable;
    s.blockRows = vectors ? blockRowsAvx512 : nullptr;
    s.integrate = vectors ? integrateObjectsAvx512 : integrateObjects;
    s.gather = vectors ? gatherObjectsAvx512 : gatherObjects;
    s.stepCollision.store(0, std::memory_order_relaxed);

    const int64_t start = timed ? pool.clock() : 0;
    if (s.workers > 1) {
        s.stepEpoch += 3;
        const uint64_t step = (s.startSignal.load(std::memory_order_relaxed) >> PoolState::kCountBits) + 1;
        s.startSignal.store(step << PoolState::kCountBits | static_cast<uint64_t>(s.workers),
                            std::memory_order_release);
        s.startSignal.notify_all();
        runWorker(s, 0);
        const uint64_t done = s.stepEpoch + 3;
        for (int u = 1; u < s.workers; ++u) {
            waitUntil([&] { return s.epochs[u].value.load(std::memory_order_acquire) >= done; });
        }
    } else {
        runWorker(s, 0);
    }
    if (stepAbandoned(s)) {
        undoCommittedRanges(s);
        world.collisionDetected = 1;
    }
    if (s.chooserN >= 0) s.chooser.stepDone(timed ? static_cast<double>(pool.clock() - start) * 1e-9 : -1.0);
}

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
    s.stepEpoch += 3;
    const uint64_t signal = (s.startSignal.load(std::memory_order_relaxed) >> PoolState::kCountBits) + 1;
    s.startSignal.store(signal << PoolState::kCountBits | static_cast<uint64_t>(workers), std::memory_order_release);
    s.startSignal.notify_all();
    job(data, 0);
    const uint64_t done = s.stepEpoch + 3;
    for (int u = 1; u < workers; ++u) {
        waitUntil([&] { return s.epochs[u].value.load(std::memory_order_acquire) >= done; });
    }
    s.job = nullptr;
    s.jobData = nullptr;
    return workers;
}

}  // namespace vantor
