// The cost of the conservation figures beside the cost of one step, at the
// sizes the diagnostics window must stay cheap for. The ratio says how many
// steps one sample costs; the window waits 25 times a sample's cost before
// the next, so that the figures take at most 4 % of a running simulation.
#include <benchmark/benchmark.h>

#include <chrono>
#include <random>

#include "bench/bench_world.h"
#include "engine/diagnostics.h"
#include "engine/gravity.h"

namespace {

using namespace vantor;

using bench::fillCluster;

double secondsPerStep(World& world, WorkerPool& pool) {
    const auto start = std::chrono::steady_clock::now();
    int steps = 0;
    double elapsed = 0;
    do {
        simulationStep(world, pool);
        ++steps;
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < 0.5 || steps < 2);
    return elapsed / steps;
}

void BM_ConservationFigures(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    World world;
    fillCluster(world, n);
    WorkerPool pool;
    createWorkerPool(pool, world);
    const double step = secondsPerStep(world, pool);
    for (auto _ : state) benchmark::DoNotOptimize(computeConservationFigures(world, pool));
    const double pairs = static_cast<double>(n) * (n - 1) / 2;
    state.counters["pairs_per_s"] = benchmark::Counter(pairs, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["step_s"] = step;
    state.counters["workers"] = pool.processorCount;
    state.SetLabel("one step costs step_s");
}

BENCHMARK(BM_ConservationFigures)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
