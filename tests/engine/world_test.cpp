#include "engine/world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace vantor {
namespace {

void addObject(World& w, double mass, double x, uint8_t disabled = 0) {
    ObjectRecord& o = w.objects[w.OBJECTS_N++];
    o.mass = mass;
    o.x = x;
    o.disabled = disabled;
}

TEST(World, NewSceneryResetsAndKeepsWhatItShould) {
    World w;
    w.OBJECTS_N = w.INIT_OBJECTS_N = 3;
    setObjectName(w.objects[0], "Sun");
    setObjectName(w.initialObjects[2], "Moon");
    w.objects[1].mass = 5;
    w.SIMULATION_TIME_STEP = 1;
    w.VIEWPOINT_DISTANCE = 3;
    w.VIEWPOINT_FOV = 30;
    w.FPS_DESIRED = 7;
    w.stepsPerFrame = 900;
    w.PROCESS_PRIORITY = 2;
    w.DISPLAY_OBJECT_NAMES = 1;
    w.VIEWPOINT_MODE = 2;
    w.ORIGIN_POSITION_X = 4;
    w.sceneryModified = 1;
    w.currentFileName = "x.nbx";

    newScenery(w);

    EXPECT_EQ(w.OBJECTS_N, 0);
    EXPECT_EQ(w.INIT_OBJECTS_N, 0);
    EXPECT_EQ(w.objects[0].name, nullptr);
    EXPECT_EQ(w.initialObjects[2].name, nullptr);
    EXPECT_EQ(w.objects[1].mass, 0.0);
    EXPECT_EQ(w.SIMULATION_TIME_STEP, 10.0);
    EXPECT_EQ(w.VIEWPOINT_DISTANCE, 1e10);
    EXPECT_EQ(w.VIEWPOINT_FOV, 10.0);
    EXPECT_EQ(w.VIEWPOINT_POSITION_Z, 1e10);
    EXPECT_EQ(w.FPS_DESIRED, 50);
    EXPECT_EQ(w.stepsPerFrame, 5);
    EXPECT_EQ(w.selectedObject, -1);
    EXPECT_EQ(w.displayOSD, 1);
    EXPECT_EQ(w.sceneryModified, 0);
    EXPECT_TRUE(w.currentFileName.empty());
    // Kept settings.
    EXPECT_EQ(w.PROCESS_PRIORITY, 2);
    EXPECT_EQ(w.DISPLAY_OBJECT_NAMES, 1);
    EXPECT_EQ(w.VIEWPOINT_MODE, 2);
    EXPECT_EQ(w.ORIGIN_POSITION_X, 4.0);
}

TEST(World, ResetToInitialCopiesRecordsWithOwnNamesAndClampsSpacecraft) {
    World w;
    for (int i = 0; i < 10; ++i) {
        w.initialObjects[i].mass = i + 1;
        setObjectName(w.initialObjects[i], ("Object " + std::to_string(i + 1)).c_str());
    }
    w.INIT_OBJECTS_N = 10;
    w.INIT_SIMULATION_TIME_STEP = 42;
    w.SIMULATION_TIME = 99;
    w.SPACECRAFT_OBJECT = 12;
    resetToInitial(w);
    EXPECT_EQ(w.OBJECTS_N, 10);
    EXPECT_EQ(w.SIMULATION_TIME_STEP, 42.0);
    EXPECT_EQ(w.SIMULATION_TIME, 0.0);
    EXPECT_EQ(w.SPACECRAFT_OBJECT, 0);
    EXPECT_EQ(w.objects[9].mass, 10.0);
    ASSERT_NE(w.objects[3].name, nullptr);
    EXPECT_STREQ(w.objects[3].name, "Object 4");
    EXPECT_NE(w.objects[3].name, w.initialObjects[3].name);  // its own copy

    w.SPACECRAFT_OBJECT = 9;
    resetToInitial(w);
    EXPECT_EQ(w.SPACECRAFT_OBJECT, 9);
}

TEST(World, ResetRunStateClearsRunButNotSettings) {
    World w;
    w.OBJECTS_N = 4;
    w.SIMULATION_TIME = 5;
    w.COLLISION_COUNTER = 3;
    w.collisionDetected = 1;
    w.simulationRunning = 1;
    w.FPS_DESIRED = 70;
    resetRunState(w);
    EXPECT_EQ(w.OBJECTS_N, 0);
    EXPECT_EQ(w.SIMULATION_TIME, 0.0);
    EXPECT_EQ(w.SIMULATION_TIME_STEP, 10.0);
    EXPECT_EQ(w.COLLISION_COUNTER, 0);
    EXPECT_EQ(w.collisionDetected, 0);
    EXPECT_EQ(w.simulationRunning, 0);
    EXPECT_EQ(w.FPS_DESIRED, 70);
}

TEST(World, CentreOfMassIncludesDisabledObjects) {
    World w;
    addObject(w, 1, 0);
    addObject(w, 3, 4);
    computeCentreOfMass(w);
    EXPECT_DOUBLE_EQ(w.centreOfMass.x, 3.0);
    addObject(w, 2, 96, 1);
    computeCentreOfMass(w);
    EXPECT_DOUBLE_EQ(w.centreOfMass.x, 34.0);

    World empty;
    computeCentreOfMass(empty);
    EXPECT_TRUE(std::isnan(empty.centreOfMass.x));
}

TEST(World, SetObjectName) {
    ObjectRecord r{};
    EXPECT_EQ(setObjectName(r, "Earth"), 1);
    EXPECT_STREQ(r.name, "Earth");
    EXPECT_EQ(setObjectName(r, r.name), 1);  // replacing a name by itself must not read freed memory
    EXPECT_STREQ(r.name, "Earth");
    EXPECT_EQ(setObjectName(r, nullptr), 0);
    EXPECT_EQ(r.name, nullptr);
}

TEST(World, SetIfChangedMarksOnlyRealChanges) {
    World w;
    setIfChanged(w, w.FPS_DESIRED, 50);
    EXPECT_EQ(w.sceneryModified, 0);
    setIfChanged(w, w.VIEW_ROTATING_STEP, 0.5);
    EXPECT_EQ(w.sceneryModified, 1);
    EXPECT_EQ(w.VIEW_ROTATING_STEP, 0.5);
}

TEST(World, VectorOperations) {
    Vec3 a = vecMake(3, 0, 4);
    EXPECT_EQ(vecLength(a), 5.0);
    Vec3 n = vecNormalise(a);
    EXPECT_DOUBLE_EQ(n.x, 0.6);
    EXPECT_DOUBLE_EQ(n.z, 0.8);
    Vec3 zero = vecNormalise(vecMake(0, 0, 0));
    EXPECT_EQ(zero.x, 0.0);
    EXPECT_FALSE(std::isnan(zero.y));
    Vec3 d = vecDiv(a, 0.0);
    EXPECT_EQ(d.z, 0.0);
    Vec3 s = vecSub(vecAdd(a, vecScale(a, 2)), a);
    EXPECT_EQ(s.x, 6.0);
}

TEST(World, ClampDisabled) {
    const struct {
        long in;
        int out;
    } cases[] = {{-3, 0}, {0, 0}, {1, 1}, {2, 2}, {7, 2}};
    for (auto c : cases) EXPECT_EQ(clampDisabled(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace vantor
