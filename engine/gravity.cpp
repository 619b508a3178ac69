#include "engine/gravity.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/kernels/vector_units.h"
#include "engine/pool/pool_state.h"
#include "platform/check.h"

#ifndef VANTOR_HAVE_AVX512
#error "the build says in engine/kernels/vector_units.h which loops it has"
#endif

namespace vantor {

namespace {

// Above this many objects the rows of a kernel without a block form walk
// column tiles that stay in the processor's second-level cache (8 arrays x
// 8192 x 8 bytes = 512 KiB).
constexpr int kTileColumns = 8192;
constexpr int kTiledAbove = 2 * kTileColumns;

// Small sceneries' columns fit in the first-level cache with room to spare.
constexpr int kPrefetchUpTo = 1024;

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
        if (u != t) pool::waitUntil([&] { return s.epochs[u].value.load(std::memory_order_acquire) >= stage; });
    }
}

ObjectRange rangeOf(const PoolState& s, int t) { return alignedObjectRange(s.stepObjects[t], t, s.workers, s.n); }

// Phase 1: the worker's own objects with their effective masses. A worker
// touches only the records of its own range, so they stay in its cache from
// step to step.
void gatherPhase(PoolState& s, int begin, int end) {
    VANTOR_ASSERT(begin <= end && (begin % 8 == 0 || begin == end));
    ObjectRecord* objects = s.world->objects.get();
    const GatherColumns out{s.x.data,  s.y.data, s.z.data,      s.vx.data,        s.vy.data,
                            s.vz.data, s.m.data, s.active.data, s.activeBits.data};
    if (!s.gather(objects, out, begin, end, s.relativistic)) return;
    for (int k = begin; k < end; ++k) {
        if (objects[k].disabled == 0 && s.active[k] == 0.0) collide(s, k);  // at or above the speed of light
    }
}

// One worker's run of pairs in row order, summed into its private buffer;
// rows of inactive objects are skipped but counted. Row i of the run covers
// partners [first(i), last(i)).
struct PairWalk {
    PoolState& s;
    WorkerScratch& own;
    const PairRange& range;
    KernelArrays arrays;
    int iLast = 0, jEnd = 0;

    PairWalk(PoolState& state, WorkerScratch& scratch, const PairRange& run)
        : s(state), own(scratch), range(run), arrays{s.x.data,      s.y.data,          s.z.data, s.m.data,
                                                     s.active.data, s.activeBits.data, s.n} {
        lastRow(s.n, range, iLast, jEnd);
    }

    // Row i's partners within columns [from, to).
    void span(int i, int from, int to, int& lo, int& hi) const {
        lo = std::max(from, i == range.i ? range.j : i + 1);
        hi = std::min(to, i == iLast ? jEnd : s.n);
    }

    void kernelRows(int i, int count, int lo, int hi) {
        VANTOR_ASSERT(s.active[i] != 0.0 && (count == 1 || s.active[i + 1] != 0.0));
        s.pairRows(arrays, i, count, lo, hi, own.fx.data, own.fy.data, own.fz.data);
    }

    // Rows [first, last] within columns [from, to); two neighbouring active
    // rows that end together go through the kernel as one.
    void rows(int first, int last, int from, int to) {
        for (int i = first; i <= last;) {
            int lo, hi, lo2, hi2;
            span(i, from, to, lo, hi);
            const bool active = s.active[i] != 0.0;
            if (active && lo < hi && i < last && s.active[i + 1] != 0.0) {
                span(i + 1, from, to, lo2, hi2);
                if (hi2 == hi && lo2 == std::max(lo, i + 2)) {
                    kernelRows(i, 2, lo, hi);
                    i += 2;
                    continue;
                }
            }
            if (active && lo < hi) kernelRows(i, 1, lo, hi);
            ++i;
        }
    }

    // The blocks of 8 whose rows all lie wholly in the run go by the block
    // form (no short rows, and its passes come closer to the issue rate than
    // those of rows); the rows before and after them by rows. False when the
    // run holds no whole block.
    bool byBlocks() {
        const int n = s.n;
        const int firstWhole = range.j == range.i + 1 ? range.i : range.i + 1;
        int lastWhole = jEnd == n ? iLast : iLast - 1;
        if (lastWhole >= n - 2) lastWhole = n - 1;  // the last row has no pairs
        const int firstBlock = (firstWhole + 7) / 8;
        const int endBlock = lastWhole == n - 1 ? (n + 7) / 8 : (lastWhole + 1) / 8;
        if (firstBlock >= endBlock) return false;
        rows(range.i, 8 * firstBlock - 1, 0, n);
        s.blockRows(arrays, firstBlock, endBlock, own.fx.data, own.fy.data, own.fz.data);
        rows(8 * endBlock, iLast, 0, n);
        return true;
    }

    // Large sceneries: column tile by column tile, every row of the run.
    void byTiles() {
        for (int tile = (range.i + 1) / kTileColumns * kTileColumns; tile < s.n; tile += kTileColumns) {
            rows(range.i, std::min(iLast, tile + kTileColumns - 1), tile, tile + kTileColumns);
        }
    }
};

// Phase 2: the worker's consecutive pairs.
void pairPhase(PoolState& s, WorkerScratch& own, const PairRange& range) {
    if (range.count <= 0 || range.i >= s.n) return;
    PairWalk walk(s, own, range);
    if (s.blockRows && walk.byBlocks()) return;
    if (s.n <= kTiledAbove) walk.rows(range.i, walk.iLast, 0, s.n);
    else walk.byTiles();
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

bool finiteState(const ObjectRecord& o) {
    return std::isfinite(o.x) && std::isfinite(o.y) && std::isfinite(o.z) && std::isfinite(o.vx) &&
           std::isfinite(o.vy) && std::isfinite(o.vz);
}

// Phase 3: integrates the worker's own objects from the summed forces
// straight into their records (the old states stay in the gathered
// columns) and checks them. An object whose new state is not finite gets its
// old one back; with collisions allowed it is disabled, otherwise the step
// is abandoned (and the caller takes back what every worker wrote).
void integratePhase(PoolState& s, int begin, int end) {
    const double* f[3];
    sumForces(s, begin, end, f);
    const IntegrateInput in{s.x.data, s.y.data, s.z.data, s.vx.data, s.vy.data,    s.vz.data,
                            s.m.data, f[0],     f[1],     f[2],      s.active.data};
    ObjectRecord* records = s.world->objects.get();
    const IntegrateOutput out{s.nx.data, s.ny.data, s.nz.data, s.nvx.data, s.nvy.data, s.nvz.data, records};
    if (s.integrate(in, out, begin, end, s.dt)) return;
    for (int k = begin; k < end; ++k) {
        // A state that is not finite: a force that is not (two objects at
        // one point) always makes one, and so does a zero mass that a file
        // forced active, which would otherwise spread not-a-numbers to every
        // partner.
        if (finiteState(records[k]) || s.active[k] == 0.0) continue;
        restoreStates(s, k, k + 1);
        collide(s, k);
        if (!s.allowCollisions) return;
    }
}

// Clears the worker's force buffers. In a small scenery the lines that the
// other workers read last step are asked for all at once, rather than one
// store at a time.
void prepareScratch(PoolState& s, WorkerScratch& own, const ObjectRange& range, bool small) {
    if (small) {
        for (double* column : {own.fx.data, own.fy.data, own.fz.data}) prefetchForWriting(column, 0, s.n);
        for (double* column : {s.x.data, s.y.data, s.z.data}) prefetchForWriting(column, range.start, range.end);
    }
    for (double* column : {own.fx.data, own.fy.data, own.fz.data}) std::memset(column, 0, sizeof(double) * s.n);
}

// The partners' partial sums of the worker's own objects, asked for before
// they are added.
void prefetchPartnerSums(const PoolState& s, int t, const ObjectRange& range) {
    for (int w = 0; w < s.workers; ++w) {
        if (w == t) continue;
        const WorkerScratch& b = *s.scratch[w];
        for (const double* column : {b.fx.data, b.fy.data, b.fz.data})
            prefetchForReading(column, range.start, range.end);
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

// Every loop of the step in 512-bit vectors where the pool's kernel runs
// them; the portable ones otherwise (which have no block form).
void chooseLoops(const WorkerPool& pool, PoolState& s) {
    s.pairRows = pairRowsPortable;
    s.blockRows = nullptr;
    s.integrate = integrateObjects;
    s.gather = gatherObjects;
#if VANTOR_HAVE_AVX512
    if (pool.kernel == KernelKind::Avx512 && kernelAvailable(pool.kernel)) {
        s.pairRows = pairRowsAvx512;
        s.blockRows = blockRowsAvx512;
        s.integrate = integrateObjectsAvx512;
        s.gather = gatherObjectsAvx512;
    }
#else
    (void)pool;
#endif
}

}  // namespace

// Everything one worker does in a step. With several workers, every worker
// passes both barriers even after a collision, so that nobody is left
// waiting.
void runWorker(PoolState& s, int t) {
    WorkerScratch& own = *s.scratch[t];
    const ObjectRange range = rangeOf(s, t);
    own.committed = false;
    const bool small = s.workers > 1 && s.n <= kPrefetchUpTo;
    prepareScratch(s, own, range, small);

    gatherPhase(s, range.start, range.end);
    if (s.workers > 1) arriveAndWait(s, t, s.stepEpoch + 1);

    if (!stepAbandoned(s)) {
        const PairRange all{0, 1, static_cast<int64_t>(s.n) * (s.n - 1) / 2};
        pairPhase(s, own, s.workers > 1 ? s.stepPairs[t] : all);
    }
    if (s.workers > 1) {
        arriveAndWait(s, t, s.stepEpoch + 2);
        if (small) prefetchPartnerSums(s, t, range);
    }
    if (!stepAbandoned(s)) {
        own.committed = true;  // from here on the range's records may hold new states
        integratePhase(s, range.start, range.end);
    }
}

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
    chooseLoops(pool, s);
    s.stepCollision.store(0, std::memory_order_relaxed);

    const int64_t start = timed ? pool.clock() : 0;
    if (s.workers > 1) startWorkers(s, s.workers);
    runWorker(s, 0);
    if (s.workers > 1) waitForWorkers(s, s.workers);
    if (stepAbandoned(s)) {
        undoCommittedRanges(s);
        world.collisionDetected = 1;
    }
    if (s.chooserN >= 0) s.chooser.stepDone(timed ? static_cast<double>(pool.clock() - start) * 1e-9 : -1.0);
}

}  // namespace vantor
