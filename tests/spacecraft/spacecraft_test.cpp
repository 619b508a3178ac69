#include "spacecraft/spacecraft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/camera.h"

namespace vantor::spacecraft {
namespace {

// A new scenery with a 600 x 350 view and a one-worker pool.
struct Fixture {
    World world;
    render::View view;
    WorkerPool pool;
    Fixture() {
        newScenery(world);
        render::updateViewSize(world, view, 600, 350);
        createWorkerPool(pool, world, 1);
    }
    ObjectRecord& add(double x, double y, double z, double mass = 1) {
        ObjectRecord& o = world.objects[world.OBJECTS_N++];
        o.x = x, o.y = y, o.z = z, o.mass = mass;
        return o;
    }
    ObjectRecord& craft() { return world.objects[world.SPACECRAFT_OBJECT]; }
    Vec3 velocity() { return {craft().vx, craft().vy, craft().vz}; }
    Vec3 heading() const {
        return {world.SPACECRAFT_DIRECTION_X, world.SPACECRAFT_DIRECTION_Y, world.SPACECRAFT_DIRECTION_Z};
    }
};

double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

double angleBetween(Vec3 a, Vec3 b) { return std::acos(std::clamp(dot(vecNormalise(a), vecNormalise(b)), -1.0, 1.0)); }

TEST(Spacecraft, SpawnInANewSceneryThenEngage) {
    Fixture f;
    f.world.ORIGIN_POSITION_X = 5, f.world.ORIGIN_POSITION_Y = -7, f.world.ORIGIN_POSITION_Z = 11;
    ASSERT_EQ(spawnSpacecraft(f.world, f.pool, f.view), 0);
    EXPECT_EQ(f.world.OBJECTS_N, 1);
    EXPECT_EQ(f.world.INIT_OBJECTS_N, 0);
    EXPECT_EQ(f.world.SPACECRAFT_OBJECT, 0);
    EXPECT_EQ(f.world.sceneryModified, 1);
    const ObjectRecord& o = f.world.objects[0];
    EXPECT_STREQ(o.name, "Survey Vessel of Captain Orlo");
    EXPECT_EQ(o.mass, 10000);
    EXPECT_EQ(o.radius, 100);
    EXPECT_EQ(o.color, 0xFFFFFFu);
    EXPECT_EQ(o.disabled, 0);
    EXPECT_EQ(o.vx, 0);
    EXPECT_EQ(o.vy, 0);
    EXPECT_EQ(o.vz, 0);
    // In front of the origin point along +z by the smaller half extent.
    const double half = std::min(f.view.visibleHalfWidth, f.view.visibleHalfHeight);
    EXPECT_EQ(o.x, 5);
    EXPECT_EQ(o.y, -7);
    EXPECT_EQ(o.z, 11 + half);
    EXPECT_NEAR(f.world.SPACECRAFT_THRUST_FORCE_MAX, 2.1039e12, 0.0001e12);

    EXPECT_EQ(engageSpacecraft(f.world), 1);
    EXPECT_EQ(f.world.SPACECRAFT_MODE, 1);
    EXPECT_NEAR(f.world.SPACECRAFT_THRUST_FORCE, 4976, 1);
    EXPECT_EQ(f.heading().x, 0);
    EXPECT_EQ(f.heading().y, 0);
    EXPECT_EQ(f.heading().z, -1);
    EXPECT_EQ(f.world.VIEWPOINT_THETA, 0);
    EXPECT_EQ(f.world.VIEWPOINT_PHI, 0);
    EXPECT_EQ(f.world.VIEWPOINT_ALPHA, 0);

    // A second engage leaves the mode.
    EXPECT_EQ(engageSpacecraft(f.world), 1);
    EXPECT_EQ(f.world.SPACECRAFT_MODE, 0);
}

TEST(Spacecraft, DefaultThrustFollowsMassAndTimeStep) {
    World w;
    w.SIMULATION_TIME_STEP = 10;
    EXPECT_NEAR(defaultThrustMax(w, 10000), 10000 * 296794533.42 / (std::sqrt(0.0199) * 10), 1);
    w.SIMULATION_TIME_STEP = 1;
    EXPECT_NEAR(defaultThrustMax(w, 1), 296794533.42 / std::sqrt(0.0199), 1e-3);
}

TEST(Spacecraft, SpawnStopsAtTheTableLimit) {
    Fixture f;
    f.world.OBJECTS_N = MAX_OBJECTS;
    EXPECT_EQ(spawnSpacecraft(f.world, f.pool, f.view), -1);
    EXPECT_EQ(f.world.OBJECTS_N, MAX_OBJECTS);
    EXPECT_EQ(f.world.sceneryModified, 0);
}

TEST(Spacecraft, SpawnReplacesTheNameOfARecordOutOfUse) {
    Fixture f;
    setObjectName(f.world.objects[0], "left over");
    f.world.objects[0].vx = 7;
    spawnSpacecraft(f.world, f.pool, f.view);
    EXPECT_STREQ(f.world.objects[0].name, "Survey Vessel of Captain Orlo");
    EXPECT_EQ(f.world.objects[0].vx, 0);
}

TEST(Spacecraft, EngageFailsAndChangesNothing) {
    const struct {
        const char* what;
        int objects, craft;
        double max;
    } cases[] = {
        {"no objects", 0, 0, 1e6}, {"index past the table", 2, 2, 1e6}, {"negative index", 2, -1, 1e6},
        {"no thrust", 2, 1, 0},    {"negative thrust", 2, 1, -5},
    };
    for (const auto& c : cases) {
        Fixture f;
        for (int i = 0; i < c.objects; ++i) f.add(i, 0, 0);
        f.world.SPACECRAFT_OBJECT = c.craft;
        f.world.SPACECRAFT_THRUST_FORCE_MAX = c.max;
        f.world.VIEWPOINT_THETA = 30;
        EXPECT_EQ(engageSpacecraft(f.world), -1) << c.what;
        EXPECT_EQ(f.world.SPACECRAFT_MODE, 0) << c.what;
        EXPECT_EQ(f.world.VIEWPOINT_THETA, 30) << c.what;
        EXPECT_EQ(f.world.sceneryModified, 0) << c.what;
    }
}

TEST(Spacecraft, ThrustAdjustmentReachesTheMaximumIn35Presses) {
    Fixture f;
    spawnSpacecraft(f.world, f.pool, f.view);
    engageSpacecraft(f.world);
    const double max = f.world.SPACECRAFT_THRUST_FORCE_MAX;
    const double engaged = f.world.SPACECRAFT_THRUST_FORCE;
    adjustThrust(f.world, +1);
    EXPECT_NEAR(f.world.SPACECRAFT_THRUST_FORCE / engaged, 1.764, 0.001);
    for (int press = 2; press <= 34; ++press) adjustThrust(f.world, +1);
    EXPECT_LT(f.world.SPACECRAFT_THRUST_FORCE, max * 0.99);
    adjustThrust(f.world, +1);
    EXPECT_NEAR(f.world.SPACECRAFT_THRUST_FORCE, max, max * 1e-12);
    adjustThrust(f.world, +1);
    EXPECT_EQ(f.world.SPACECRAFT_THRUST_FORCE, max);
    // Down again: 50 presses end at the 1 N floor.
    for (int press = 0; press < 50; ++press) adjustThrust(f.world, -1);
    EXPECT_EQ(f.world.SPACECRAFT_THRUST_FORCE, 1);
}

TEST(Spacecraft, ThrustAdjustmentLimits) {
    const struct {
        double thrust, max;
        int sign;
        double expected;
    } cases[] = {
        {0, 1e6, +1, 1},  // no thrust becomes the floor
        {0, 1e6, -1, 1},     {100, 1e6, +1, 100 * std::pow(1e6, 0.02)}, {100, 1e6, -1, 100 / std::pow(1e6, 0.02)},
        {1, 1e6, -1, 1},      // never below 1 N
        {5e6, 1e6, +1, 1e6},  // never above the maximum
        {100, 0, +1, 0},      // no maximum: nothing above it
    };
    for (const auto& c : cases) {
        World w;
        w.SPACECRAFT_THRUST_FORCE = c.thrust;
        w.SPACECRAFT_THRUST_FORCE_MAX = c.max;
        adjustThrust(w, c.sign);
        EXPECT_NEAR(w.SPACECRAFT_THRUST_FORCE, c.expected, c.expected * 1e-12) << c.thrust << " " << c.sign;
    }
}

TEST(Spacecraft, ThrustImpulses) {
    const struct {
        const char* what;
        double speed;   // along the heading (0, 0, -1), m/s
        double thrust;  // N
        int sign;
        double expected;  // speed along the heading afterwards
    } cases[] = {
        {"forward from rest", 0, 4976, +1, 1},
        {"backward from rest", 0, 4976, -1, -1},
        {"15 % more", 1000, 1e12, +1, 1150},
        {"15 % less", 1000, 1e12, -1, 850},
        {"limited by the thrust", 1000, 1, +1, 1000 + 1 * 10 / 10000.0},
        {"slowed below 1 m/s turns to 1 m/s backward", 1, 1e12, -1, -1},
        {"15 % more would pass c", 290e6, 2.1039e12, +1, 299792457},
    };
    for (const auto& c : cases) {
        Fixture f;
        spawnSpacecraft(f.world, f.pool, f.view);
        engageSpacecraft(f.world);
        f.world.SPACECRAFT_THRUST_FORCE = c.thrust;
        f.craft().vz = -c.speed;
        f.world.sceneryModified = 0;
        applyThrust(f.world, c.sign);
        const Vec3 v = f.velocity();
        EXPECT_EQ(v.x, 0) << c.what;
        EXPECT_EQ(v.y, 0) << c.what;
        EXPECT_NEAR(-v.z, c.expected, std::fabs(c.expected) * 1e-9) << c.what;
        EXPECT_LT(vecLength(v), SPEED_OF_LIGHT) << c.what;
        EXPECT_EQ(f.world.sceneryModified, 1) << c.what;
    }
}

TEST(Spacecraft, ThrustFromRestIsExactlyOneMetrePerSecond) {
    Fixture f;
    spawnSpacecraft(f.world, f.pool, f.view);
    engageSpacecraft(f.world);
    applyThrust(f.world, +1);
    EXPECT_EQ(f.craft().vz, -1.0);
    stopSpacecraft(f.world);
    applyThrust(f.world, -1);
    EXPECT_EQ(f.craft().vz, 1.0);
}

TEST(Spacecraft, TheCapKeepsTheDirectionOfMotion) {
    Fixture f;
    spawnSpacecraft(f.world, f.pool, f.view);
    engageSpacecraft(f.world);
    setFullThrust(f.world);
    f.craft().vx = 2e8;  // sideways, the heading adds along -z
    f.craft().vz = -2e8;
    applyThrust(f.world, +1);
    const Vec3 v = f.velocity();
    EXPECT_NEAR(vecLength(v), 299792457, 1e-6);
    EXPECT_GT(v.x, 0);
    EXPECT_LT(v.z, -v.x);
}

TEST(Spacecraft, StopAndFullThrust) {
    Fixture f;
    spawnSpacecraft(f.world, f.pool, f.view);
    engageSpacecraft(f.world);
    f.craft().vx = 3, f.craft().vy = 4, f.craft().vz = 5;
    f.world.sceneryModified = 0;
    stopSpacecraft(f.world);
    EXPECT_EQ(f.velocity().x, 0);
    EXPECT_EQ(f.velocity().y, 0);
    EXPECT_EQ(f.velocity().z, 0);
    EXPECT_EQ(f.world.sceneryModified, 1);
    f.world.sceneryModified = 0;
    stopSpacecraft(f.world);  // at rest already: nothing changes
    EXPECT_EQ(f.world.sceneryModified, 0);
    setFullThrust(f.world);
    EXPECT_EQ(f.world.SPACECRAFT_THRUST_FORCE, f.world.SPACECRAFT_THRUST_FORCE_MAX);
}

TEST(Spacecraft, OperationsIgnoreAnInvalidSpacecraft) {
    Fixture f;
    f.add(0, 0, 0).vx = 7;
    f.world.SPACECRAFT_OBJECT = 3;
    f.world.SPACECRAFT_TRACKING_MODE = 2;
    applyThrust(f.world, +1);
    stopSpacecraft(f.world);
    trackTarget(f.world, f.view);
    EXPECT_EQ(f.world.objects[0].vx, 7);
    EXPECT_EQ(f.world.sceneryModified, 0);
}

// Tracking: the heading turns most of the way onto the target in one call
// and settles on it (within the bias of the trial turns' chords, half of
// 0.001 degrees per axis, far below a pixel); it stays the camera's line of
// sight.
TEST(Spacecraft, TrackingTurnsTheHeadingOntoTheTarget) {
    const struct {
        const char* what;
        int mode, trackedIndex;
        Vec3 target;       // where the heading must end up pointing from the craft
        double firstCall;  // the angle left after one call, at most, as a fraction
    } cases[] = {
        {"object", 2, 1, {3e9, 2e9, -1e10}, 0.1},
        {"invalid object tracks object 0", 2, 9, {-4e9, 1e9, -1e10}, 0.1},
        {"centre of mass", 1, 0, {-4e9, 1e9, -1e10}, 0.1},
        {"behind and to the side", 2, 2, {5e9, -1e9, 4e9}, 0.7},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.add(-4e9, 1e9, -1e10, 1e30);  // object 0, carries the mass
        f.add(3e9, 2e9, -1e10, 0);
        f.add(5e9, -1e9, 4e9, 0);
        f.add(0, 0, 0, 0);  // the craft, massless
        f.world.SPACECRAFT_OBJECT = 3;
        f.world.SPACECRAFT_THRUST_FORCE_MAX = 1e6;
        ASSERT_EQ(engageSpacecraft(f.world), 1);
        f.world.SPACECRAFT_TRACKING_MODE = c.mode;
        f.world.SPACECRAFT_TRACKING_OBJECT = c.trackedIndex;
        const double before = angleBetween(f.heading(), c.target);
        trackTarget(f.world, f.view);
        const double after = angleBetween(f.heading(), c.target);
        EXPECT_LT(after, before * c.firstCall) << c.what;
        for (int k = 0; k < 8; ++k) trackTarget(f.world, f.view);
        EXPECT_LT(angleBetween(f.heading(), c.target), 2e-5) << c.what;
        const Vec3 forward = vecNormalise(render::rotateBackward(-f.world.VIEWPOINT_THETA, -f.world.VIEWPOINT_PHI,
                                                                 -f.world.VIEWPOINT_ALPHA, {0, 0, -1}));
        EXPECT_LT(angleBetween(forward, f.heading()), 1e-9) << c.what;
        EXPECT_NEAR(vecLength(f.heading()), 1, 1e-12) << c.what;
    }
}

TEST(Spacecraft, TrackingModeNoneAndTargetAtTheCraftLeaveTheHeading) {
    for (int mode : {0, 2}) {
        Fixture f;
        f.add(0, 0, 0, 1);
        f.world.SPACECRAFT_OBJECT = 0;
        f.world.SPACECRAFT_THRUST_FORCE_MAX = 1e6;
        engageSpacecraft(f.world);
        f.world.SPACECRAFT_TRACKING_MODE = mode;
        f.world.SPACECRAFT_TRACKING_OBJECT = 0;  // the craft itself: no direction
        trackTarget(f.world, f.view);
        EXPECT_NEAR(f.heading().z, -1, 1e-12) << mode;
        EXPECT_NEAR(f.world.VIEWPOINT_THETA, 0, 1e-9) << mode;
    }
    // A centre of mass without mass is no target.
    Fixture f;
    f.add(1e9, 0, 0, 0);
    f.add(0, 0, 0, 0);
    f.world.SPACECRAFT_OBJECT = 1;
    f.world.SPACECRAFT_THRUST_FORCE_MAX = 1e6;
    engageSpacecraft(f.world);
    f.world.SPACECRAFT_TRACKING_MODE = 1;
    trackTarget(f.world, f.view);
    EXPECT_EQ(f.heading().z, -1);
    EXPECT_TRUE(std::isfinite(f.world.VIEWPOINT_THETA));
}

}  // namespace
}  // namespace vantor::spacecraft
