#include "render/static_scenery.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/random.h"
#include "render/camera.h"
#include "render/painter.h"
#include "tests/support/render_samples.h"

namespace vantor::render {
namespace {

using samples::countLit;

class StaticScenery : public ::testing::Test {
protected:
    void SetUp() override {
        seedRandom(1);
        w.displayOSD = 0;
        w.DISPLAY_STATIC_SCENERY = 1;
        w.STATIC_SCENERY_OBJECTS_N = 5000;
        updateViewSize(w, v, 300, 200);
        clearBackBuffer(v, s);
    }
    World w;
    View v;
    Surface s;
};

TEST_F(StaticScenery, PointsLieOnTheSkySphereInTwoHalves) {
    generateStaticScenery(w, v);
    for (int i = 0; i < 5000; ++i) {
        const StaticPoint& p = v.staticPoints[i];
        const double r = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        ASSERT_NEAR(r / 1e80, 1, 1e-12) << i;
        if (i % 2) {
            ASSERT_LE(p.z, 0) << i;
        } else {
            ASSERT_GE(p.z, 0) << i;
        }
        const uint32_t g = p.colour & 0xFF;
        ASSERT_EQ(p.colour, g * 0x010101u);
        ASSERT_GE(g, 100u);
        ASSERT_LE(g, 199u);
    }
    // The same seed gives the same sky.
    const StaticPoint first = v.staticPoints[17];
    seedRandom(1);
    generateStaticScenery(w, v);
    EXPECT_EQ(v.staticPoints[17].x, first.x);
    EXPECT_EQ(v.staticPoints[17].colour, first.colour);
}

TEST_F(StaticScenery, BothHalvesAreDrawnTheSecondMirrored) {
    w.STATIC_SCENERY_OBJECTS_N = 2;
    const double l = 1e80 / std::sqrt(3.0);
    v.staticPoints[0] = {l * 0.01, l * 0.02, -l, 0, 0, 0, 0x646464};  // in front of the viewer
    v.staticPoints[1] = {l * 0.01, l * 0.02, l, 0, 0, 0, 0xC7C7C7};   // behind
    paintFrame(w, v, s);
    const StaticPoint& a = v.staticPoints[0];
    const StaticPoint& b = v.staticPoints[1];
    EXPECT_NEAR(a.screenX - 150, -(b.screenX - 150), 1e-9);
    EXPECT_NEAR(a.screenY - 100, -(b.screenY - 100), 1e-9);
    EXPECT_LT(a.depth, 0);
    EXPECT_EQ(countLit(s), 2);
    EXPECT_EQ(s.pixel(static_cast<int>(a.screenX), static_cast<int>(a.screenY)), toPixelColour(0x646464));
}

TEST_F(StaticScenery, ProjectionIsCachedUntilTheViewChanges) {
    generateStaticScenery(w, v);
    projectStaticScenery(w, v);
    ASSERT_EQ(v.staticProjectionCache.valid, 1);
    const auto marked = [&] { return v.staticPoints[3].screenX == -7; };
    v.staticPoints[3].screenX = -7;  // a projection would overwrite this
    projectStaticScenery(w, v);
    EXPECT_TRUE(marked());

    // Changing only the distance invalidates the cache.
    w.VIEWPOINT_DISTANCE *= 1.0000001;
    projectStaticScenery(w, v);
    EXPECT_FALSE(marked());

    const struct {
        const char* what;
        void (*change)(World&, View&);
    } changes[] = {
        {"theta", [](World& w, View&) { w.VIEWPOINT_THETA += 1; }},
        {"mode", [](World& w, View&) { w.VIEWPOINT_MODE = 2; }},
        {"position", [](World& w, View&) { w.VIEWPOINT_POSITION_X += 1; }},
        {"fov", [](World& w, View&) { w.VIEWPOINT_FOV = 20; }},
        {"view size", [](World& w, View& v) { updateViewSize(w, v, 310, 200); }},
        {"size doubled, far away",
         [](World& w, View& v) {
             w.VIEWPOINT_DISTANCE = 1e20;  // K W vanishes beside D: Sx and Sy stay the same
             updateViewSize(w, v, 300, 200);
             projectStaticScenery(w, v);
             v.staticPoints[3].screenX = -7;
             updateViewSize(w, v, 600, 400);
         }},
        {"count", [](World& w, View&) { w.STATIC_SCENERY_OBJECTS_N = 4000; }},
        {"regeneration", [](World& w, View& v) { generateStaticScenery(w, v); }},
    };
    for (const auto& c : changes) {
        projectStaticScenery(w, v);
        v.staticPoints[3].screenX = -7;
        c.change(w, v);
        projectStaticScenery(w, v);
        EXPECT_FALSE(marked()) << c.what;
    }
}

TEST_F(StaticScenery, NoPointsNothingProjectedOrDrawn) {
    w.STATIC_SCENERY_OBJECTS_N = 0;
    paintFrame(w, v, s);
    EXPECT_EQ(v.staticProjectionCache.valid, 0);
    EXPECT_EQ(countLit(s), 0);
    // Lowering the count to 0 after drawing stops the drawing too.
    w.STATIC_SCENERY_OBJECTS_N = 3000;
    generateStaticScenery(w, v);
    paintFrame(w, v, s);
    EXPECT_GT(countLit(s), 0);
    w.STATIC_SCENERY_OBJECTS_N = 0;
    paintFrame(w, v, s);
    EXPECT_EQ(countLit(s), 0);
}

TEST_F(StaticScenery, LoweringKeepsTheFirstPointsRaisingMakesNewOnes) {
    generateStaticScenery(w, v);
    const StaticPoint kept = v.staticPoints[1999];
    w.STATIC_SCENERY_OBJECTS_N = 2000;  // lowered: no generation
    paintFrame(w, v, s);
    EXPECT_EQ(v.staticPoints[1999].x, kept.x);
    w.STATIC_SCENERY_OBJECTS_N = 10000;  // raised: all anew
    generateStaticScenery(w, v);
    EXPECT_NE(v.staticPoints[0].x, kept.x);
}

TEST_F(StaticScenery, OnlyPointsInsideTheViewAreDrawn) {
    generateStaticScenery(w, v);
    w.VIEWPOINT_FOV = 100;
    updateProjection(w, v);
    paintFrame(w, v, s);
    int inside = 0;
    for (int i = 0; i < 5000; ++i) {
        const StaticPoint& p = v.staticPoints[i];
        inside += p.screenX >= 0 && p.screenX < 300 && p.screenY >= 0 && p.screenY < 200;
    }
    EXPECT_GT(inside, 100);
    EXPECT_LE(countLit(s), inside);  // points may share a pixel
    EXPECT_GT(countLit(s), inside * 9 / 10);
    EXPECT_EQ(v.staticPixelCount, inside);
}

TEST_F(StaticScenery, AfterLoadingThePointsAreMade) {
    w.STATIC_SCENERY_OBJECTS_N = 10;
    for (int i = 0; i < 10; ++i) v.staticPoints[i] = {};
    v.depthCount = 5;
    afterSceneryLoaded(w, v);
    EXPECT_NE(v.staticPoints[9].x, 0);
    EXPECT_EQ(v.depthCount, 0);
    EXPECT_GT(v.visibleHalfWidth, 1);
}

}  // namespace
}  // namespace vantor::render
