#include "benchmark/offscreen.h"

#include "render/camera.h"
#include "render/painter.h"
#include "render/static_scenery.h"

namespace vantor {

OffscreenFrames::OffscreenFrames() {
    render::updateViewSize(view_, BENCHMARK_VIEW_WIDTH, BENCHMARK_VIEW_HEIGHT);
    render::clearBackBuffer(view_, surface_);
}

void OffscreenFrames::afterSceneryLoaded(World& world) {
    render::updateViewSize(view_, BENCHMARK_VIEW_WIDTH, BENCHMARK_VIEW_HEIGHT);
    render::afterSceneryLoaded(world, view_);
    render::clearBackBuffer(view_, surface_);
}

void OffscreenFrames::paint(World& world) { render::paintFrame(world, view_, surface_); }

void OffscreenFrames::attach(HeadlessBenchmarkHost& host) {
    host.afterSceneryLoaded = [this](World& world) { afterSceneryLoaded(world); };
    host.paintOneFrame = [this](World& world) { paint(world); };
}

}  // namespace vantor
