// Steps per second and pair interactions per second of the gravity step,
// over scenery sizes and worker counts.
#include <benchmark/benchmark.h>

#include <random>

#include "engine/gravity.h"

namespace {

using namespace vantor;

void fillCluster(World& w, int n) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> pos(-1e9, 1e9), vel(-300, 300);
    for (int i = 0; i < n; ++i) {
        ObjectRecord& o = w.objects[i];
        o.mass = 2e24;
        o.x = pos(rng), o.y = pos(rng), o.z = pos(rng);
        o.vx = vel(rng), o.vy = vel(rng), o.vz = vel(rng);
    }
    w.OBJECTS_N = n;
}

void BM_SimulationStep(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int workers = static_cast<int>(state.range(1));
    World world;
    fillCluster(world, n);
    WorkerPool pool;
    createWorkerPool(pool, world, workers);
    if (pool.workerCount != workers) {
        state.SkipWithError("scenery too small for this worker count");
        return;
    }
    for (auto _ : state) simulationStep(world, pool);
    const double pairs = static_cast<double>(n) * (n - 1) / 2;
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["pairs/s"] = benchmark::Counter(pairs * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_SimulationStep)
    ->ArgNames({"N", "workers"})
    ->ArgsProduct({{5, 100, 1000, 10000, 50000}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
