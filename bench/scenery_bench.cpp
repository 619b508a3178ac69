// Writing and reading a scenery of 50,000 objects in both tables.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>

#include "scenery/reader.h"
#include "scenery/writer.h"

namespace {

using namespace vantor;

void fillTables(World& w) {
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> pos(-1e12, 1e12), vel(-3e4, 3e4), mass(1e20, 1e30);
    for (ObjectRecord* table : {w.initialObjects.get(), w.objects.get()}) {
        for (int i = 0; i < MAX_OBJECTS; ++i) {
            ObjectRecord& o = table[i];
            setObjectName(o, ("Body " + std::to_string(i + 1)).c_str());
            o.mass = mass(rng);
            o.radius = 6.96e8;
            o.x = pos(rng), o.y = pos(rng), o.z = pos(rng);
            o.vx = vel(rng), o.vy = vel(rng), o.vz = vel(rng);
            o.color = static_cast<uint32_t>(rng()) & 0xffffff;
        }
    }
    w.INIT_OBJECTS_N = w.OBJECTS_N = MAX_OBJECTS;
}

std::string benchFile() { return "/tmp/vantor-scenery-bench-" + std::to_string(::getpid()) + ".nbx"; }

void BM_WriteScenery(benchmark::State& state) {
    World world;
    fillTables(world);
    const std::string path = benchFile();
    for (auto _ : state) {
        if (writeSceneryFile(world, path) != 0) state.SkipWithError("write failed");
    }
    std::remove(path.c_str());
}

void BM_ReadScenery(benchmark::State& state) {
    const std::string path = benchFile();
    {
        World world;
        fillTables(world);
        writeSceneryFile(world, path);
    }
    World world;
    for (auto _ : state) {
        newScenery(world);
        if (readScenery(world, 0, path.c_str()) != 1) state.SkipWithError("read failed");
    }
    std::remove(path.c_str());
}

BENCHMARK(BM_WriteScenery)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadScenery)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
