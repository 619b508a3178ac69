// Frames per second of the painter on one core, 600 x 350 pixels: the
// benchmark scenery, 50,000 small dimmed discs, and 100,000 static points
// under a still camera (only the plotting).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "engine/random.h"
#include "render/camera.h"
#include "render/painter.h"
#include "render/static_scenery.h"
#include "scenery/examples.h"
#include "scenery/reader.h"

namespace {

using namespace vantor;

// Objects spread over the visible region with discs of 1 to 3 pixels.
void fillDiscs(World& w, int n) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> x(-8e8, 8e8), y(-4.5e8, 4.5e8), z(-5e8, 5e8), r(1.5e6, 4.4e6);
    for (int i = 0; i < n; ++i) {
        ObjectRecord& o = w.objects[i];
        o.mass = 1e20;
        o.x = x(rng), o.y = y(rng), o.z = z(rng);
        o.radius = r(rng);
        o.color = 0x30FFFF;
    }
    w.OBJECTS_N = w.INIT_OBJECTS_N = n;
    w.DIM_DISTANT_OBJECTS = 1;
}

void runFrames(benchmark::State& state, World& world, bool turning = false) {
    render::View view;
    render::afterSceneryLoaded(world, view);
    render::updateViewSize(world, view, 600, 350);
    render::Surface surface;
    render::clearBackBuffer(view, surface);
    render::paintFrame(world, view, surface);  // the first projection of static points
    for (auto _ : state) {
        if (turning) world.VIEWPOINT_PHI = std::fmod(world.VIEWPOINT_PHI + 0.22, 360.0);
        render::paintFrame(world, view, surface);
        benchmark::DoNotOptimize(surface.pixels());
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_PaintBenchmarkScenery(benchmark::State& state) {
    World world;
    readScenery(world, BENCHMARK_EXAMPLE, nullptr);
    runFrames(state, world);
}

void BM_PaintDiscs(benchmark::State& state) {
    World world;
    fillDiscs(world, static_cast<int>(state.range(0)));
    runFrames(state, world);
}

// The static scenery of state.range(0) points; turning: with the camera
// turning every frame, so that every point is projected anew.
void paintStaticScenery(benchmark::State& state, bool turning) {
    World world;
    readScenery(world, BENCHMARK_EXAMPLE, nullptr);
    world.STATIC_SCENERY_OBJECTS_N = static_cast<int>(state.range(0));
    world.DISPLAY_STATIC_SCENERY = 1;
    seedRandom(1);
    runFrames(state, world, turning);
}

void BM_PaintStaticScenery(benchmark::State& state) { paintStaticScenery(state, false); }
void BM_PaintStaticSceneryTurning(benchmark::State& state) { paintStaticScenery(state, true); }

BENCHMARK(BM_PaintBenchmarkScenery)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintDiscs)->ArgName("N")->Arg(5000)->Arg(50000)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintStaticScenery)->ArgName("points")->Arg(100000)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintStaticSceneryTurning)->ArgName("points")->Arg(100000)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
