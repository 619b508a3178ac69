// Steps per second and pair interactions per second of the gravity step,
// over scenery sizes, for the program's pool beside one worker and every
// worker fixed, on a quiet machine and with the second core kept busy, with
// the ratio to the plain scalar step measured in the same run; and the
// issue rate of the processor's 512-bit units for the pair kernel's mix of
// operations, the bound the kernel is measured against. `make bench` keeps
// the best of 5 runs (the "max" rows for the rates).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <random>
#include <thread>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "bench/bench_world.h"
#include "engine/gravity.h"
#include "tests/support/reference_step.h"

namespace {

using namespace vantor;

using bench::fillCluster;

// Steps per second of the plain scalar step, measured once per size.
double referenceStepsPerSecond(int n) {
    static std::map<int, double> measured;
    if (auto it = measured.find(n); it != measured.end()) return it->second;
    World world;
    fillCluster(world, n);
    const auto start = std::chrono::steady_clock::now();
    int steps = 0;
    double elapsed = 0;
    do {
        referenceStep(world);
        ++steps;
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < 0.5);
    return measured[n] = steps / elapsed;
}

// How the pool picks its computing workers.
enum Mode {
    kMeasured = 0,   // the program's pool: the count the measurements choose
    kForcedOne = 1,  // one worker, fixed
    kForcedAll = 2,  // every worker the partition allows, fixed
};

// Keeps the second core busy, as another program would, for as long as it
// lives.
class Spinner {
public:
    Spinner()
        : thread_([this] {
              volatile double x = 1;
              while (!stop_.load(std::memory_order_relaxed)) x = x * 1.0000001;
          }) {}
    ~Spinner() {
        stop_.store(true);
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BM_SimulationStep(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const Mode mode = static_cast<Mode>(state.range(1));
    std::optional<Spinner> spinner;
    if (state.range(2) != 0) spinner.emplace();
    World world;
    fillCluster(world, n);
    WorkerPool pool;
    createWorkerPool(pool, world);
    pool.workersFixed = mode != kMeasured;
    if (mode == kForcedOne) {
        pool.workerCount = 1;
        partitionRanges(pool, world);
    }
    const double reference = referenceStepsPerSecond(n);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) simulationStep(world, pool);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double pairs = static_cast<double>(n) * (n - 1) / 2;
    const double stepsPerSecond = static_cast<double>(state.iterations()) / seconds;
    state.counters["steps/s"] = stepsPerSecond;
    state.counters["pairs/s"] = stepsPerSecond * pairs;
    state.counters["x_scalar"] = stepsPerSecond / reference;
    state.counters["workers"] = computingWorkers(pool);  // at the end of the run
}

// mode 0 is the program's pool, 1 and 2 one worker and every worker fixed;
// busy 1 runs a spinning thread beside the steps. The three modes of a size
// run one after the other, so that a change of the machine's speed (other
// programs, the host) shows in all three.
void sizesAndModes(benchmark::internal::Benchmark* b) {
    for (int busy : {0, 1}) {
        for (int n : {5, 100, 200, 500, 1000, 10000, 50000}) {
            if (busy && n != 100 && n != 1000 && n != 10000) continue;
            for (int mode : {kMeasured, kForcedOne, kForcedAll}) b->Args({n, mode, busy});
        }
    }
}

BENCHMARK(BM_SimulationStep)
    ->ArgNames({"N", "mode", "busy"})
    ->Apply(sizesAndModes)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });

#if defined(__x86_64__)

// The processor's clock: a chain of dependent register-to-register integer
// additions, one a cycle on every x86 processor. (Additions of a constant
// will not do: some cores fold several of them into one at renaming and
// run the chain at up to five a cycle.)
void BM_ClockFromAddChain(benchmark::State& state) {
    constexpr int64_t kAdds = 1 << 20;
    int64_t total = 0;
    uint64_t step = 1;
    benchmark::DoNotOptimize(step);
    for (auto _ : state) {
        uint64_t v = 0;
        for (int64_t k = 0; k < kAdds; k += 8) {
            asm volatile(
                "add %1, %0\n\tadd %1, %0\n\tadd %1, %0\n\tadd %1, %0\n\t"
                "add %1, %0\n\tadd %1, %0\n\tadd %1, %0\n\tadd %1, %0"
                : "+r"(v)
                : "r"(step));
        }
        benchmark::DoNotOptimize(v);
        total += kAdds;
    }
    state.counters["GHz"] = benchmark::Counter(static_cast<double>(total) * 1e-9, benchmark::Counter::kIsRate);
}

// Keeps the compiler from hoisting a value out of the loop: it might have
// changed.
#define VANTOR_OPAQUE(v) asm volatile("" : "+v"(v))

// The pair kernel's operations for one pass of eight partners against one
// block, as in engine/kernel_avx512.cpp (3 subtractions, 3 for r2, the mass
// product, the reciprocal square root and 8 for the force factor, 6 sums:
// 22 vector operations), two blocks per partner, with every input in
// registers: no loads, stores or permutes, only what the vector units issue.
__attribute__((target("avx512f,avx512dq,fma"))) void kernelMixPasses(int64_t rounds, double* sink) {
    __m512d jx = _mm512_set1_pd(1.0), jy = _mm512_set1_pd(2.0), jz = _mm512_set1_pd(3.0), jm = _mm512_set1_pd(1e24);
    __m512d bx[2] = {_mm512_set1_pd(1.5), _mm512_set1_pd(-1.5)}, by[2] = {_mm512_set1_pd(0.5), _mm512_set1_pd(4.0)},
            bz[2] = {_mm512_set1_pd(-2.0), _mm512_set1_pd(7.0)},
            bgm[2] = {_mm512_set1_pd(6e-11), _mm512_set1_pd(7e-11)};
    __m512d sx[2], sy[2], sz[2];
    __m512d gx = _mm512_setzero_pd(), gy = gx, gz = gx;
    for (int k = 0; k < 2; ++k) sx[k] = sy[k] = sz[k] = gx;
    const __m512d one = _mm512_set1_pd(1.0), c3 = _mm512_set1_pd(2.1875), c2 = _mm512_set1_pd(1.875),
                  c1 = _mm512_set1_pd(1.5);
    for (int64_t r = 0; r < rounds; ++r) {
        VANTOR_OPAQUE(jx);
        VANTOR_OPAQUE(jy);
        VANTOR_OPAQUE(jz);
        VANTOR_OPAQUE(jm);
        for (int k = 0; k < 2; ++k) {
            const __m512d dx = _mm512_sub_pd(jx, bx[k]), dy = _mm512_sub_pd(jy, by[k]), dz = _mm512_sub_pd(jz, bz[k]);
            const __m512d r2 = _mm512_fmadd_pd(dz, dz, _mm512_fmadd_pd(dy, dy, _mm512_mul_pd(dx, dx)));
            const __m512d gm = _mm512_mul_pd(bgm[k], jm);
            const __m512d y = _mm512_maskz_rsqrt14_pd(0xff, r2);  // (masked: see the kernel)
            const __m512d yy = _mm512_mul_pd(y, y);
            const __m512d e = _mm512_fnmadd_pd(r2, yy, one);
            __m512d q = _mm512_fmadd_pd(e, c3, c2);
            q = _mm512_fmadd_pd(q, e, c1);
            const __m512d t = _mm512_mul_pd(yy, _mm512_mul_pd(gm, y));
            const __m512d f = _mm512_maskz_fmadd_pd(0xff, _mm512_mul_pd(t, e), q, t);
            sx[k] = _mm512_fmadd_pd(f, dx, sx[k]);
            sy[k] = _mm512_fmadd_pd(f, dy, sy[k]);
            sz[k] = _mm512_fmadd_pd(f, dz, sz[k]);
            gx = _mm512_fnmadd_pd(f, dx, gx);
            gy = _mm512_fnmadd_pd(f, dy, gy);
            gz = _mm512_fnmadd_pd(f, dz, gz);
        }
    }
    __m512d all = _mm512_add_pd(_mm512_add_pd(gx, gy), gz);
    for (int k = 0; k < 2; ++k) all = _mm512_add_pd(all, _mm512_add_pd(_mm512_add_pd(sx[k], sy[k]), sz[k]));
    _mm512_storeu_pd(sink, all);
}

// Independent 512-bit FMAs: the units' peak for the operation the kernel
// uses most.
__attribute__((target("avx512f,fma"))) void independentFmas(int64_t rounds, double* sink) {
    __m512d a[12];
    for (int k = 0; k < 12; ++k) a[k] = _mm512_set1_pd(1.0 + k * 1e-3);
    const __m512d m = _mm512_set1_pd(0.999999), c = _mm512_set1_pd(1e-9);
    for (int64_t r = 0; r < rounds; ++r) {
        for (int k = 0; k < 12; ++k) a[k] = _mm512_fmadd_pd(a[k], m, c);
    }
    for (int k = 1; k < 12; ++k) a[0] = _mm512_add_pd(a[0], a[k]);
    _mm512_storeu_pd(sink, a[0]);
}

// Operations (per second) of the kernel's mix and of plain FMAs, and each
// in cycles of the add chain's clock.
void BM_VectorIssueRate(benchmark::State& state) {
    if (!__builtin_cpu_supports("avx512f")) {
        state.SkipWithError("no 512-bit vectors");
        return;
    }
    const bool mix = state.range(0) == 0;
    constexpr int64_t kRounds = 1 << 16;
    alignas(64) double sink[8];
    int64_t rounds = 0;
    for (auto _ : state) {
        if (mix) kernelMixPasses(kRounds, sink);
        else independentFmas(kRounds, sink);
        benchmark::DoNotOptimize(sink);
        rounds += kRounds;
    }
    // Passes of eight pairs (mix: two a round) or FMAs (12 a round).
    const double units = static_cast<double>(rounds) * (mix ? 2 : 12);
    state.counters[mix ? "passes/s" : "fma/s"] = benchmark::Counter(units, benchmark::Counter::kIsRate);
    state.counters["vector_ops/s"] = benchmark::Counter(units * (mix ? 22 : 1), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ClockFromAddChain)->UseRealTime();
// On two threads: the issue rate with both cores' vector units busy (the
// clock may drop).
BENCHMARK(BM_VectorIssueRate)->ArgNames({"fma_only"})->Arg(0)->Arg(1)->Threads(1)->Threads(2)->UseRealTime();

#endif

}  // namespace

BENCHMARK_MAIN();
