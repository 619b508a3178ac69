// The frame-rate run without a window: each frame is painted by the
// program's own painter into an offscreen surface the size of the
// benchmark view.
#pragma once

#include "benchmark/headless.h"
#include "engine/world.h"
#include "render/surface.h"
#include "render/view.h"

namespace vantor {

constexpr int BENCHMARK_VIEW_WIDTH = 600;   // pixels
constexpr int BENCHMARK_VIEW_HEIGHT = 350;  // pixels

class OffscreenFrames {
public:
    OffscreenFrames();

    // After a scenery is loaded: the view size, static scenery and
    // projection, and a new back buffer.
    void afterSceneryLoaded(World& world);
    // One complete frame into the back buffer.
    void paint(World& world);
    // Makes the host paint through this view.
    void attach(HeadlessBenchmarkHost& host);

    const render::Surface& surface() const { return surface_; }
    const render::View& view() const { return view_; }

private:
    render::View view_;
    render::Surface surface_;
};

}  // namespace vantor
