#include "render/painter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "render/camera.h"
#include "render/osd.h"
#include "render/static_scenery.h"

namespace vantor::render {

// The axis letters, rows from the top.
// clang-format off
const uint8_t GLYPH_AXIS_X[25] = {
    0, 0, 0, 0, 0,
    1, 0, 0, 0, 1,
    0, 1, 1, 1, 0,
    0, 1, 0, 1, 0,
    1, 0, 0, 0, 1,
};
const uint8_t GLYPH_AXIS_Y[25] = {
    0, 0, 0, 0, 0,
    1, 0, 0, 0, 1,
    1, 1, 1, 1, 1,
    0, 0, 0, 0, 1,
    1, 1, 1, 1, 1,
};
const uint8_t GLYPH_AXIS_Z[25] = {
    0, 0, 0, 0, 0,
    1, 1, 1, 1, 1,
    0, 0, 0, 1, 0,
    0, 0, 1, 0, 0,
    1, 1, 1, 1, 1,
};
// clang-format on

int clearBackBuffer(const View& view, Surface& backBuffer) {
    backBuffer.setTextColour(0xFFFFFF);
    if (backBuffer.width() == view.viewWidth && backBuffer.height() == view.viewHeight) {
        backBuffer.clear();
        return 1;
    }
    return backBuffer.resize(view.viewWidth, view.viewHeight) ? 1 : -1;
}

void presentBackBuffer(const View& view) {
    if (view.present) view.present();
}

double roundHalfUp(double v) {
    const double lo = std::floor(v), hi = std::ceil(v);
    return std::fabs(hi - v) <= std::fabs(v - lo) ? hi : lo;
}

void drawGlyph(const View& view, Surface& dc, const uint8_t* glyph, int x, int y, uint32_t colour) {
    if (int64_t{y} + 5 > view.viewHeight) return;
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 5; ++c) {
            if (glyph[5 * r + c]) dc.fillSpan(int64_t{y} + r, int64_t{x} + c, int64_t{x} + c + 1, colour);
        }
    }
}

void drawObjectDisc(const World& world, const View& view, Surface& dc, int x, int y, int d, uint32_t colour) {
    if (d <= 0) return;
    const int64_t h = d / 2, e = d - h;
    const int64_t w = view.viewWidth, hh = view.viewHeight;
    if (x - h >= w || x + h <= 0 || y - h >= hh || y + h <= 0) return;
    if (world.IMPROVE_OBJECTS_VISIBILITY) colour = 0xFFFFFF;
    if (d > 1 && !world.DISPLAY_OBJECTS_AS_DOTS) {
        // Ellipse takes int corners; a disc this large never reaches here
        // with corners beyond them (its diameter is at most 5 view sizes).
        const auto corner = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
        selectDrawColour(1, dc, colour);
        dc.ellipse(corner(x - h), corner(y - h), corner(x + e), corner(y + e));
        selectDrawColour(0, dc, 0);
    } else {
        dc.setPixel(x, y, colour);
    }
}

void drawObjectName(const View& view, Surface& dc, int x, int y, const char* name) {
    if (!name || x < 0 || y < 0 || x >= view.viewWidth || y >= view.viewHeight) return;
    char text[15];
    size_t n = 0;
    while (n < 12 && name[n]) {
        text[n] = name[n];
        ++n;
    }
    if (name[n] != '\0') {
        text[n++] = '.';
        text[n++] = '.';
    }
    const std::string_view shown(text, n);
    const uint32_t remembered = dc.textColour();
    dc.setTextColour(0x000000);
    dc.textOut(x + 1, y + 1, shown);
    dc.setTextColour(0xFFFFFF);
    dc.textOut(x, y, shown);
    dc.setTextColour(remembered);
}

void drawArrowHead(Surface& dc, int x0, int y0, int x1, int y1, int xm, int ym) {
    const double m = x1 != x0 ? static_cast<double>(int64_t{y1} - y0) / static_cast<double>(int64_t{x0} - x1)
                              : static_cast<double>(int64_t{y1} - y0) * 1e13;
    const double a = std::atan(m);
    const auto squared = [](double dx, double dy) { return dx * dx + dy * dy; };
    for (double angle : {a - 0.2, a + 0.2}) {
        const double t = std::tan(angle);
        const double u = 7.0 / std::sqrt(t * t + 1.0);
        double bx = xm + u, by = ym - u * t;
        // Compared on whole pixels, as the barb will be drawn.
        const double tx = truncToInt(bx), ty = truncToInt(by);
        if (squared(tx - x0, ty - y0) > squared(tx - x1, ty - y1)) {
            bx = xm - u;
            by = ym + u * t;
        }
        dc.moveTo(xm, ym);
        dc.lineTo(truncToInt(roundHalfUp(bx)), truncToInt(roundHalfUp(by)));
    }
}

void drawAxes(const World& world, View& view, Surface& dc) {
    const double l = axisLength(view);
    view.screenScale = screenScaleFor(world.VIEWPOINT_FOV);
    const double th = -world.VIEWPOINT_THETA, ph = -world.VIEWPOINT_PHI, al = -world.VIEWPOINT_ALPHA;
    const Vec3 origin = rotateForward(th, ph, al, {0, 0, 0});
    double ox, oy;
    projectPoint(world, view, origin.x, origin.y, origin.z, ox, oy);
    const int x0 = truncToInt(ox), y0 = truncToInt(oy);
    const Vec3 ends[3] = {{l, 0, 0}, {0, l, 0}, {0, 0, l}};
    const uint8_t* const glyphs[3] = {GLYPH_AXIS_X, GLYPH_AXIS_Y, GLYPH_AXIS_Z};
    for (int k = 0; k < 3; ++k) {
        const Vec3 end = rotateForward(th, ph, al, ends[k]);
        double ex, ey;
        projectPoint(world, view, end.x, end.y, end.z, ex, ey);
        const uint32_t colour = end.z >= 0 ? 0x999999 : 0x555555;
        selectDrawColour(1, dc, colour);
        const int xm = truncToInt((ox + ex) * 0.5), ym = truncToInt((oy + ey) * 0.5);
        dc.moveTo(x0, y0);
        dc.lineTo(xm, ym);
        const int exi = truncToInt(ex), eyi = truncToInt(ey);
        const double dx = static_cast<double>(int64_t{exi} - x0), dy = static_cast<double>(int64_t{eyi} - y0);
        if (dx * dx + dy * dy >= 100) drawArrowHead(dc, x0, y0, exi, eyi, xm, ym);
        drawGlyph(view, dc, glyphs[k], truncToInt(xm + 4.0), truncToInt(ym + 4.0), colour);
    }
    selectDrawColour(0, dc, 0);
}

void dimColours(const World& world, View& view) {
    // The entries already carry their objects' colours (set when the frame
    // built them) and depthZ their depths, so that this pass reads the draw
    // order alone and not the object records in random order.
    DrawEntry* e = view.depthOrder.get();
    const double* z = view.depthZ.get();
    const int n = view.depthCount;
    if (!world.DIM_DISTANT_OBJECTS) return;
    int first = -1, last = -1;
    for (int k = 0; k < n; ++k) {
        if (!e[k].visible) continue;
        if (first < 0) first = k;
        last = k;
    }
    if (first < 0 || first >= last) return;
    const double zFirst = z[first];
    const double range = z[last] - zFirst;
    // A channel scaled by factor, truncated; a factor that is not a number
    // (infinite depths) gives black rather than an undefined conversion.
    const auto scale = [](uint32_t channel, double factor) -> uint32_t {
        const double v = channel * factor;
        return v >= 0 && v < 256 ? static_cast<uint32_t>(v) : v >= 256 ? 255u : 0u;
    };
    for (int k = first; k < last; ++k) {
        if (!e[k].visible) continue;
        const double factor = range == 0 ? 1.0 : (z[k] - zFirst) / range * 0.7 + 0.3;
        const uint32_t c = e[k].colour;
        e[k].colour =
            scale(c & 0xff, factor) | scale((c >> 8) & 0xff, factor) << 8 | scale((c >> 16) & 0xff, factor) << 16;
    }
}

namespace {

void drawStatusTwice(World& world, View& view, Surface& dc) {
    drawStatusDisplay(world, view, dc, 0x000000, 1, 1);
    drawStatusDisplay(world, view, dc, 0xFFFFFF, 0, 0);
}

// Depth order: ascending camera z, farthest first. Equal depths may come in
// any order. The sort runs on compact (key, entry) pairs rather than on the
// entries through their 96-byte records: a least-significant-digit radix
// sort on the depth's bits, ordered like the doubles, for large frames, the
// library sort for small ones. NaN depths (never visible) sort first.
uint64_t depthKey(double z) {
    if (std::isnan(z)) z = -std::numeric_limits<double>::infinity();
    uint64_t bits;
    std::memcpy(&bits, &z, sizeof bits);
    return bits & 0x8000000000000000ull ? ~bits : bits | 0x8000000000000000ull;
}

double depthOfKey(uint64_t key) {
    const uint64_t bits = key & 0x8000000000000000ull ? key & ~0x8000000000000000ull : ~key;
    double z;
    std::memcpy(&z, &bits, sizeof z);
    return z;
}

void radixSort(DepthKey* keys, DepthKey* scratch, int n) {
    constexpr int BITS = 11, BUCKETS = 1 << BITS, PASSES = (64 + BITS - 1) / BITS;
    uint32_t counts[PASSES][BUCKETS] = {};
    for (int i = 0; i < n; ++i) {
        for (int p = 0; p < PASSES; ++p) ++counts[p][(keys[i].key >> (p * BITS)) & (BUCKETS - 1)];
    }
    DepthKey* from = keys;
    DepthKey* to = scratch;
    for (int p = 0; p < PASSES; ++p) {
        uint32_t* c = counts[p];
        if (c[(from[0].key >> (p * BITS)) & (BUCKETS - 1)] == static_cast<uint32_t>(n)) continue;  // one digit for all
        uint32_t sum = 0;
        for (int b = 0; b < BUCKETS; ++b) {
            const uint32_t k = c[b];
            c[b] = sum;
            sum += k;
        }
        for (int i = 0; i < n; ++i) to[c[(from[i].key >> (p * BITS)) & (BUCKETS - 1)]++] = from[i];
        std::swap(from, to);
    }
    if (from != keys) std::memcpy(static_cast<void*>(keys), from, sizeof(DepthKey) * n);
}

void sortByDepth(View& view, int n) {
    DepthKey* keys = view.depthKeys.get();
    const DrawEntry* entries = view.unsortedEntries.get();
    const ObjectRecord* d = view.displayObjects.get();
    for (int i = 0; i < n; ++i) keys[i] = {depthKey(d[entries[i].index].z), i};
    if (n < 512) {
        std::sort(keys, keys + n, [](const DepthKey& a, const DepthKey& b) { return a.key < b.key; });
    } else {
        radixSort(keys, view.depthKeyScratch.get(), n);
    }
    DrawEntry* out = view.depthOrder.get();
    double* z = view.depthZ.get();
    for (int i = 0; i < n; ++i) {
        out[i] = entries[keys[i].entry];
        z[i] = depthOfKey(keys[i].key);
    }
}

}  // namespace

void paintFrame(World& world, View& view, Surface& dc) {
    if (world.DISPLAY_STATIC_SCENERY) projectStaticScenery(world, view);
    const int n = world.OBJECTS_N < 0 ? 0 : std::min(world.OBJECTS_N, MAX_OBJECTS);
    if (n == 0) {
        view.depthCount = 0;
        clearBackBuffer(view, dc);
        if (world.DISPLAY_STATIC_SCENERY) drawStaticScenery(world, view, dc);
        if (world.displayAxes || view.viewDragging) drawAxes(world, view, dc);
        if (world.displayOSD) drawStatusTwice(world, view, dc);
        presentBackBuffer(view);
        return;
    }

    prepareFrame(world, view);
    view.screenScale = screenScaleFor(world.VIEWPOINT_FOV);

    // Hoisted out of the loop: the projection constants of this frame.
    const double w = view.viewWidth, h = view.viewHeight;
    const double dist = world.VIEWPOINT_DISTANCE;
    const double a = view.screenScale * w + dist;
    const double sxScale = view.visibleHalfWidth, syScale = view.visibleHalfHeight;
    const double maxW = 5 * w, maxH = 5 * h;
    const ObjectRecord* d = view.displayObjects.get();
    DrawEntry* entries = view.unsortedEntries.get();
    for (int i = 0; i < n; ++i) {
        DrawEntry& e = entries[i];
        const ObjectRecord& o = d[i];
        e = {0, 0, 0, o.color, 0, i};
        if (o.disabled == 1 || !(o.z < dist)) continue;
        const double sx = w * 0.5 + 10000.0 * (a * w * o.x * 0.0001) / (2.0 * (a - o.z) * sxScale);
        const double sy = h * 0.5 - 10000.0 * (a * h * o.y * 0.0001) / (2.0 * (a - o.z) * syScale);
        double diameter = 10000.0 * (w * a * o.radius * 0.0002) / (2.0 * (a - o.z) * sxScale);
        if (diameter < 1.0) diameter = 1.0;
        if (diameter > maxW && diameter > maxH) continue;  // too close
        // A radius that is not a number gives no disc to draw or to point at
        // (its size would otherwise swallow every hover).
        if (std::isnan(diameter)) continue;
        e.x = truncToInt(sx);
        e.y = truncToInt(sy);
        e.diameter = truncToInt(diameter);
        const double half = diameter / 2;
        // Left out only when beside the view on both axes, as drawn.
        const bool outsideX = sx + half < 0 || sx - half > w, outsideY = sy + half < 0 || sy - half > h;
        e.visible = !(outsideX && outsideY);
    }
    view.depthCount = n;
    sortByDepth(view, n);

    if (!world.SHOW_OBJECT_TRAILS) clearBackBuffer(view, dc);
    if (world.DISPLAY_STATIC_SCENERY) drawStaticScenery(world, view, dc);
    dimColours(world, view);

    const DrawEntry* order = view.depthOrder.get();
    const bool spacecraftNames = world.SPACECRAFT_MODE && world.displayOSD;
    bool nameDrawn = false;
    const int cx = view.viewWidth / 2, cy = view.viewHeight / 2;
    for (int k = 0; k < n; ++k) {
        const DrawEntry& e = order[k];
        if (!e.visible) continue;
        drawObjectDisc(world, view, dc, e.x, e.y, e.diameter, e.colour);
        if (world.DISPLAY_OBJECT_NAMES) {
            drawObjectName(view, dc, e.x, e.y, world.objects[e.index].name);
        } else if (spacecraftNames && !nameDrawn) {
            const double dx = static_cast<double>(int64_t{e.x} - cx), dy = static_cast<double>(int64_t{e.y} - cy);
            if (dx * dx + dy * dy < 25) {
                drawObjectName(view, dc, e.x, e.y, world.objects[e.index].name);
                nameDrawn = true;
            }
        }
    }
    if (world.displayAxes || view.viewDragging) drawAxes(world, view, dc);
    if (world.SPACECRAFT_MODE) drawSpacecraftDisplay(world, view, dc);
    if (world.displayOSD) drawStatusTwice(world, view, dc);
    if (world.benchmarkRunning && view.blinkPhase) {
        dc.setTextColour(0x0000FF);
        dc.textOut(0, 0, "Benchmarking");
    }
    presentBackBuffer(view);
}

}  // namespace vantor::render
