// A handful of whole frames compared pixel for pixel with committed PNGs.
// After a deliberate change of the picture, look at the new frames and
// rewrite them with VANTOR_UPDATE_GOLDEN=1 in the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/random.h"
#include "render/camera.h"
#include "render/painter.h"
#include "render/png.h"
#include "render/static_scenery.h"
#include "scenery/reader.h"

namespace vantor::render {
namespace {

namespace fs = std::filesystem;

bool updating() {
    const char* v = std::getenv("VANTOR_UPDATE_GOLDEN");
    return v && std::string(v) == "1";
}

void compareWithGolden(const Surface& frame, const std::string& name) {
    const std::string golden = std::string(VANTOR_GOLDEN_DIR) + "/" + name + ".png";
    if (updating()) {
        std::string reason;
        ASSERT_TRUE(writePng(frame, golden, &reason)) << reason;
        // A rewritten frame compares with nothing: the test has not passed.
        // The test goes on, so that all its frames are rewritten.
        GTEST_SKIP() << "rewrote " << golden << "; look at it before committing";
    }
    Surface expected;
    std::string reason;
    ASSERT_TRUE(readPng(golden, expected, &reason)) << golden << ": " << reason;
    ASSERT_EQ(expected.width(), frame.width());
    ASSERT_EQ(expected.height(), frame.height());
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            if (frame.pixel(x, y) == expected.pixel(x, y)) continue;
            if (differing++ == 0) firstX = x, firstY = y;
        }
    }
    if (differing) {
        const std::string actual = (fs::temp_directory_path() / (name + "-actual.png")).string();
        writePng(frame, actual);
        ADD_FAILURE() << name << ": " << differing << " pixels differ, the first at (" << firstX << ", " << firstY
                      << "); this frame is in " << actual;
    }
}

// Loads an example as the program does and paints one frame of w x h.
void paintExample(World& world, View& view, Surface& frame, int example, int w, int h) {
    seedRandom(1);  // the generator's state at program start
    newScenery(world);
    ASSERT_EQ(readScenery(world, example, nullptr), 1);
    afterSceneryLoaded(world, view);
    updateViewSize(world, view, w, h);
    clearBackBuffer(view, frame);
}

TEST(Golden, HeliocentricSolarSystem) {
    World world;
    View view;
    Surface frame;
    paintExample(world, view, frame, 110, 600, 350);
    paintFrame(world, view, frame);
    compareWithGolden(frame, "solar_heliocentric");
}

TEST(Golden, AxesOverATurnedView) {
    World world;
    View view;
    Surface frame;
    paintExample(world, view, frame, 110, 320, 200);
    world.displayAxes = 1;
    world.displayOSD = 0;
    world.VIEWPOINT_DISTANCE = 2e12;
    world.VIEWPOINT_THETA = 60;
    world.VIEWPOINT_PHI = 30;
    world.VIEWPOINT_ALPHA = 15;
    viewpointFromAngles(world);
    updateProjection(world, view);
    paintFrame(world, view, frame);
    compareWithGolden(frame, "axes");
}

TEST(Golden, StatusDisplayWithKnownValues) {
    World world;
    View view;
    Surface frame;
    updateViewSize(world, view, 320, 64);
    clearBackBuffer(view, frame);
    world.VIEWPOINT_DISTANCE = 1.5e11;
    world.measuredFps = 1234567;
    world.measuredMcs = 98765;
    world.simSecondsPerSecond = 4321;
    world.SIMULATION_TIME = 12 * 86400 + 3 * 3600 + 25 * 60 + 7.5;
    // One disc far larger than the view behind the text, so that the black
    // shadows show.
    world.ORIGIN_MODE = 2;
    ObjectRecord& backdrop = world.objects[world.OBJECTS_N++];
    backdrop.radius = 4e10;
    backdrop.color = 0x804020;
    paintFrame(world, view, frame);
    compareWithGolden(frame, "osd");
}

TEST(Golden, SpacecraftCockpit) {
    World world;
    View view;
    Surface frame;
    paintExample(world, view, frame, 131, 400, 240);
    view.blinkPhase = 1;
    paintFrame(world, view, frame);
    compareWithGolden(frame, "spacecraft_cockpit");
}

}  // namespace
}  // namespace vantor::render
