#include "render/painter.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "render/camera.h"
#include "render/navigation.h"
#include "tests/support/render_samples.h"

namespace vantor::render {
namespace {

using samples::addObject;
using samples::countColour;
using samples::countLit;
using samples::RecordingText;

// A world seen from +z (theta = phi = alpha = 0) with the origin fixed at
// the world origin, no on-screen display, on a 200 x 100 view.
class Painter : public ::testing::Test {
protected:
    void SetUp() override {
        w.ORIGIN_MODE = 2;
        w.displayOSD = 0;
        updateViewSize(w, v, 200, 100);
        clearBackBuffer(v, s);
    }
    void paint() { paintFrame(w, v, s); }
    const DrawEntry* entryOf(int index) const {
        for (int k = 0; k < v.depthCount; ++k) {
            if (v.depthOrder[k].index == index) return &v.depthOrder[k];
        }
        return nullptr;
    }
    World w;
    View v;
    Surface s;
};

TEST_F(Painter, AnObjectAtTheOriginIsDrawnAtTheCentre) {
    addObject(w, 0, 0, 0, 1, 0x0030FFFF);
    paint();
    EXPECT_EQ(s.pixel(100, 50), 0xFFFFFF30u);
    EXPECT_EQ(countLit(s), 1);  // a 0.0000-pixel disc is one pixel
}

TEST_F(Painter, SubPixelDiscsAreOnePixelAtTheTruncatedPosition) {
    // 0.3 pixels across, centred on x = 150.7, y = 20.2
    const double f = 200 / (2 * std::tan(5 * DEG_TO_RAD));  // pixels per (m / m of depth)
    const double a = v.eyeDistance;
    addObject(w, 50.7 * a / f, 29.8 * a / f, 0, 0.15 * a / f);
    paint();
    const DrawEntry* e = entryOf(0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->diameter, 1);
    EXPECT_EQ(e->x, 150);
    EXPECT_EQ(e->y, 20);
    EXPECT_EQ(s.pixel(150, 20), 0xFFFFFFFFu);
    EXPECT_EQ(countLit(s), 1);
}

TEST_F(Painter, DimmingFadesTheFarObjectsTo30Percent) {
    addObject(w, -10, 0, -20);
    addObject(w, 0, 0, -10);
    addObject(w, 10, 0, -30);
    paint();
    ASSERT_EQ(v.depthCount, 3);
    EXPECT_EQ(v.depthOrder[0].index, 2);  // farthest first
    EXPECT_EQ(v.depthOrder[2].index, 1);
    EXPECT_EQ(entryOf(2)->colour, 0x4C4C4Cu);
    EXPECT_EQ(entryOf(0)->colour, 0xA5A5A5u);
    EXPECT_EQ(entryOf(1)->colour, 0xFFFFFFu);

    w.DIM_DISTANT_OBJECTS = 0;
    paint();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(entryOf(i)->colour, 0xFFFFFFu);

    // One visible object, or equal depths: no dimming.
    w.DIM_DISTANT_OBJECTS = 1;
    w.objects[0].z = w.objects[2].z = -10;
    paint();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(entryOf(i)->colour, 0xFFFFFFu);
}

TEST_F(Painter, CullingAndDepthRules) {
    const double a = v.eyeDistance;
    const double f = 200 / (2 * std::tan(5 * DEG_TO_RAD));
    const double px = a / f;                  // metres per pixel in the origin plane
    addObject(w, 500 * px, 0, 0);             // 0: beside the view but level with it: visible
    addObject(w, 500 * px, 300 * px, 0);      // 1: outside on both axes
    addObject(w, 0, 0, 1e10);                 // 2: at the viewpoint plane
    addObject(w, 0, 0, 0).disabled = 1;       // 3: disabled
    addObject(w, 0, 0, 0).disabled = 2;       // 4: disabled but visible
    addObject(w, 1e300, 0, 0);                // 5: level with the view, infinitely far beside it
    addObject(w, 0, 0, 0, 6 * 200 * px / 2);  // 6: 6 view widths, 12 view heights across
    addObject(w, 0, 0, 0, 6 * 100 * px / 2);  // 7: 3 view widths, 6 heights: drawn
    addObject(w, 0, 0, std::nan(""));         // 8: no depth
    addObject(w, 0, 0, 0, std::nan(""));      // 9: no size
    paint();
    const bool expected[] = {true, false, false, false, true, true, false, true, false, false};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(entryOf(i)->visible, expected[i]) << i;
    // 5 counts as visible; its pixel position saturates, and drawing skips it.
    EXPECT_EQ(entryOf(5)->x, std::numeric_limits<int>::max());
}

TEST_F(Painter, NamesAreShortenedAndShadowed) {
    RecordingText text;
    s.setTextRenderer(&text);
    w.DISPLAY_OBJECT_NAMES = 1;
    setObjectName(addObject(w, 0, 0, -1), "A sixteen-letter");
    setObjectName(addObject(w, 0, 0, 0), "Twelve chars");
    addObject(w, 0, 0, 1);  // no name
    paint();
    ASSERT_EQ(text.calls.size(), 4u);
    EXPECT_EQ(text.calls[0].text, "A sixteen-le..");
    EXPECT_EQ(text.calls[0].colour, 0x000000u);
    EXPECT_EQ(text.calls[0].x, 101);
    EXPECT_EQ(text.calls[0].y, 51);
    EXPECT_EQ(text.calls[1].text, "A sixteen-le..");
    EXPECT_EQ(text.calls[1].colour, 0xFFFFFFu);
    EXPECT_EQ(text.calls[1].x, 100);
    EXPECT_EQ(text.calls[3].text, "Twelve chars");
    EXPECT_EQ(s.textColour(), 0xFFFFFFu);

    // Off the view no name is drawn.
    text.calls.clear();
    drawObjectName(v, s, -1, 5, "x");
    drawObjectName(v, s, 200, 5, "x");
    drawObjectName(v, s, 5, 100, "x");
    EXPECT_TRUE(text.calls.empty());
}

TEST_F(Painter, DotsAndVisibilityModes) {
    const double px = v.eyeDistance / (200 / (2 * std::tan(5 * DEG_TO_RAD)));
    addObject(w, 0, 0, 0, 10 * px, 0x0000FF);  // 20 pixels across, red
    paint();
    EXPECT_GT(countColour(s, 0x0000FF), 250);
    w.DISPLAY_OBJECTS_AS_DOTS = 1;
    paint();
    EXPECT_EQ(countColour(s, 0x0000FF), 1);
    w.IMPROVE_OBJECTS_VISIBILITY = 1;
    paint();
    EXPECT_EQ(countColour(s, 0xFFFFFF), 1);
    w.DISPLAY_OBJECTS_AS_DOTS = 0;
    paint();
    EXPECT_GT(countColour(s, 0xFFFFFF), 250);
    EXPECT_EQ(countColour(s, 0x0000FF), 0);
}

TEST_F(Painter, TrailsKeepThePreviousFrame) {
    addObject(w, 0, 0, 0);
    paint();
    w.SHOW_OBJECT_TRAILS = 1;
    w.ORIGIN_POSITION_X = 1e8;  // the object moves to the left
    paint();
    EXPECT_EQ(countLit(s), 2);
    w.SHOW_OBJECT_TRAILS = 0;
    paint();
    EXPECT_EQ(countLit(s), 1);

    // An empty scene always clears.
    w.SHOW_OBJECT_TRAILS = 1;
    paint();
    w.OBJECTS_N = 0;
    paint();
    EXPECT_EQ(countLit(s), 0);
    EXPECT_EQ(v.depthCount, 0);
}

TEST_F(Painter, AxesWhileDraggingOrWhenOn) {
    w.VIEWPOINT_THETA = 60, w.VIEWPOINT_PHI = 30;
    viewpointFromAngles(w);
    addObject(w, 0, 0, 0);
    paint();
    EXPECT_EQ(countLit(s), 1);
    v.viewDragging = 1;
    paint();
    const int dragged = countLit(s);
    EXPECT_GT(dragged, 60);
    EXPECT_GT(countColour(s, 0x999999) + countColour(s, 0x555555), 55);
    const std::vector<uint32_t> draggedFrame(s.pixels(), s.pixels() + 200 * 100);
    v.viewDragging = 0;
    w.displayAxes = 1;
    paint();
    EXPECT_EQ(std::vector<uint32_t>(s.pixels(), s.pixels() + 200 * 100), draggedFrame);
    w.OBJECTS_N = 0;  // the empty scene draws them too (over the object's pixel)
    paint();
    EXPECT_EQ(std::vector<uint32_t>(s.pixels(), s.pixels() + 200 * 100), draggedFrame);
}

TEST_F(Painter, ArrowBarbsPointBackTowardsTheOrigin) {
    Surface t(100, 100);
    t.setPenColour(0xFFFFFF);
    drawArrowHead(t, 10, 50, 90, 50, 50, 50);
    for (int y = 0; y < 100; ++y) {
        for (int x = 51; x < 100; ++x) ASSERT_EQ(t.pixel(x, y), 0xFF000000u) << x << "," << y;
    }
    EXPECT_GT(countLit(t), 8);
    EXPECT_EQ(t.pixel(50, 50), 0xFFFFFFFFu);
    Surface u(100, 100);
    u.setPenColour(0xFFFFFF);
    drawArrowHead(u, 50, 90, 50, 10, 50, 50);  // vertical, pointing up
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 100; ++x) ASSERT_EQ(u.pixel(x, y), 0xFF000000u) << x << "," << y;
    }
}

TEST(PainterRules, RoundHalfUp) {
    const double cases[][2] = {{2.5, 3}, {-2.5, -2}, {2.4, 2}, {-2.6, -3}, {3, 3}, {-0.5, 0}, {0.49, 0}};
    for (const auto& c : cases) EXPECT_EQ(roundHalfUp(c[0]), c[1]) << c[0];
}

TEST(PainterRules, GlyphsThatWouldPassTheBottomAreSkipped) {
    World w;
    View v;
    updateViewSize(w, v, 20, 10);
    Surface s(20, 10);
    drawGlyph(v, s, GLYPH_AXIS_Y, 2, 5, 0xFFFFFF);  // rows 5..9: fits
    EXPECT_EQ(countLit(s), 13);
    s.clear();
    drawGlyph(v, s, GLYPH_AXIS_Y, 2, 6, 0xFFFFFF);
    EXPECT_EQ(countLit(s), 0);
}

TEST_F(Painter, SpacecraftModeNamesTheObjectAtTheCentre) {
    RecordingText text;
    s.setTextRenderer(&text);
    w.displayOSD = 1;
    addObject(w, 0, 0, 0);  // 0: the spacecraft (at the viewpoint, never drawn)
    setObjectName(w.objects[0], "Craft");
    setObjectName(addObject(w, 0, 0, -3e10), "Far");
    setObjectName(addObject(w, 0, 0, -2e10), "Near");
    setObjectName(addObject(w, 1e9, 0, -1e10), "Aside");
    w.SPACECRAFT_MODE = 1;
    w.SPACECRAFT_OBJECT = 0;
    w.SPACECRAFT_DIRECTION_Z = -1;
    w.SPACECRAFT_THRUST_FORCE_MAX = 10;
    paint();
    int named = 0;
    for (const samples::TextCall& c : text.calls) {
        EXPECT_NE(c.text, "Near");
        EXPECT_NE(c.text, "Aside");
        named += c.text == "Far";
    }
    EXPECT_EQ(named, 2);  // shadow and face, the farthest within 5 pixels
}

TEST_F(Painter, BenchmarkCaptionBlinksInRed) {
    RecordingText text;
    s.setTextRenderer(&text);
    addObject(w, 0, 0, 0);
    w.benchmarkRunning = 1;
    paint();
    EXPECT_TRUE(text.calls.empty());
    v.blinkPhase = 1;
    paint();
    ASSERT_EQ(text.calls.size(), 1u);
    EXPECT_EQ(text.calls[0].text, "Benchmarking");
    EXPECT_EQ(text.calls[0].colour, 0x0000FFu);
    EXPECT_EQ(text.calls[0].x, 0);
}

TEST_F(Painter, PresentIsCalledOncePerFrame) {
    int presented = 0;
    v.present = [&] { ++presented; };
    paint();
    addObject(w, 0, 0, 0);
    paint();
    EXPECT_EQ(presented, 2);
}

TEST_F(Painter, BackBufferFollowsTheViewSize) {
    updateViewSize(w, v, 30, 20);
    EXPECT_EQ(clearBackBuffer(v, s), 1);
    EXPECT_EQ(s.width(), 30);
    EXPECT_EQ(s.height(), 20);
    s.setTextColour(0x0000FF);
    clearBackBuffer(v, s);
    EXPECT_EQ(s.textColour(), 0xFFFFFFu);
}

// Absurd numbers anywhere must give a frame, never a crash.
TEST_F(Painter, AbsurdValuesNeverCrash) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    const double values[] = {0, 1e300, -1e300, inf, -inf, nan, 1e-300};
    int k = 0;
    for (double a : values) {
        for (double b : values) {
            ObjectRecord& o = addObject(w, a, b, k % 2 ? a : b, k % 3 ? b : a, 0xFFFFFF, k % 5 ? a : 1);
            if (k % 7 == 0) setObjectName(o, "Absurd object with a long name");
            ++k;
        }
    }
    w.DISPLAY_OBJECT_NAMES = 1;
    w.displayAxes = 1;
    w.displayOSD = 1;
    w.SIMULATION_TIME = nan;
    w.measuredFps = std::numeric_limits<int64_t>::min();
    const struct {
        int width, height;
        double fov, distance, theta;
        int originMode;
    } views[] = {{200, 100, 10, 1e10, 0, 0},   {0, 0, 10, 1e10, 30, 2},    {1, 1, 179.9, -5, 90, 1},
                 {200, 100, nan, nan, nan, 0}, {300, 3, 1e-9, inf, 45, 0}, {5, 400, 90, 0, 180, 2}};
    for (const auto& vw : views) {
        for (int spacecraft = 0; spacecraft < 2; ++spacecraft) {
            w.VIEWPOINT_FOV = vw.fov;
            w.VIEWPOINT_DISTANCE = vw.distance;
            w.VIEWPOINT_THETA = vw.theta;
            w.ORIGIN_MODE = vw.originMode;
            w.ORIGIN_OBJECT = 3;
            w.SPACECRAFT_MODE = spacecraft;
            w.SPACECRAFT_OBJECT = 5;
            w.SPACECRAFT_THRUST_FORCE = 2;
            w.SPACECRAFT_THRUST_FORCE_MAX = 1;  // log10 of 1 is 0
            w.VIEWPOINT_MODE = 0;
            updateViewSize(w, v, vw.width, vw.height);
            clearBackBuffer(v, s);
            paint();
            SCOPED_TRACE(testing::Message()
                         << vw.width << "x" << vw.height << " fov " << vw.fov << " spacecraft " << spacecraft);
            // The frame is the view's size: every draw went to a surface
            // of the view's size and no larger.
            EXPECT_EQ(s.width(), v.viewWidth);
            EXPECT_EQ(s.height(), v.viewHeight);
            EXPECT_LE(v.depthCount, w.OBJECTS_N);
            // The hit test names an object or none, wherever it is asked.
            const int points[][2] = {{0, 0},
                                     {v.viewWidth / 2, v.viewHeight / 2},
                                     {v.viewWidth - 1, v.viewHeight - 1},
                                     {-1, -1},
                                     {INT_MAX, INT_MIN}};
            for (const auto& p : points) {
                const int hit = objectAtPoint(v, p[0], p[1]);
                EXPECT_TRUE(hit == -1 || (hit >= 0 && hit < w.OBJECTS_N)) << hit << " at " << p[0] << "," << p[1];
            }
        }
    }
}

}  // namespace
}  // namespace vantor::render
