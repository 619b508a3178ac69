// The view: the camera values derived from the World's view settings, the
// per-frame display copy and draw order, the static scenery points and the
// run state that only the picture needs. One per view; allocated once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/world.h"

namespace vantor::render {

constexpr int MAX_STATIC_POINTS = 100000;

// theta, phi, alpha in radians, then their sines, then their cosines.
struct AngleCache {
    double theta, phi, alpha;
    double sinTheta, sinPhi, sinAlpha;
    double cosTheta, cosPhi, cosAlpha;
};

// One object of the frame being drawn. 24 bytes.
struct DrawEntry {
    int32_t x;         // screen x of the centre, truncated
    int32_t y;         // screen y of the centre, truncated
    int32_t diameter;  // pixels, at least 1
    uint32_t colour;   // 0x00BBGGRR, dimmed
    uint8_t visible;   // 1: drawn this frame
    int32_t index;     // into objects and displayObjects
};
static_assert(sizeof(DrawEntry) == 24, "draw entry layout");

// A background point: a direction on a sphere of 1e80 m. 56 bytes.
struct StaticPoint {
    double x, y, z;                  // m, origin-relative
    double screenX, screenY, depth;  // after projection: pixels, camera z
    uint32_t colour;                 // grey 0x00GGGGGG, G 100..199
};

// The view settings that decide where static points land, in the order the
// file keeps them, with the derived angle cache and scale. Compared byte for
// byte; no padding.
struct ViewBlock {
    int32_t mode, object;
    double distance, theta, phi, alpha;
    AngleCache angleCache;
    double fov, screenScale;
    double positionX, positionY, positionZ;
};
static_assert(sizeof(ViewBlock) == 8 + 18 * 8, "view block has no padding");

struct StaticProjectionCache {
    int valid = 0;
    int count = 0;
    double visibleHalfWidth = 0, visibleHalfHeight = 0;
    int viewWidth = 0, viewHeight = 0;
    ViewBlock block{};
};

// A static point that lands inside the view, as the projection left it.
struct StaticPixel {
    int32_t x, y;
    uint32_t colour;
};

// SIMULATION_TIME split for the status display; scratch of every draw.
struct TimeBreakdown {
    double millennia = 0, years = 0, days = 0, hours = 0, minutes = 0, seconds = 0, fraction = 0;
};

// Depth-sort scratch: the camera z of an entry as bits that order like
// the doubles, and the entry's position.
struct DepthKey {
    uint64_t key;
    int32_t entry;
};

struct View {
    View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    int viewWidth = 600;   // pixels; the framed main window's view at start-up
    int viewHeight = 350;  // pixels

    // Derived by updateProjection and prepareFrame.
    double screenScale = 0;        // K, m of eye distance per pixel of view width
    double eyeDistance = 0;        // A = D + K W, m
    double visibleHalfWidth = 1;   // Sx, m in the plane of the origin point
    double visibleHalfHeight = 1;  // Sy, m
    AngleCache angleCache{};
    Vec3 originPoint{0, 0, 0};  // world point drawn at the centre, m

    // Per frame: the camera-space copy of the objects (names are borrowed
    // from World::objects, never owned here) and the draw order, farthest
    // first. depthCount entries belong to the last painted frame.
    std::unique_ptr<ObjectRecord[]> displayObjects;  // MAX_OBJECTS
    std::unique_ptr<DrawEntry[]> depthOrder;         // MAX_OBJECTS
    std::unique_ptr<double[]> depthZ;                // MAX_OBJECTS, camera z of each depthOrder entry
    int depthCount = 0;

    std::unique_ptr<StaticPoint[]> staticPoints;  // MAX_STATIC_POINTS
    StaticProjectionCache staticProjectionCache;
    // The points inside the view in point order, made with each projection,
    // so that a still camera costs only the plotting.
    std::unique_ptr<StaticPixel[]> staticPixels;  // MAX_STATIC_POINTS
    int staticPixelCount = 0;

    int viewDragging = 0;    // left button held over the view, or a rotation button
    int blinkPhase = 0;      // flipped every 350 ms by the shell
    int fullscreenMode = 0;  // the view fills the screen
    TimeBreakdown timeBreakdown;

    // Shows the back buffer (presentBackBuffer); empty when headless.
    std::function<void()> present;

    // Scratch of the painter, allocated with the view.
    std::unique_ptr<DepthKey[]> depthKeys;         // MAX_OBJECTS
    std::unique_ptr<DepthKey[]> depthKeyScratch;   // MAX_OBJECTS
    std::unique_ptr<DrawEntry[]> unsortedEntries;  // MAX_OBJECTS
};

}  // namespace vantor::render
