#include "render/static_scenery.h"

#include <cmath>
#include <cstring>

#include "engine/random.h"
#include "render/camera.h"

namespace vantor::render {

namespace {

int pointCount(const World& world) {
    const int n = world.STATIC_SCENERY_OBJECTS_N;
    return n < 0 ? 0 : n > MAX_STATIC_POINTS ? MAX_STATIC_POINTS : n;
}

}  // namespace

void generateStaticScenery(const World& world, View& view) {
    const int n = pointCount(world);
    for (int i = 0; i < n; ++i) {
        StaticPoint& p = view.staticPoints[i];
        p.x = randomInRange(-1e80, 1e80);
        const double r2 = 1e160 - p.x * p.x;
        const double r = std::sqrt(r2 > 0 ? r2 : 0);
        p.y = randomInRange(-r, r);
        const double z2 = r2 - p.y * p.y;
        p.z = std::sqrt(z2 > 0 ? z2 : 0);
        if (i % 2 == 1) p.z = -p.z;
        // A draw of exactly 200 (the top of the range) stays within the
        // 100..199 greys.
        int g = static_cast<int>(randomInRange(100, 200));
        if (g > 199) g = 199;
        p.colour = static_cast<uint32_t>(g) * 0x010101u;
        p.screenX = p.screenY = p.depth = 0;
    }
    // New points need a new projection even when count and view are as before.
    view.staticProjectionCache.valid = 0;
    view.staticPixelCount = 0;
}

ViewBlock currentViewBlock(const World& world, const View& view) {
    ViewBlock b;
    std::memset(&b, 0, sizeof b);
    b.mode = world.VIEWPOINT_MODE;
    b.object = world.VIEWPOINT_OBJECT;
    b.distance = world.VIEWPOINT_DISTANCE;
    b.theta = world.VIEWPOINT_THETA;
    b.phi = world.VIEWPOINT_PHI;
    b.alpha = world.VIEWPOINT_ALPHA;
    b.angleCache = view.angleCache;
    b.fov = world.VIEWPOINT_FOV;
    b.screenScale = view.screenScale;
    b.positionX = world.VIEWPOINT_POSITION_X;
    b.positionY = world.VIEWPOINT_POSITION_Y;
    b.positionZ = world.VIEWPOINT_POSITION_Z;
    return b;
}

void projectStaticScenery(const World& world, View& view) {
    const int n = pointCount(world);
    if (n <= 0) return;
    StaticProjectionCache& cache = view.staticProjectionCache;
    const ViewBlock block = currentViewBlock(world, view);
    // Keyed on the view size too: with a distance so large that K W vanishes
    // beside it, a change of width alone leaves Sx and Sy as they were.
    if (cache.valid && cache.count == n &&
        std::memcmp(&cache.visibleHalfWidth, &view.visibleHalfWidth, sizeof(double)) == 0 &&
        std::memcmp(&cache.visibleHalfHeight, &view.visibleHalfHeight, sizeof(double)) == 0 &&
        cache.viewWidth == view.viewWidth && cache.viewHeight == view.viewHeight &&
        std::memcmp(&cache.block, &block, sizeof block) == 0) {
        return;
    }
    refreshAngleCache(world, view);
    view.screenScale = screenScaleFor(world.VIEWPOINT_FOV);
    const double w = view.viewWidth, h = view.viewHeight;
    int inside = 0;
    for (int i = 0; i < n; ++i) {
        StaticPoint& p = view.staticPoints[i];
        double cx, cy, cz;
        worldToCamera(view, p.x, p.y, p.z, cx, cy, cz);
        projectPoint(world, view, cx, cy, cz, p.screenX, p.screenY);
        p.depth = cz;
        // Outside the view, or not a number: never drawn. No test of depth.
        if (p.screenX >= 0 && p.screenX < w && p.screenY >= 0 && p.screenY < h) {
            view.staticPixels[inside++] = {static_cast<int32_t>(p.screenX), static_cast<int32_t>(p.screenY), p.colour};
        }
    }
    view.staticPixelCount = inside;
    cache.valid = 1;
    cache.count = n;
    cache.visibleHalfWidth = view.visibleHalfWidth;
    cache.visibleHalfHeight = view.visibleHalfHeight;
    cache.viewWidth = view.viewWidth;
    cache.viewHeight = view.viewHeight;
    cache.block = currentViewBlock(world, view);
}

void drawStaticScenery(const World& world, const View& view, Surface& dc) {
    // The pixels of the last projection, which the painter has just brought
    // up to date; nothing before the first one or without points.
    if (!view.staticProjectionCache.valid || pointCount(world) <= 0) return;
    const StaticPixel* p = view.staticPixels.get();
    for (int i = 0, n = view.staticPixelCount; i < n; ++i) dc.setPixel(p[i].x, p[i].y, p[i].colour);
}

void afterSceneryLoaded(World& world, View& view) {
    if (world.STATIC_SCENERY_OBJECTS_N > 0) generateStaticScenery(world, view);
    view.depthCount = 0;  // the last frame's objects are gone
    updateProjection(world, view);
}

}  // namespace vantor::render
