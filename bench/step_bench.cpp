// Steps per second and pair interactions per second of the gravity step,
// over scenery sizes and worker counts, with the ratio to the plain scalar
// step measured in the same run. `make bench` keeps the best of 5 runs
// (the "max" rows for the rates).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>

#include "engine/gravity.h"
#include "engine/reference_step.h"

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

void BM_SimulationStep(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int workers = static_cast<int>(state.range(1));
    World world;
    fillCluster(world, n);
    WorkerPool pool;
    createWorkerPool(pool, world, workers);
    if (state.range(2) == 0) pool.soloBelow = 0;
    if (pool.workerCount != workers) {
        state.SkipWithError("scenery too small for this worker count");
        return;
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
}

// solo:1 is the program's pool (small sceneries step on one worker);
// solo:0 makes every worker take part whatever the size.
BENCHMARK(BM_SimulationStep)
    ->ArgNames({"N", "workers", "solo"})
    ->ArgsProduct({{5, 100, 1000, 10000, 50000}, {1, 2}, {1}})
    ->Args({100, 2, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });

}  // namespace

BENCHMARK_MAIN();
