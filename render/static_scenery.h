// Static scenery: fixed grey points on a sphere of 1e80 m around the
// origin point, turned with the view but never moved by it (a sky). Their
// screen positions are cached until the view changes.
#pragma once

#include "engine/world.h"
#include "render/surface.h"
#include "render/view.h"

namespace vantor::render {

// Draws the first STATIC_SCENERY_OBJECTS_N points anew (randomInRange) and
// invalidates the projection cache.
void generateStaticScenery(const World& world, View& view);

// Projects the points unless count, Sx, Sy, the view size and the view
// block are what the last projection used.
void projectStaticScenery(const World& world, View& view);

// One pixel per point inside the view at the last projection; no test of
// depth.
void drawStaticScenery(const World& world, const View& view, Surface& dc);

// The view block of the current settings (see ViewBlock).
ViewBlock currentViewBlock(const World& world, const View& view);

// What the shell and the command line do after reading a scenery: the
// static points from the stored count, then the projection constants.
void afterSceneryLoaded(World& world, View& view);

}  // namespace vantor::render
