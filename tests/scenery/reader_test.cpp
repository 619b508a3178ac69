#include "scenery/reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "scenery/examples.h"
#include "scenery/realtext.h"
#include "scenery/writer.h"
#include "tests/support/as_nobody.h"
#include "tests/support/scenery_samples.h"
#include "tests/support/temp_dir.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using samples::EMPTY_SCENERY_TEXT;
using samples::SMALL_SCENERY_TEXT;

// Reading a text into a freshly reset world, as the open sequence does.
class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override { newScenery(w); }
    void read(const std::string& text) {
        newScenery(w);
        readSceneryText(w, text);
    }
    World w;
};

// ---- Settings: one rule per row ----------------------------------------

struct IntRule {
    const char* text;
    int World::*member;
    int expected;
};

TEST_F(ReaderTest, IntegerSettingsPassTheirRangeRules) {
    const IntRule cases[] = {
        {"[FPS_DESIRED]=2", &World::FPS_DESIRED, 5},
        {"[FPS_DESIRED]=5000", &World::FPS_DESIRED, 1000},
        {"[FPS_DESIRED]=letters", &World::FPS_DESIRED, 5},
        {"[FPS_DESIRED]=60", &World::FPS_DESIRED, 60},
        {"[FPS_DESIRED]=4294967346", &World::FPS_DESIRED, 50},  // wraps to 50 in 32 bits
        {"[FPS_DESIRED]= +75 fps", &World::FPS_DESIRED, 75},
        {"[FILE_READ_ONLY]=7", &World::FILE_READ_ONLY, 1},
        {"[FILE_READ_ONLY]=-1", &World::FILE_READ_ONLY, 0},
        {"[PROCESS_PRIORITY]=3", &World::PROCESS_PRIORITY, 3},
        {"[PROCESS_PRIORITY]=4", &World::PROCESS_PRIORITY, 0},
        {"[PROCESS_PRIORITY]=-1", &World::PROCESS_PRIORITY, 0},
        {"[CALCULATE_RELATIVISTIC_MASSES]=2", &World::CALCULATE_RELATIVISTIC_MASSES, 1},
        {"[DIM_DISTANT_OBJECTS]=0", &World::DIM_DISTANT_OBJECTS, 0},
        {"[DIM_DISTANT_OBJECTS]=-5", &World::DIM_DISTANT_OBJECTS, 0},
        {"[AUTOSAVE_PERIOD]=-5", &World::AUTOSAVE_PERIOD, 0},
        {"[AUTOSAVE_PERIOD]=3000000", &World::AUTOSAVE_PERIOD, 2592000},
        {"[AUTOSAVE_PERIOD]=4294967396", &World::AUTOSAVE_PERIOD, 100},
        {"[AUTOSTOP_MODE]=3", &World::AUTOSTOP_MODE, 3},
        {"[AUTOSTOP_MODE]=4", &World::AUTOSTOP_MODE, 0},
        {"[AUTOSTOP_RT_PERIOD]=2592001", &World::AUTOSTOP_RT_PERIOD, 2592000},
        {"[COLLISION_COUNTER]=-4", &World::COLLISION_COUNTER, 0},
        {"[COLLISION_COUNTER]=2147483648", &World::COLLISION_COUNTER, 0},  // wraps negative
        {"[COLLISION_COUNTER]=2147483647", &World::COLLISION_COUNTER, 2147483647},
        {"[STATIC_SCENERY_OBJECTS_N]=200000", &World::STATIC_SCENERY_OBJECTS_N, 100000},
        {"[STATIC_SCENERY_OBJECTS_N]=-1", &World::STATIC_SCENERY_OBJECTS_N, 0},
        {"[ORIGIN_MODE]=2", &World::ORIGIN_MODE, 2},
        {"[ORIGIN_MODE]=3", &World::ORIGIN_MODE, 0},
        {"[ORIGIN_OBJECT]=0", &World::ORIGIN_OBJECT, 0},
        {"[ORIGIN_OBJECT]=1", &World::ORIGIN_OBJECT, 0},
        {"[ORIGIN_OBJECT]=5", &World::ORIGIN_OBJECT, 4},
        {"[ORIGIN_OBJECT]=-3", &World::ORIGIN_OBJECT, 0},
        {"[VIEWPOINT_MODE]=1", &World::VIEWPOINT_MODE, 1},
        {"[VIEWPOINT_MODE]=-1", &World::VIEWPOINT_MODE, 0},
        {"[VIEWPOINT_OBJECT]=12", &World::VIEWPOINT_OBJECT, 11},
        {"[SPACECRAFT_MODE]=5", &World::SPACECRAFT_MODE, 5},  // not reduced to 1
        {"[SPACECRAFT_MODE]=-1", &World::SPACECRAFT_MODE, 0},
        {"[SPACECRAFT_OBJECT]=0", &World::SPACECRAFT_OBJECT, 0},
        {"[SPACECRAFT_TRACKING_MODE]=2", &World::SPACECRAFT_TRACKING_MODE, 2},
        {"[SPACECRAFT_TRACKING_MODE]=7", &World::SPACECRAFT_TRACKING_MODE, 0},
        {"[SPACECRAFT_AUTOTRACKING]=9", &World::SPACECRAFT_AUTOTRACKING, 1},
        {"[SPACECRAFT_TRACKING_OBJECT]=3", &World::SPACECRAFT_TRACKING_OBJECT, 2},
        {"[INIT_OBJECTS_N]=-2", &World::INIT_OBJECTS_N, 0},
        {"[OBJECTS_N]=60000", &World::OBJECTS_N, 50000},
        {"[GROUP_N]=500", &World::GROUP_N, 100},
        {"[GROUP_N]=-1", &World::GROUP_N, 0},
    };
    for (const auto& c : cases) {
        read(c.text);
        EXPECT_EQ(w.*c.member, c.expected) << c.text;
    }
}

struct RealRule {
    const char* text;
    double World::*member;
    double expected;
};

TEST_F(ReaderTest, RealSettingsPassTheirRangeRules) {
    const RealRule cases[] = {
        {"[VIEWPOINT_PHI]=-90", &World::VIEWPOINT_PHI, 270},
        {"[VIEWPOINT_PHI]=720", &World::VIEWPOINT_PHI, 0},
        {"[VIEWPOINT_PHI]=359.5", &World::VIEWPOINT_PHI, 359.5},
        {"[VIEWPOINT_ALPHA]=-450", &World::VIEWPOINT_ALPHA, 270},
        {"[VIEWPOINT_ALPHA]=400", &World::VIEWPOINT_ALPHA, 40},
        {"[VIEWPOINT_PHI]=-1e-300", &World::VIEWPOINT_PHI, 0},    // 360 - 1e-300 rounds to 360
        {"[VIEWPOINT_ALPHA]=1e999", &World::VIEWPOINT_ALPHA, 0},  // infinite: no remainder
        {"[VIEWPOINT_THETA]=200", &World::VIEWPOINT_THETA, 180},
        {"[VIEWPOINT_THETA]=-5", &World::VIEWPOINT_THETA, 0},
        {"[VIEWPOINT_DISTANCE]=-5e8", &World::VIEWPOINT_DISTANCE, 5e8},
        {"[VIEWPOINT_DISTANCE]=0", &World::VIEWPOINT_DISTANCE, 1e10},
        {"[VIEWPOINT_FOV]=200", &World::VIEWPOINT_FOV, 110},
        {"[VIEWPOINT_FOV]=0", &World::VIEWPOINT_FOV, 10},
        {"[VIEWPOINT_FOV]=-3", &World::VIEWPOINT_FOV, 10},
        {"[VIEWPOINT_FOV]=45", &World::VIEWPOINT_FOV, 45},
        {"[VIEW_ROTATING_STEP]=10", &World::VIEW_ROTATING_STEP, 10},
        {"[VIEW_ROTATING_STEP]=11", &World::VIEW_ROTATING_STEP, 0.22},
        {"[VIEW_ROTATING_STEP]=0", &World::VIEW_ROTATING_STEP, 0.22},
        {"[AUTOSTOP_ST_PERIOD]=-1", &World::AUTOSTOP_ST_PERIOD, 0},
        {"[AUTOSTOP_ST_PERIOD]=2e12", &World::AUTOSTOP_ST_PERIOD, 1e12},
        {"[SIMULATION_TIME]=-5", &World::SIMULATION_TIME, 0},
        {"[SIMULATION_TIME]=1.5d3", &World::SIMULATION_TIME, 1500},
        {"[INIT_SIMULATION_TIME_STEP]=0", &World::INIT_SIMULATION_TIME_STEP, 10},
        {"[INIT_SIMULATION_TIME_STEP]=2e10", &World::INIT_SIMULATION_TIME_STEP, 10},
        {"[INIT_SIMULATION_TIME_STEP]=1e10", &World::INIT_SIMULATION_TIME_STEP, 1e10},
        {"[SIMULATION_TIME_STEP]=-60", &World::SIMULATION_TIME_STEP, 10},
        {"[SIMULATION_TIME_STEP]=60", &World::SIMULATION_TIME_STEP, 60},
        {"[SPACECRAFT_THRUST_FORCE_MAX]=-7", &World::SPACECRAFT_THRUST_FORCE_MAX, 7},
        {"[ORIGIN_OFFSET_Y]=-2.5", &World::ORIGIN_OFFSET_Y, -2.5},
        {"[VIEWPOINT_POSITION_Z]=-3", &World::VIEWPOINT_POSITION_Z, -3},
    };
    for (const auto& c : cases) {
        read(c.text);
        EXPECT_EQ(w.*c.member, c.expected) << c.text;
    }
}

TEST_F(ReaderTest, AbsentKeysKeepTheirSettings) {
    w.PROCESS_PRIORITY = 2;
    w.DISPLAY_OBJECT_NAMES = 1;
    w.SPACECRAFT_THRUST_FORCE = 3;
    w.SPACECRAFT_THRUST_FORCE_MAX = 8;
    w.ORIGIN_POSITION_X = 77;
    readSceneryText(w, "[SCENERY_NAME]=only a name\n");
    EXPECT_EQ(w.SCENERY_NAME, "only a name");
    EXPECT_EQ(w.PROCESS_PRIORITY, 2);
    EXPECT_EQ(w.DISPLAY_OBJECT_NAMES, 1);
    EXPECT_EQ(w.SPACECRAFT_THRUST_FORCE, 3);
    EXPECT_EQ(w.ORIGIN_POSITION_X, 77);
}

TEST_F(ReaderTest, ThrustIsLoweredToTheLargestThrust) {
    struct Case {
        const char* text;
        double thrustBefore;
        double thrust;
    };
    const Case cases[] = {
        {"[SPACECRAFT_THRUST_FORCE_MAX]=5\n[SPACECRAFT_THRUST_FORCE]=9\n", 0, 5},
        {"[SPACECRAFT_THRUST_FORCE_MAX]=5\n[SPACECRAFT_THRUST_FORCE]=-4\n", 0, 4},
        {"[SPACECRAFT_THRUST_FORCE]=9\n", 0, 0},  // the largest thrust is 0 after a reset
        {"", 3, 0},                               // lowered even with both keys absent
    };
    for (const auto& c : cases) {
        newScenery(w);
        w.SPACECRAFT_THRUST_FORCE = c.thrustBefore;
        readSceneryText(w, c.text);
        EXPECT_EQ(w.SPACECRAFT_THRUST_FORCE, c.thrust) << c.text;
    }
}

TEST_F(ReaderTest, HeadingBecomesAUnitVector) {
    struct Case {
        const char* text;
        Vec3 heading;
    };
    const Case cases[] = {
        {"[SPACECRAFT_DIRECTION_X]=0\n[SPACECRAFT_DIRECTION_Y]=3\n[SPACECRAFT_DIRECTION_Z]=4\n", {0, 0.6, 0.8}},
        {"", {0, 0, -1}},
        {"[SPACECRAFT_DIRECTION_X]=0\n[SPACECRAFT_DIRECTION_Y]=0\n[SPACECRAFT_DIRECTION_Z]=0\n", {0, 0, -1}},
        {"[SPACECRAFT_DIRECTION_Z]=1\n", {0, 0, 1}},
        {"[SPACECRAFT_DIRECTION_X]=-2\n", {-1, 0, 0}},
        // Squares that overflow or vanish keep the heading.
        {"[SPACECRAFT_DIRECTION_X]=0\n[SPACECRAFT_DIRECTION_Y]=0\n[SPACECRAFT_DIRECTION_Z]=-1e300\n", {0, 0, -1}},
        {"[SPACECRAFT_DIRECTION_X]=3e200\n[SPACECRAFT_DIRECTION_Y]=4e200\n[SPACECRAFT_DIRECTION_Z]=0\n", {0.6, 0.8, 0}},
        {"[SPACECRAFT_DIRECTION_X]=0\n[SPACECRAFT_DIRECTION_Y]=1e-200\n[SPACECRAFT_DIRECTION_Z]=0\n", {0, 1, 0}},
    };
    for (const auto& c : cases) {
        read(c.text);
        EXPECT_EQ(w.SPACECRAFT_DIRECTION_X, c.heading.x) << c.text;
        EXPECT_EQ(w.SPACECRAFT_DIRECTION_Y, c.heading.y) << c.text;
        EXPECT_EQ(w.SPACECRAFT_DIRECTION_Z, c.heading.z) << c.text;
    }
}

TEST_F(ReaderTest, TextSettingsAreTakenAsRead) {
    read(
        "[SCENERY_NAME]=Solar system - heliocentric\r\n"
        "[SCENERY_DESCRIPTION]=Line one\r\nLine two\r\n\r\n"
        "[FILE_READ_ONLY]=1\n");
    EXPECT_EQ(w.SCENERY_NAME, "Solar system - heliocentric");
    EXPECT_EQ(w.SCENERY_DESCRIPTION, "Line one\r\nLine two");
    EXPECT_EQ(w.FILE_READ_ONLY, 1);
}

// ---- Objects -------------------------------------------------------------

TEST_F(ReaderTest, ObjectFieldsPassTheirRules) {
    struct Case {
        const char* lines;  // keys of initial object 1
        double mass;
        double radius;
        uint8_t disabled;
        uint32_t color;
    };
    const Case cases[] = {
        {"[INIT_OBJECT_1_MASS]=0\n", 0, 0, 1, 0},                              // a zero mass disables
        {"[INIT_OBJECT_1_MASS]=0\n[INIT_OBJECT_1_DISABLED]=0\n", 0, 0, 0, 0},  // unless DISABLED says otherwise
        {"[INIT_OBJECT_1_MASS]=-0\n", 0, 0, 1, 0},
        {"[INIT_OBJECT_1_MASS]=-5\n[INIT_OBJECT_1_RADIUS]=-2\n", 5, 2, 0, 0},
        {"[INIT_OBJECT_1_DISABLED]=7\n", 0, 0, 2, 0},
        {"[INIT_OBJECT_1_DISABLED]=-3\n", 0, 0, 0, 0},
        {"[INIT_OBJECT_1_DISABLED]=1\n", 0, 0, 1, 0},
        {"[INIT_OBJECT_1_COLOR]=30ffff\n", 0, 0, 0, 0x30ffff},
        {"[INIT_OBJECT_1_COLOR]=0x30FFFF\n", 0, 0, 0, 0x30ffff},
    };
    for (const auto& c : cases) {
        read(std::string("[INIT_OBJECTS_N]=1\n[OBJECTS_N]=1\n") + c.lines);
        const ObjectRecord& o = w.initialObjects[0];
        EXPECT_EQ(o.mass, c.mass) << c.lines;
        EXPECT_FALSE(std::signbit(o.mass)) << c.lines;
        EXPECT_EQ(o.radius, c.radius) << c.lines;
        EXPECT_EQ(o.disabled, c.disabled) << c.lines;
        EXPECT_EQ(o.color, c.color) << c.lines;
    }
}

TEST_F(ReaderTest, ObjectsCountAloneGivesNumberedNames) {
    read("[OBJECTS_N]=3\n");
    ASSERT_EQ(w.OBJECTS_N, 3);
    EXPECT_EQ(w.INIT_OBJECTS_N, 0);
    for (int i = 0; i < 3; ++i) {
        const ObjectRecord& o = w.objects[i];
        EXPECT_STREQ(o.name, ("Object " + std::to_string(i + 1)).c_str());
        EXPECT_EQ(o.mass, 0);
        EXPECT_EQ(o.x, 0);
        EXPECT_EQ(o.vz, 0);
        EXPECT_EQ(o.color, 0u);
        EXPECT_EQ(o.disabled, 0);  // the zero mass was not read, so it does not disable
    }
}

TEST_F(ReaderTest, CurrentObjectsWithoutNamesTakeTheInitialNames) {
    read(
        "[INIT_OBJECTS_N]=2\n[OBJECTS_N]=3\n"
        "[INIT_OBJECT_1_NAME]=Sun\n[INIT_OBJECT_2_NAME]=Earth\n"
        "[OBJECT_2_NAME]=Moon\n");
    EXPECT_STREQ(w.objects[0].name, "Sun");
    EXPECT_STREQ(w.objects[1].name, "Moon");
    EXPECT_STREQ(w.objects[2].name, "Object 3");
    EXPECT_NE(w.objects[0].name, w.initialObjects[0].name);  // each table owns its copy
}

TEST_F(ReaderTest, InitialObjectsWithoutCurrentOnesAreCopied) {
    read(
        "[INIT_SIMULATION_TIME_STEP]=60\n[SIMULATION_TIME_STEP]=5\n[SIMULATION_TIME]=100\n"
        "[INIT_OBJECTS_N]=2\n[OBJECTS_N]=0\n"
        "[INIT_OBJECT_1_NAME]=A\n[INIT_OBJECT_1_MASS]=1\n[INIT_OBJECT_1_X]=3\n"
        "[INIT_OBJECT_2_NAME]=B\n[INIT_OBJECT_2_MASS]=2\n[INIT_OBJECT_2_VY]=-4\n[INIT_OBJECT_2_COLOR]=ff\n");
    ASSERT_EQ(w.OBJECTS_N, 2);
    for (int i = 0; i < 2; ++i) {
        const ObjectRecord& a = w.initialObjects[i];
        const ObjectRecord& b = w.objects[i];
        EXPECT_STREQ(b.name, a.name);
        EXPECT_NE(b.name, a.name);
        EXPECT_EQ(b.mass, a.mass);
        EXPECT_EQ(b.x, a.x);
        EXPECT_EQ(b.vy, a.vy);
        EXPECT_EQ(b.color, a.color);
    }
    EXPECT_EQ(w.objects[1].vy, -4);
    EXPECT_EQ(w.SIMULATION_TIME_STEP, 60);
    EXPECT_EQ(w.SIMULATION_TIME, 0);
    EXPECT_EQ(w.simTimeAtLastMeasure, 0);
}

TEST_F(ReaderTest, ReadingReplacesEarlierNames) {
    // A world read twice without a reset: names are replaced, not leaked.
    read("[OBJECTS_N]=2\n[OBJECT_1_NAME]=First\n");
    readSceneryText(w, "[OBJECTS_N]=2\n[OBJECT_1_NAME]=Second\n");
    EXPECT_STREQ(w.objects[0].name, "Second");
    EXPECT_STREQ(w.objects[1].name, "Object 2");
}

// ---- Lookup --------------------------------------------------------------

TEST_F(ReaderTest, KeysInReverseOrderReadTheSame) {
    // Reverse the key lines; a line belongs with everything up to the next key.
    std::vector<std::string> records;
    size_t start = 0;
    for (size_t at = SMALL_SCENERY_TEXT.find("\n[", 0); at != std::string::npos;
         at = SMALL_SCENERY_TEXT.find("\n[", at + 1)) {
        records.push_back(SMALL_SCENERY_TEXT.substr(start, at + 1 - start));
        start = at + 1;
    }
    records.push_back(SMALL_SCENERY_TEXT.substr(start));
    std::reverse(records.begin(), records.end());
    std::string reversed;
    for (const auto& r : records) reversed += r;
    ASSERT_NE(reversed, SMALL_SCENERY_TEXT);

    for (size_t budget : {size_t{0}, SIZE_MAX}) {
        newScenery(w);
        readSceneryText(w, reversed, budget);
        EXPECT_EQ(sceneryText(w), SMALL_SCENERY_TEXT) << "budget " << budget;
    }
}

TEST_F(ReaderTest, DuplicateKeysPreferTheOneBehindTheCursor) {
    struct Case {
        const char* text;
        int fps;
    };
    const Case cases[] = {
        // ALLOW_OBJECT_COLLISIONS is looked up just before FPS_DESIRED.
        {"[FPS_DESIRED]=30\n[ALLOW_OBJECT_COLLISIONS]=1\n[FPS_DESIRED]=40\n", 40},
        {"[FPS_DESIRED]=30\n[ALLOW_OBJECT_COLLISIONS]=1\n", 30},  // none behind: the first
        {"[FPS_DESIRED]=30\n[FPS_DESIRED]=40\n", 30},             // no cursor: the first
    };
    for (const auto& c : cases) {
        for (size_t budget : {size_t{0}, SIZE_MAX}) {
            newScenery(w);
            readSceneryText(w, c.text, budget);
            EXPECT_EQ(w.FPS_DESIRED, c.fps) << c.text << " budget " << budget;
        }
    }
}

TEST_F(ReaderTest, MissingEqualsSignTakesTheValueBehindTheNextOne) {
    read("[FPS_DESIRED] 70\n[DIM_DISTANT_OBJECTS]=0\n");
    EXPECT_EQ(w.FPS_DESIRED, 5);  // "0" read, raised to 5
    EXPECT_EQ(w.DIM_DISTANT_OBJECTS, 0);
    read("[FPS_DESIRED]");
    EXPECT_EQ(w.FPS_DESIRED, 5);  // nothing at all reads as 0
}

TEST_F(ReaderTest, OverLongValuesAreCut) {
    const std::string longName(60000, 'n');
    read("[SCENERY_NAME]=" + longName +
         "\n[SCENERY_DESCRIPTION]=short\n\n[INIT_OBJECTS_N]=1\n"
         "[INIT_OBJECT_1_NAME]=" +
         std::string(70000, 'o') + "\n[INIT_OBJECT_1_MASS]=2\n");
    EXPECT_EQ(w.SCENERY_NAME, std::string(VALUE_CAPACITY, 'n'));
    EXPECT_EQ(w.SCENERY_DESCRIPTION, "short");  // the cursor went past the whole value
    EXPECT_EQ(std::strlen(w.initialObjects[0].name), VALUE_CAPACITY);
    EXPECT_EQ(w.initialObjects[0].mass, 2);

    read("[SCENERY_DESCRIPTION]=" + std::string(VALUE_CAPACITY - 1, 'd') + "\r\n" + std::string(10, 'e') + "\n");
    EXPECT_EQ(w.SCENERY_DESCRIPTION, std::string(VALUE_CAPACITY - 1, 'd'));  // cut inside, then trimmed
}

TEST_F(ReaderTest, TextEndsAtAZeroByte) {
    read(std::string("[FPS_DESIRED]=30\n\0[DIM_DISTANT_OBJECTS]=0\n", 42));
    EXPECT_EQ(w.FPS_DESIRED, 30);
    EXPECT_EQ(w.DIM_DISTANT_OBJECTS, 1);
}

// ---- What a read reports ------------------------------------------------

// A scenery of three objects in both tables, as the program writes it.
std::string threeObjectText() {
    World source;
    newScenery(source);
    source.INIT_OBJECTS_N = source.OBJECTS_N = 3;
    for (int i = 0; i < 3; ++i) {
        samples::setObject(source.initialObjects[i], "Body", i + 1.0, 1, i, 0, 0, 0, 0, 0, 0, 0);
        samples::setObject(source.objects[i], "Body", i + 1.0, 1, i, 0, 0, 0, 0, 0, 0, 0);
    }
    return sceneryText(source);
}

TEST_F(ReaderTest, WholeTextsReportNothing) {
    ReadReport report;
    readSceneryText(w, SMALL_SCENERY_TEXT, report);
    EXPECT_TRUE(report.complete()) << report.text();
    for (const ExampleScenery& example : allExamples()) {
        ReadReport exampleReport;
        newScenery(w);
        ASSERT_EQ(readScenery(w, example.number, nullptr, nullptr, &exampleReport), 1);
        EXPECT_TRUE(exampleReport.complete()) << example.itemText << ": " << exampleReport.text();
    }
}

TEST_F(ReaderTest, ReportsWhatItDidNotTakeAsItStood) {
    const std::string three = threeObjectText();
    const std::string truncated = three.substr(0, three.find("[OBJECT_2_RADIUS]"));
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> notes;  // each must appear in the report, in this order
    };
    const Case cases[] = {
        {"zero byte",
         std::string("[FPS_DESIRED]=30\n\0[DIM_DISTANT_OBJECTS]=0\n", 42),
         {"A zero byte at byte 18 ends the text: the rest (25 bytes, 1 line) was not read."}},
        {"truncated object table",
         truncated,
         {"1 object of the current configuration is missing from the file (first: object 3); given default values.",
          "9 values of current objects are missing (first: [OBJECT_2_RADIUS]); kept as after New."}},
        {"count above the limit",
         "[OBJECTS_N]=60000\n",
         {"[OBJECTS_N] 60000 is above the limit of 50000 objects: only the first 50000 were read.",
          "50000 objects of the current configuration are missing"}},
        {"numbers out of range",
         "[SIMULATION_TIME]=1e400\n[OBJECTS_N]=1\n[OBJECT_1_X]=-2e999\n",
         {"2 numbers are too large for a 64-bit real and were replaced (first: [SIMULATION_TIME]=1e400)."}},
        {"over-long values",
         "[SCENERY_NAME]=" + std::string(60000, 'n') + "\n[SCENERY_DESCRIPTION]=" + std::string(50001, 'd'),
         {"2 values were longer than 50000 characters and cut (first: [SCENERY_NAME])."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        newScenery(w);
        ReadReport report;
        readSceneryText(w, c.text, report);
        const std::string text = report.text();
        size_t from = 0;
        for (const std::string& note : c.notes) {
            const size_t at = text.find(note, from);
            EXPECT_NE(at, std::string::npos) << "missing: " << note << "\nin: " << text;
            if (at != std::string::npos) from = at + note.size();
        }
    }
}

TEST_F(ReaderTest, NumbersOutOfRangeTakeTheValueAfterNew) {
    // Without this, an infinite time or distance went on into the view and
    // every later step.
    read(
        "[ORIGIN_POSITION_X]=1e400\n[VIEWPOINT_DISTANCE]=-1e999\n[VIEWPOINT_THETA]=1e400\n"
        "[VIEWPOINT_POSITION_Z]=1e999\n[SPACECRAFT_THRUST_FORCE_MAX]=1e999\n[SIMULATION_TIME_STEP]=1e999\n"
        "[SIMULATION_TIME]=1e400\n[OBJECTS_N]=1\n[OBJECT_1_MASS]=1e999\n[OBJECT_1_X]=5\n[OBJECT_1_VY]=-1e999\n");
    EXPECT_EQ(w.ORIGIN_POSITION_X, 0);
    EXPECT_EQ(w.VIEWPOINT_DISTANCE, 1e10);
    EXPECT_EQ(w.VIEWPOINT_THETA, 0);
    EXPECT_EQ(w.VIEWPOINT_POSITION_Z, 1e10);
    EXPECT_EQ(w.SPACECRAFT_THRUST_FORCE_MAX, 0);
    EXPECT_EQ(w.SIMULATION_TIME_STEP, 10);
    EXPECT_EQ(w.SIMULATION_TIME, 0);
    EXPECT_EQ(w.objects[0].mass, 0);
    EXPECT_EQ(w.objects[0].x, 5);
    EXPECT_EQ(w.objects[0].vy, 0);
}

TEST(FindKeyValue, CopiesTheLineAndMovesTheCursor) {
    char value[VALUE_CAPACITY + 1];
    const std::string_view text = "[A]=1\n[B]=2\r\n[A]=3\n[INIT_OBJECT_1_X]=4\n";
    EXPECT_EQ(findKeyValue(text, NO_CURSOR, "[A]", value), 5u);
    EXPECT_STREQ(value, "1");
    EXPECT_EQ(findKeyValue(text, 5, "[B]", value), 11u);  // stops at the carriage return
    EXPECT_STREQ(value, "2");
    EXPECT_EQ(findKeyValue(text, 11, "[A]", value), 18u);
    EXPECT_STREQ(value, "3");
    EXPECT_EQ(findKeyValue(text, 18, "[A]", value), 5u);  // none behind: from the start
    EXPECT_STREQ(value, "1");
    EXPECT_EQ(findKeyValue(text, 18, "[C]", value), NO_CURSOR);
    EXPECT_EQ(findKeyValue(text, NO_CURSOR, "[OBJECT_1_X]", value), NO_CURSOR);  // not inside another key
    EXPECT_EQ(findKeyValue("[A]=abcdef\nx", NO_CURSOR, "[A]", value, 3), 10u);
    EXPECT_STREQ(value, "abc");
    EXPECT_EQ(findKeyValue("[A]=last", NO_CURSOR, "[A]", value), 8u);
    EXPECT_STREQ(value, "last");
}

TEST(FindKeyText, RunsToTheNextBracketAndTrimsLineBreaks) {
    char value[VALUE_CAPACITY + 1];
    const std::string_view text = "[D]=a\r\nb\r\n\r\n[E]=1\n";
    EXPECT_EQ(findKeyText(text, NO_CURSOR, "[D]", value), 12u);
    EXPECT_STREQ(value, "a\r\nb");
    EXPECT_EQ(findKeyText("[D]=x]y", NO_CURSOR, "[D]", value), 5u);
    EXPECT_STREQ(value, "x");
    EXPECT_EQ(findKeyText("[D]=\r\n\r\n", NO_CURSOR, "[D]", value), 8u);
    EXPECT_STREQ(value, "");
}

TEST(ParseInteger, FollowsAtolIn32BitsWithWrapAround) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"42", 42},
        {"  -17x", -17},
        {"+8", 8},
        {"\t\n 7", 7},
        {"", 0},
        {"abc", 0},
        {"- 5", 0},
        {"1e5", 1},
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},
        {"-2147483648", INT32_MIN},
        {"4294967296", 0},
        {"4294967346", 50},
        {"99999999999", 1215752191},
        {"-4294967297", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(parseInteger(c.text), c.value) << c.text;
}

TEST(ParseHexColor, ScansDigitsFromTheEnd) {
    struct Case {
        const char* text;
        uint32_t color;
    };
    const Case cases[] = {
        {"30ffff", 0x30ffff},
        {"0x30ffff", 0x30ffff},
        {"30FFFF", 0x30ffff},
        {"", 0},
        {"0", 0},
        {"ff", 0xff},
        {"zz12", 0x12},
        {"12 ", 0},                 // a trailing blank stops at once
        {"123456789", 0x23456789},  // beyond the eighth digit nothing is added
        {"fffffffff", 0xffffffff},
        {"g", 0},
        {"\x12", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(parseHexColor(c.text), c.color) << c.text;
}

// ---- Files and examples --------------------------------------------------

class ReaderFileTest : public ReaderTest {
protected:
    std::string file(const std::string& name, const std::string& content) { return scratch.file(name, content); }
    test::TempDir scratch{"vantor-reader"};
    const std::string dir = scratch.path();
};

TEST_F(ReaderFileTest, ReadsAFileAsWritten) {
    const std::string path = file("small.nbx", SMALL_SCENERY_TEXT);
    std::string error;
    EXPECT_EQ(readScenery(w, 0, path.c_str(), &error), 1);
    EXPECT_EQ(sceneryText(w), SMALL_SCENERY_TEXT);
    EXPECT_EQ(w.simTimeAtLastMeasure, 86400);
    EXPECT_EQ(w.sceneryOnDisk, 1);
    EXPECT_EQ(w.sceneryModified, 0);
}

TEST_F(ReaderFileTest, EmptyFileGivesTheResetScenery) {
    const std::string path = file("empty.nbx", "");
    EXPECT_EQ(readScenery(w, 0, path.c_str()), 1);
    EXPECT_EQ(w.sceneryOnDisk, 1);
    EXPECT_EQ(w.OBJECTS_N, 0);
    EXPECT_EQ(w.INIT_OBJECTS_N, 0);
    // The reset scenery, but for the heading, which the reader makes a unit vector.
    std::string expected = EMPTY_SCENERY_TEXT;
    const std::string zeroZ = "[SPACECRAFT_DIRECTION_Z]=0.e+000";
    expected.replace(expected.find(zeroZ), zeroZ.size(), "[SPACECRAFT_DIRECTION_Z]=-1.e+000");
    EXPECT_EQ(sceneryText(w), expected);
}

TEST_F(ReaderFileTest, FailuresLeaveTheSceneryAlone) {
    fs::create_directory(dir + "/folder.nbx");
    // Sparse: claims more than 2 GiB without taking the space.
    const std::string huge = file("huge.nbx", "[FPS_DESIRED]=7\n");
    fs::resize_file(huge, (std::uintmax_t{1} << 31) + 1);
    struct Case {
        int example;
        std::string path;  // "" for none
        int result;
    };
    const Case cases[] = {
        {0, "", 0},
        {0, dir + "/missing.nbx", -1},
        {0, dir + "/folder.nbx", -1},
        {424242, "", -2},
        {424242, file("present.nbx", "[FPS_DESIRED]=7\n"), -2},  // the example wins over the path
        {0, huge, -2},
    };
    for (const auto& c : cases) {
        newScenery(w);
        std::string error;
        const int result = readScenery(w, c.example, c.path.empty() ? nullptr : c.path.c_str(), &error);
        EXPECT_EQ(result, c.result) << c.example << " " << c.path;
        if (result < 0) {
            EXPECT_FALSE(error.empty()) << c.path;
        }
        EXPECT_EQ(w.sceneryOnDisk, 0);
        EXPECT_EQ(w.FPS_DESIRED, 50);
        EXPECT_EQ(w.SPACECRAFT_DIRECTION_Z, 0);  // not even the heading rule ran
    }
}

TEST_F(ReaderFileTest, RefusesWhatIsNotARegularFileAtOnce) {
    // Each of these blocked in open() or read() for ever, or read a kernel
    // file as a scenery; now each is refused without waiting.
    const std::string fifo = dir + "/pipe.nbx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string link = dir + "/link.nbx";
    ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {fifo, "not a regular file (a FIFO)"},
        {link, "not a regular file (a FIFO)"},
        {"/dev/null", "not a regular file (a character device)"},
        {"/proc/version", "a system file, not a regular file"},
        {"/proc/kmsg", nullptr},  // as root readable and blocking; otherwise unreadable
        {"/sys/kernel/mm/transparent_hugepage/enabled", nullptr},
    };
    for (const auto& c : cases) {
        if (!fs::exists(c.path) && !fs::is_fifo(c.path)) continue;
        newScenery(w);
        std::string error;
        EXPECT_EQ(readScenery(w, 0, c.path.c_str(), &error), -1) << c.path;
        if (c.reason) {
            EXPECT_EQ(error, c.reason) << c.path;
        }
        EXPECT_FALSE(error.empty()) << c.path;
        EXPECT_EQ(w.sceneryOnDisk, 0) << c.path;
    }
}

TEST_F(ReaderFileTest, ReportsTheBytesItReads) {
    World source;
    newScenery(source);
    source.OBJECTS_N = 20000;
    for (int i = 0; i < source.OBJECTS_N; ++i) {
        samples::setObject(source.objects[i], "Body", i + 1.0, 1, i, 0, 0, 0, 0, 0, 0, 0);
    }
    const std::string path = file("big.nbx", sceneryText(source));
    const size_t size = fs::file_size(path);
    std::vector<std::pair<size_t, size_t>> calls;
    std::string text;
    ASSERT_EQ(readSceneryFile(path.c_str(), text, nullptr,
                              [&](size_t done, size_t total) { calls.emplace_back(done, total); }),
              0);
    EXPECT_EQ(text.size(), size);
    ASSERT_GE(calls.size(), 2u) << "a file of " << size << " bytes";
    for (size_t k = 1; k < calls.size(); ++k) EXPECT_GT(calls[k].first, calls[k - 1].first);
    EXPECT_EQ(calls.back(), std::make_pair(size, size));
}

TEST_F(ReaderFileTest, UnreadableFileFails) {
    const std::string path = file("locked.nbx", "[FPS_DESIRED]=7\n");
    ::chmod(path.c_str(), 0);
    ::chmod(dir.c_str(), 0755);  // the nobody user may enter the folder, not read the file
    // One bit per expectation that fails, so that a child process can tell
    // them by its exit status.
    auto readLocked = [&] {
        std::string error;
        const int status = readScenery(w, 0, path.c_str(), &error);
        return int(status != -1) | int(error.empty()) << 1 | int(w.FPS_DESIRED != 50) << 2;
    };
    // Permission bits do not stop root, so root reads as the nobody user.
    const int failed = ::geteuid() == 0 ? test::asNobody(readLocked) : readLocked();
    if (failed == -1) GTEST_SKIP() << "root could not give up its rights";
    ASSERT_GE(failed, 0) << "the reading process did not exit";
    EXPECT_EQ(failed & 1, 0) << "the read did not fail";
    EXPECT_EQ(failed & 2, 0) << "the failure has no reason";
    EXPECT_EQ(failed & 4, 0) << "the world took a value from the file";
}

// ---- Round trips ---------------------------------------------------------

// Fills a world with random content that lies within the reader's ranges, so
// that writing, reading and writing again must give the same text.
void randomWorld(World& w, std::mt19937_64& random) {
    newScenery(w);
    auto integer = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    auto anyReal = [&] {
        for (;;) {
            const double v = std::bit_cast<double>(random());
            if (std::isfinite(v)) return v;
        }
    };
    auto positive = [&] {
        for (;;) {
            const double v = std::fabs(anyReal());
            if (v > 0) return v;
        }
    };
    auto text = [&](size_t maxLength, bool lineBreaks) {
        std::string s;
        const size_t length = static_cast<size_t>(integer(0, static_cast<int>(maxLength)));
        while (s.size() < length) {
            if (lineBreaks && integer(0, 15) == 0) s += "\r\n";
            char c = static_cast<char>(integer(0x20, 0xff));
            if (c == '[' || c == ']' || c == 0x7f) c = 'x';
            s += c;
        }
        // Trailing line breaks would be trimmed by the reader.
        while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
        return s;
    };

    w.SCENERY_NAME = text(60, false);
    w.SCENERY_DESCRIPTION = text(300, true);
    w.FILE_READ_ONLY = integer(0, 1);
    w.PROCESS_PRIORITY = integer(0, 3);
    w.CALCULATE_RELATIVISTIC_MASSES = integer(0, 1);
    w.ALLOW_OBJECT_COLLISIONS = integer(0, 1);
    w.FPS_DESIRED = integer(5, 1000);
    w.DISPLAY_OBJECT_NAMES = integer(0, 1);
    w.DIM_DISTANT_OBJECTS = integer(0, 1);
    w.SHOW_OBJECT_TRAILS = integer(0, 1);
    w.DISPLAY_OBJECTS_AS_DOTS = integer(0, 1);
    w.IMPROVE_OBJECTS_VISIBILITY = integer(0, 1);
    w.AUTOSAVE_ENABLED = integer(0, 1);
    w.AUTOSAVE_PERIOD = integer(0, 2592000);
    w.AUTOSAVE_INTO_SEPARATE_FILES = integer(0, 1);
    w.AUTOSTOP_MODE = integer(0, 3);
    w.AUTOSTOP_RT_PERIOD = integer(0, 2592000);
    w.AUTOSTOP_ST_PERIOD = uniform(0, 1e12);
    w.RESTART_AFTER_AUTOSTOP = integer(0, 1);
    w.VIEW_ROTATING_STEP = uniform(1e-6, 10);
    w.COLLISION_COUNTER = integer(0, INT32_MAX);
    w.DISPLAY_STATIC_SCENERY = integer(0, 1);
    w.STATIC_SCENERY_OBJECTS_N = integer(0, 100000);
    w.ORIGIN_MODE = integer(0, 2);
    w.ORIGIN_OBJECT = integer(0, MAX_OBJECTS - 1);
    w.ORIGIN_POSITION_X = anyReal();
    w.ORIGIN_POSITION_Y = anyReal();
    w.ORIGIN_POSITION_Z = anyReal();
    w.ORIGIN_OFFSET_X = anyReal();
    w.ORIGIN_OFFSET_Y = anyReal();
    w.ORIGIN_OFFSET_Z = anyReal();
    w.VIEWPOINT_FOV = uniform(1e-3, 110);
    w.VIEWPOINT_MODE = integer(0, 2);
    w.VIEWPOINT_OBJECT = integer(0, MAX_OBJECTS - 1);
    w.VIEWPOINT_DISTANCE = positive();
    w.VIEWPOINT_THETA = uniform(0, 180);
    w.VIEWPOINT_PHI = uniform(0, 359.999);
    w.VIEWPOINT_ALPHA = uniform(0, 359.999);
    w.VIEWPOINT_POSITION_X = anyReal();
    w.VIEWPOINT_POSITION_Y = anyReal();
    w.VIEWPOINT_POSITION_Z = anyReal();
    w.SPACECRAFT_MODE = integer(0, INT32_MAX);
    w.SPACECRAFT_OBJECT = integer(0, MAX_OBJECTS - 1);
    w.SPACECRAFT_THRUST_FORCE_MAX = positive();
    w.SPACECRAFT_THRUST_FORCE = w.SPACECRAFT_THRUST_FORCE_MAX * uniform(0, 1);
    for (;;) {  // a heading whose length the reader measures as exactly 1
        const Vec3 v = vecNormalise({uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)});
        if (std::sqrt(v.z * v.z + v.y * v.y + v.x * v.x) == 1) {
            w.SPACECRAFT_DIRECTION_X = v.x;
            w.SPACECRAFT_DIRECTION_Y = v.y;
            w.SPACECRAFT_DIRECTION_Z = v.z;
            break;
        }
    }
    w.SPACECRAFT_TRACKING_MODE = integer(0, 2);
    w.SPACECRAFT_AUTOTRACKING = integer(0, 1);
    w.SPACECRAFT_TRACKING_OBJECT = integer(0, MAX_OBJECTS - 1);
    w.INIT_SIMULATION_TIME_STEP = uniform(1e-9, 1e10);
    w.SIMULATION_TIME_STEP = uniform(1e-9, 1e10);
    w.SIMULATION_TIME = std::fabs(anyReal());
    w.GROUP_N = integer(0, 100);

    // With initial objects, at least one current object: otherwise the
    // reader makes the current table from the initial one.
    w.INIT_OBJECTS_N = integer(0, 20);
    w.OBJECTS_N = integer(1, 20);
    auto object = [&](ObjectRecord& o) {
        setObjectName(o, text(40, false).c_str());
        o.mass = integer(0, 9) == 0 ? 0.0 : positive();
        o.radius = integer(0, 9) == 0 ? 0.0 : positive();
        o.x = anyReal();
        o.y = anyReal();
        o.z = anyReal();
        o.vx = anyReal();
        o.vy = anyReal();
        o.vz = anyReal();
        o.color = static_cast<uint32_t>(random());
        o.disabled = static_cast<uint8_t>(integer(0, 2));
    };
    for (int i = 0; i < w.INIT_OBJECTS_N; ++i) object(w.initialObjects[i]);
    for (int i = 0; i < w.OBJECTS_N; ++i) object(w.objects[i]);
}

TEST(RoundTrip, WriteReadWriteGivesTheSameText) {
    std::mt19937_64 random(4711);
    World a;
    World b;
    for (int round = 0; round < 200; ++round) {
        randomWorld(a, random);
        const std::string text = sceneryText(a);
        newScenery(b);
        readSceneryText(b, text);
        ASSERT_EQ(sceneryText(b), text) << "round " << round;
    }
}

TEST(RoundTrip, FullSizeScenery) {
    std::mt19937_64 random(99);
    World a;
    randomWorld(a, random);
    a.INIT_OBJECTS_N = MAX_OBJECTS;
    a.OBJECTS_N = MAX_OBJECTS;
    for (int i = 0; i < MAX_OBJECTS; ++i) {
        samples::setObject(a.initialObjects[i], "Body", random() * 1e-10, 1, random() * 1e-3, -1e-3, 0,
                           static_cast<double>(i), 0, 0, static_cast<uint32_t>(random()), 0);
        samples::setObject(a.objects[i], "Moving body", random() * 1e-10, 2, 0, 1, 2, 3, 4, random() * -1e-20,
                           static_cast<uint32_t>(i), 2);
    }
    const std::string text = sceneryText(a);
    World b;
    newScenery(b);
    readSceneryText(b, text);
    EXPECT_EQ(sceneryText(b), text);
}

// Texts in any order, with keys missing, doubled and broken, read the same
// whether the lookups scan the text or use the index.
TEST(KeyIndex, GivesTheSameResultsAsScanning) {
    std::mt19937_64 random(123);
    World source;
    World scanned;
    World indexed;
    const char* junk[] = {"[",
                          "]",
                          "=",
                          "[[OBJECT_1_X]]=5",
                          "[OBJECT_1_X",
                          "OBJECT_1_X]=6",
                          "[FPS_DESIRED]",
                          "[OBJECT_2_NAME]=x]y",
                          "\r",
                          "[]=",
                          "[INIT_OBJECTS_N]=3"};
    for (int round = 0; round < 300; ++round) {
        randomWorld(source, random);
        std::string text = sceneryText(source);
        std::vector<std::string> lines;
        for (size_t start = 0, end; start < text.size(); start = end + 1) {
            end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
        }
        std::vector<std::string> mixed;
        for (const auto& line : lines) {
            const int dice = static_cast<int>(random() % 10);
            if (dice == 0) continue;               // dropped
            if (dice == 1) mixed.push_back(line);  // doubled
            if (dice == 2) mixed.push_back(junk[random() % std::size(junk)]);
            mixed.push_back(line);
        }
        if (round % 2) std::shuffle(mixed.begin(), mixed.end(), random);
        std::string changed;
        for (const auto& line : mixed) changed += line + "\n";

        newScenery(scanned);
        readSceneryText(scanned, changed, SIZE_MAX);
        newScenery(indexed);
        readSceneryText(indexed, changed, 0);
        ASSERT_EQ(sceneryText(indexed), sceneryText(scanned)) << "round " << round;
    }
}

TEST(KeyIndex, TakesOverWhenEveryBlockLacksAKey) {
    // Without the DISABLED keys each object block costs two scans of the
    // text; the default budget switches to the index part way through.
    World source;
    newScenery(source);
    source.SPACECRAFT_DIRECTION_Z = -1;
    source.OBJECTS_N = 300;
    for (int i = 0; i < source.OBJECTS_N; ++i) {
        samples::setObject(source.objects[i], "Body", i + 1.0, 1, i, -i, 0, 0, 0, 0, 0xff, 0);
    }
    std::string text = sceneryText(source);
    for (size_t at; (at = text.find("_DISABLED]=0\n")) != std::string::npos;) {
        text.erase(text.rfind('\n', at) + 1, text.find('\n', at) - text.rfind('\n', at));
    }
    ASSERT_EQ(text.find("DISABLED"), std::string::npos);

    World byDefault;
    newScenery(byDefault);
    readSceneryText(byDefault, text);
    World scanned;
    newScenery(scanned);
    readSceneryText(scanned, text, SIZE_MAX);
    EXPECT_EQ(sceneryText(byDefault), sceneryText(scanned));
    EXPECT_EQ(sceneryText(byDefault), sceneryText(source));
}

}  // namespace
}  // namespace vantor
