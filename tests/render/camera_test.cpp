#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/render_samples.h"

namespace vantor::render {
namespace {

using samples::addObject;

void expectNear(Vec3 a, Vec3 b, double tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(Camera, ProjectionConstantsAndThePixelOfTheWorkedExample) {
    World w;
    View v;
    updateViewSize(w, v, 800, 600);  // FOV 10, D 1e10 after New
    EXPECT_NEAR(v.screenScale, 0.00057150261513807, 1e-17);
    EXPECT_NEAR(v.screenScale * 800, 0.45720209, 1e-8);
    EXPECT_NEAR(v.visibleHalfWidth, 8.74887e8, 1e3);
    EXPECT_NEAR(v.visibleHalfHeight, 6.56165e8, 1e3);
    EXPECT_EQ(v.eyeDistance, 1e10 + v.screenScale * 800);
    double sx, sy;
    projectPoint(w, v, 1e9, 0, 0, sx, sy);
    EXPECT_NEAR(sx, 857.202, 1e-3);
    EXPECT_EQ(truncToInt(sx), 857);
    EXPECT_EQ(sy, 300);
}

TEST(Camera, ExtentsThatAreNotPositiveBecomeOne) {
    World w;
    View v;
    w.VIEWPOINT_DISTANCE = -1e300;  // A <= 0
    updateViewSize(w, v, 800, 600);
    EXPECT_EQ(v.visibleHalfWidth, 1.0);
    EXPECT_EQ(v.visibleHalfHeight, 1.0);
    w.VIEWPOINT_DISTANCE = 1e10;
    updateViewSize(w, v, 800, 0);  // no height: Sy 0 becomes 1
    EXPECT_EQ(v.visibleHalfHeight, 1.0);
    updateViewSize(w, v, -4, -4);
    EXPECT_EQ(v.viewWidth, 0);
    EXPECT_TRUE(std::isnan(v.visibleHalfWidth));  // 0 / 0 stays not a number
}

TEST(Camera, AnglesFromViewpoint) {
    const struct {
        Vec3 position;
        double d, theta, phi;
    } cases[] = {
        {{0, 0, -5}, 5, 180, 0},
        {{0, -1, 0}, 1, 90, 270},
        {{3, 4, 0}, 5, 90, 53.13010235415598},
        {{1, 1, std::sqrt(2.0)}, 2, 45, 45},
    };
    for (const auto& c : cases) {
        World w;
        w.VIEWPOINT_POSITION_X = c.position.x;
        w.VIEWPOINT_POSITION_Y = c.position.y;
        w.VIEWPOINT_POSITION_Z = c.position.z;
        anglesFromViewpoint(w);
        EXPECT_NEAR(w.VIEWPOINT_DISTANCE, c.d, 1e-12);
        EXPECT_NEAR(w.VIEWPOINT_THETA, c.theta, 1e-12);
        EXPECT_NEAR(w.VIEWPOINT_PHI, c.phi, 1e-12);
    }
    World w;
    w.VIEWPOINT_THETA = 12;
    w.VIEWPOINT_PHI = 34;
    w.VIEWPOINT_POSITION_X = w.VIEWPOINT_POSITION_Y = w.VIEWPOINT_POSITION_Z = 0;
    anglesFromViewpoint(w);
    EXPECT_EQ(w.VIEWPOINT_DISTANCE, 0);
    EXPECT_EQ(w.VIEWPOINT_THETA, 12);
    EXPECT_EQ(w.VIEWPOINT_PHI, 34);
}

TEST(Camera, TheViewpointMapsOntoTheLineOfSightAndRotationsAgree) {
    const double angles[][3] = {{0, 0, 0}, {30, 270, 90}, {90, 20, 0}, {135, 300, 45}, {180, 10, 200}};
    for (const auto& a : angles) {
        World w;
        View v;
        w.VIEWPOINT_THETA = a[0], w.VIEWPOINT_PHI = a[1], w.VIEWPOINT_ALPHA = a[2];
        w.VIEWPOINT_DISTANCE = 7e9;
        viewpointFromAngles(w);
        refreshAngleCache(w, v);
        double x = w.VIEWPOINT_POSITION_X, y = w.VIEWPOINT_POSITION_Y, z = w.VIEWPOINT_POSITION_Z;
        worldToCamera(v, x, y, z);
        expectNear({x, y, z}, {0, 0, 7e9}, 1e-3);

        const Vec3 p{1.5e9, -2e9, 3e8};
        Vec3 c;
        worldToCamera(v, p.x, p.y, p.z, c.x, c.y, c.z);
        expectNear(rotateForward(-a[0], -a[1], -a[2], p), c, 1e-3);
        expectNear(rotateBackward(-a[0], -a[1], -a[2], c), p, 1e-3);
        expectNear(rotateBackward(11, 22, 33, rotateForward(11, 22, 33, p)), p, 1e-3);
    }
}

TEST(Camera, RecoverViewAnglesFindsThePresentAngles) {
    const double angles[][3] = {{30, 270, 90}, {60, 20, 300}, {135, 100, 10}, {1, 359, 180}, {179, 0.5, 0.5}};
    for (const auto& a : angles) {
        World w;
        View v;
        updateViewSize(w, v, 600, 350);
        const double l = axisLength(v);
        EXPECT_EQ(l, v.visibleHalfHeight);
        const Vec3 images[3] = {rotateForward(-a[0], -a[1], -a[2], {l, 0, 0}),
                                rotateForward(-a[0], -a[1], -a[2], {0, l, 0}),
                                rotateForward(-a[0], -a[1], -a[2], {0, 0, l})};
        recoverViewAngles(w, v, images);
        EXPECT_NEAR(w.VIEWPOINT_THETA, a[0], 1e-5);
        EXPECT_NEAR(w.VIEWPOINT_PHI, a[1], 1e-5);
        EXPECT_NEAR(w.VIEWPOINT_ALPHA, a[2], 1e-5);
    }
    // Looking straight down the z axis: alpha is kept, theta is 0.
    World w;
    View v;
    updateViewSize(w, v, 600, 350);
    const double l = axisLength(v);
    w.VIEWPOINT_ALPHA = 40;
    const Vec3 images[3] = {rotateForward(0, -75, -40, {l, 0, 0}), rotateForward(0, -75, -40, {0, l, 0}), {0, 0, l}};
    recoverViewAngles(w, v, images);
    EXPECT_EQ(w.VIEWPOINT_THETA, 0);
    EXPECT_EQ(w.VIEWPOINT_ALPHA, 40);
    EXPECT_NEAR(w.VIEWPOINT_PHI, 75, 1e-5);
}

class PrepareFrame : public ::testing::Test {
protected:
    void SetUp() override { updateViewSize(w, v, 600, 350); }
    World w;
    View v;
};

TEST_F(PrepareFrame, OriginModes) {
    addObject(w, 10, 0, 0, 1, 0xFFFFFF, 1);
    addObject(w, 40, 8, 0, 1, 0xFFFFFF, 3);
    w.ORIGIN_OFFSET_Z = 5;
    prepareFrame(w, v);  // centre of mass
    EXPECT_EQ(w.ORIGIN_POSITION_X, 32.5);
    EXPECT_EQ(w.ORIGIN_POSITION_Y, 6);
    EXPECT_EQ(v.originPoint.z, 5);
    EXPECT_EQ(v.displayObjects[0].x, -22.5);  // theta = phi = alpha = 0: x stays x
    EXPECT_EQ(v.displayObjects[0].z, -5);

    w.ORIGIN_MODE = 1;
    w.ORIGIN_OBJECT = 0;
    prepareFrame(w, v);
    EXPECT_EQ(w.ORIGIN_POSITION_X, 10);
    w.ORIGIN_OBJECT = 7;  // not an object: the origin stays
    w.objects[0].x = 99;
    prepareFrame(w, v);
    EXPECT_EQ(w.ORIGIN_POSITION_X, 10);

    w.ORIGIN_MODE = 2;
    w.ORIGIN_POSITION_X = -1;
    prepareFrame(w, v);
    EXPECT_EQ(w.ORIGIN_POSITION_X, -1);
    EXPECT_EQ(w.objects[0].x, 99);  // the simulated table is never touched
}

TEST_F(PrepareFrame, WithoutMassTheOriginStaysWhereItWas) {
    addObject(w, 10, 0, 0, 1, 0xFFFFFF, 0);
    addObject(w, 20, 0, 0, 1, 0xFFFFFF, 0);
    w.ORIGIN_POSITION_X = 15;
    prepareFrame(w, v);
    EXPECT_EQ(w.ORIGIN_POSITION_X, 15);
    EXPECT_EQ(v.displayObjects[0].x, -5);
}

TEST_F(PrepareFrame, DisabledObjectsKeepOriginRelativeCoordinates) {
    w.VIEWPOINT_THETA = 90;
    w.ORIGIN_MODE = 2;
    addObject(w, 1, 2, 3).disabled = 1;
    addObject(w, 1, 2, 3).disabled = 2;
    prepareFrame(w, v);
    EXPECT_EQ(v.displayObjects[0].x, 1);
    EXPECT_EQ(v.displayObjects[0].z, 3);
    EXPECT_NEAR(v.displayObjects[1].x, -3, 1e-12);  // turned like any other
    EXPECT_NEAR(v.displayObjects[1].z, 1, 1e-12);
}

TEST_F(PrepareFrame, ViewpointModes) {
    w.ORIGIN_MODE = 2;
    addObject(w, 0, 0, -5);
    w.VIEWPOINT_MODE = 1;
    w.VIEWPOINT_OBJECT = 0;
    prepareFrame(w, v);
    EXPECT_EQ(w.VIEWPOINT_DISTANCE, 5);
    EXPECT_EQ(w.VIEWPOINT_THETA, 180);
    EXPECT_EQ(w.VIEWPOINT_PHI, 0);

    w.VIEWPOINT_OBJECT = 3;  // out of range: nothing changes
    w.objects[0].z = -9;
    prepareFrame(w, v);
    EXPECT_EQ(w.VIEWPOINT_DISTANCE, 5);

    w.VIEWPOINT_MODE = 2;
    w.VIEWPOINT_POSITION_X = 0, w.VIEWPOINT_POSITION_Y = -1, w.VIEWPOINT_POSITION_Z = 0;
    prepareFrame(w, v);
    EXPECT_EQ(w.VIEWPOINT_THETA, 90);
    EXPECT_EQ(w.VIEWPOINT_PHI, 270);
    EXPECT_EQ(w.VIEWPOINT_DISTANCE, 1);
}

TEST_F(PrepareFrame, SpacecraftLooksAlongItsHeading) {
    addObject(w, 1e11, 0, 0);
    addObject(w, 4e11, 0, 0);  // the tracked object
    w.SPACECRAFT_MODE = 1;
    w.SPACECRAFT_OBJECT = 0;
    w.SPACECRAFT_DIRECTION_X = 0, w.SPACECRAFT_DIRECTION_Y = 1, w.SPACECRAFT_DIRECTION_Z = 0;
    prepareFrame(w, v);
    EXPECT_EQ(w.ORIGIN_POSITION_X, 1e11);
    EXPECT_EQ(w.ORIGIN_POSITION_Y, 1e10);
    EXPECT_EQ(w.VIEWPOINT_MODE, 1);
    EXPECT_EQ(w.VIEWPOINT_OBJECT, 0);
    EXPECT_EQ(w.VIEWPOINT_DISTANCE, 1e10);
    EXPECT_NEAR(v.displayObjects[0].z, 1e10, 1e-3);  // the viewpoint sits on the spacecraft

    w.SPACECRAFT_TRACKING_MODE = 2;
    w.SPACECRAFT_TRACKING_OBJECT = 1;
    prepareFrame(w, v);
    EXPECT_EQ(w.ORIGIN_POSITION_Y, 3e11);  // as far ahead as the tracked object is away
    w.SPACECRAFT_TRACKING_OBJECT = 9;      // no such object: as without tracking
    prepareFrame(w, v);
    EXPECT_EQ(w.ORIGIN_POSITION_Y, 1e10);

    w.SPACECRAFT_MODE = 0;
    w.ORIGIN_MODE = 2;
    prepareFrame(w, v);
    EXPECT_EQ(w.VIEWPOINT_MODE, 1);  // stays after leaving spacecraft mode

    w.SPACECRAFT_MODE = 1;
    w.SPACECRAFT_OBJECT = 50;  // not an object: the origin stays, nothing is read
    w.ORIGIN_POSITION_X = 7;
    prepareFrame(w, v);
    EXPECT_EQ(w.ORIGIN_POSITION_X, 7);
}

}  // namespace
}  // namespace vantor::render
