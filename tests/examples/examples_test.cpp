// The built-in example sceneries: the tree, exact rewriting, the fixed
// values, and that the generated ones behave as their descriptions promise.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gravity.h"
#include "engine/world.h"
#include "platform/version.h"
#include "scenery/examples.h"
#include "scenery/reader.h"
#include "scenery/writer.h"

namespace vantor {
namespace {

std::string_view textOf(const ExampleScenery& e) { return {reinterpret_cast<const char*>(e.data), e.size}; }

std::string_view withoutVersionLine(std::string_view text) {
    size_t end = text.find('\n');
    return end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
}

// A fresh world holding example `number` as the open sequence leaves it.
std::unique_ptr<World> load(int number) {
    auto world = std::make_unique<World>();
    newScenery(*world);
    EXPECT_EQ(readScenery(*world, number, nullptr), 1) << number;
    return world;
}

Vec3 position(const ObjectRecord& o) { return {o.x, o.y, o.z}; }
Vec3 velocity(const ObjectRecord& o) { return {o.vx, o.vy, o.vz}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

bool sameObject(const ObjectRecord& a, const ObjectRecord& b) {
    return std::strcmp(a.name, b.name) == 0 && a.mass == b.mass && a.radius == b.radius && a.x == b.x && a.y == b.y &&
           a.z == b.z && a.vx == b.vx && a.vy == b.vy && a.vz == b.vz && a.color == b.color && a.disabled == b.disabled;
}

struct TreeRow {
    int number;
    const char* itemText;
    const char* category;
    int initialObjects, currentObjects;
};

// The examples tree in order, with the object counts of each scenery.
const TreeRow kTree[] = {
    {111, "Benchmark.nbx", "General", 100, 100},
    {127, "N500.nbx", "General", 500, 500},
    {110, "Solar_system-heliocentric.nbx", "Solar system", 10, 10},
    {129, "Solar_system-geocentric.nbx", "Solar system", 10, 10},
    {130, "Solar_system-geocentric-trails.nbx", "Solar system", 10, 10},
    {128, "Star_dust_1.nbx", "Star Dust", 201, 201},
    {131, "Star_dust_1_flyby.nbx", "Star Dust", 201, 202},
    {123, "Planetary_system_creation_1.nbx", "Planetary systems creation", 201, 201},
    {124, "Planetary_system_creation_2.nbx", "Planetary systems creation", 201, 201},
    {125, "Planetary_system_creation_3.nbx", "Planetary systems creation", 201, 201},
};

void PrintTo(const TreeRow& row, std::ostream* os) { *os << row.itemText; }

TEST(Examples, TreeOrderTextsAndLookup) {
    auto all = allExamples();
    ASSERT_EQ(all.size(), std::size(kTree));
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(kTree[i].itemText);
        EXPECT_EQ(all[i].number, kTree[i].number);
        EXPECT_STREQ(all[i].itemText, kTree[i].itemText);
        EXPECT_STREQ(all[i].category, kTree[i].category);
        EXPECT_EQ(findExample(kTree[i].number), &all[i]);
        ASSERT_NE(all[i].data, nullptr);
        ASSERT_GT(all[i].size, 2u);
        const std::string first = "[PROGRAM_VERSION]=" VANTOR_VERSION "\n";
        EXPECT_EQ(textOf(all[i]).substr(0, first.size()), first);
        EXPECT_EQ(textOf(all[i]).substr(all[i].size - 2), "\n\n");
    }
    for (int missing : {0, -1, 100, 112, 126, 132}) EXPECT_EQ(findExample(missing), nullptr) << missing;
}

class EachExample : public ::testing::TestWithParam<TreeRow> {};

TEST_P(EachExample, ReadsWithItsCountsAndWritesBackByteForByte) {
    const TreeRow& row = GetParam();
    auto world = load(row.number);
    EXPECT_EQ(world->INIT_OBJECTS_N, row.initialObjects);
    EXPECT_EQ(world->OBJECTS_N, row.currentObjects);
    const std::string rewritten = sceneryText(*world);
    // Compared as whole texts so that a difference shows where it is.
    EXPECT_EQ(withoutVersionLine(rewritten), withoutVersionLine(textOf(*findExample(row.number))));
}

TEST_P(EachExample, GivesEveryObjectANameAndKeepsItActive) {
    auto world = load(GetParam().number);
    for (int i = 0; i < world->OBJECTS_N; ++i) {
        ASSERT_NE(world->objects[i].name, nullptr);
        EXPECT_GT(std::strlen(world->objects[i].name), 0u);
        EXPECT_EQ(world->objects[i].disabled, 0);
        EXPECT_GT(world->objects[i].mass, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Tree, EachExample, ::testing::ValuesIn(kTree),
                         [](const auto& info) { return "Example" + std::to_string(info.param.number); });

// ---- Benchmark -----------------------------------------------------------

TEST(BenchmarkExample, HoldsTheFixedRespects) {
    auto w = load(BENCHMARK_EXAMPLE);
    EXPECT_EQ(w->SCENERY_NAME, "");
    EXPECT_EQ(w->SCENERY_DESCRIPTION, "");
    EXPECT_EQ(w->PROCESS_PRIORITY, 2);
    EXPECT_EQ(w->FPS_DESIRED, 5);
    EXPECT_EQ(w->DISPLAY_OBJECTS_AS_DOTS, 1);
    EXPECT_EQ(w->DIM_DISTANT_OBJECTS, 1);
    EXPECT_EQ(w->ORIGIN_MODE, 0);
    EXPECT_EQ(w->VIEWPOINT_MODE, 0);
    EXPECT_EQ(w->VIEWPOINT_DISTANCE, 1.2762815625e10);
    EXPECT_EQ(w->VIEWPOINT_THETA, 0);
    EXPECT_EQ(w->VIEWPOINT_PHI, 0);
    EXPECT_EQ(w->VIEWPOINT_ALPHA, 0);
    EXPECT_EQ(w->VIEWPOINT_FOV, 10);
    EXPECT_EQ(w->INIT_SIMULATION_TIME_STEP, 10);
    EXPECT_EQ(w->SIMULATION_TIME_STEP, 10);
    EXPECT_EQ(w->SIMULATION_TIME, 0);
    ASSERT_EQ(w->OBJECTS_N, 100);
    for (int i = 0; i < 100; ++i) {
        SCOPED_TRACE(i);
        const ObjectRecord& o = w->objects[i];
        EXPECT_TRUE(sameObject(o, w->initialObjects[i]));
        EXPECT_EQ(o.mass, 2e24);
        EXPECT_EQ(o.radius, 6e6);
        for (double c : {o.x, o.y, o.z}) EXPECT_LE(std::fabs(c), 5e8);
        double speed = vecLength(velocity(o));
        EXPECT_GE(speed, 70);
        EXPECT_LE(speed, 760);
    }
}

TEST(BenchmarkExample, ExpectedByteSumIsThatOfTheBuiltInText) {
    const ExampleScenery* e = findExample(BENCHMARK_EXAMPLE);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(expectedBenchmarkByteSum(), byteSum(e->data, e->size));
    // The sum is of unsigned bytes.
    const unsigned char bytes[] = {0xff, 0x01, 0x80};
    EXPECT_EQ(byteSum(bytes, 3), 384u);
    EXPECT_EQ(byteSum(bytes, 0), 0u);
}

// ---- Solar system --------------------------------------------------------

TEST(SolarSystemExamples, HeliocentricFileHoldsTheValuesAsWritten) {
    const std::string_view text = textOf(*findExample(110));
    const char* lines[] = {
        "[SCENERY_NAME]=Solar system - heliocentric\n",
        "[SCENERY_DESCRIPTION]=Sun with 9 planets orbiting around: Mercury, Venus, Earth, Mars, Jupiter, Saturn, "
        "Uranus, Neptune, and Pluto.\r\n",
        "\n[INIT_OBJECT_1_NAME]=Sun\n[INIT_OBJECT_1_MASS]=1.9890999999999999e+030\n"
        "[INIT_OBJECT_1_RADIUS]=6.96e+008\n[INIT_OBJECT_1_X]=0.e+000\n[INIT_OBJECT_1_Y]=0.e+000\n"
        "[INIT_OBJECT_1_Z]=0.e+000\n[INIT_OBJECT_1_VX]=0.e+000\n[INIT_OBJECT_1_VY]=0.e+000\n"
        "[INIT_OBJECT_1_VZ]=0.e+000\n[INIT_OBJECT_1_COLOR]=30ffff\n[INIT_OBJECT_1_DISABLED]=0\n\n",
        "[INIT_OBJECT_2_MASS]=3.3019999999999999e+023\n",
        "[INIT_OBJECT_4_Z]=1.52097701e+011\n[INIT_OBJECT_4_VX]=2.9291e+004\n",
        "[INIT_OBJECT_6_VX]=-1.2446e+004\n",
        "[INIT_OBJECT_10_COLOR]=c8e6ff\n",
        "[OBJECT_1_NAME]=Sun\n",
        "[ORIGIN_MODE]=1\n[ORIGIN_OBJECT]=1\n",
        "[VIEWPOINT_DISTANCE]=1.e+013\n[VIEWPOINT_THETA]=9.e+001\n[VIEWPOINT_PHI]=2.e+001\n",
        "[SPACECRAFT_DIRECTION_Z]=-1.e+000\n",
        "[INIT_SIMULATION_TIME_STEP]=1.e+002\n[SIMULATION_TIME_STEP]=1.e+002\n",
    };
    for (const char* line : lines) EXPECT_NE(text.find(line), std::string_view::npos) << line;
}

struct SolarRow {
    int number;
    const char* name;
    int originObject;
    double originZ;
    int names, dim, trails;
};

void PrintTo(const SolarRow& row, std::ostream* os) { *os << row.name; }

class SolarSystem : public ::testing::TestWithParam<SolarRow> {};

TEST_P(SolarSystem, DiffersOnlyWhereTheTableSays) {
    const SolarRow& row = GetParam();
    auto w = load(row.number);
    auto helio = load(110);
    EXPECT_EQ(w->SCENERY_NAME, row.name);
    // A description of three lines.
    const std::string& d = w->SCENERY_DESCRIPTION;
    EXPECT_EQ(std::count(d.begin(), d.end(), '\n'), 2);
    EXPECT_EQ(std::count(d.begin(), d.end(), '\r'), 2);
    EXPECT_EQ(d.find('\n'), d.find('\r') + 1);
    EXPECT_EQ(w->ORIGIN_MODE, 1);
    EXPECT_EQ(w->ORIGIN_OBJECT, row.originObject);
    EXPECT_EQ(w->ORIGIN_POSITION_X, 0);
    EXPECT_EQ(w->ORIGIN_POSITION_Y, 0);
    EXPECT_EQ(w->ORIGIN_POSITION_Z, row.originZ);
    EXPECT_EQ(w->DISPLAY_OBJECT_NAMES, row.names);
    EXPECT_EQ(w->DIM_DISTANT_OBJECTS, row.dim);
    EXPECT_EQ(w->SHOW_OBJECT_TRAILS, row.trails);
    EXPECT_EQ(w->FPS_DESIRED, 100);
    EXPECT_EQ(w->VIEWPOINT_DISTANCE, 1e13);
    EXPECT_EQ(w->VIEWPOINT_THETA, 90);
    EXPECT_EQ(w->VIEWPOINT_PHI, 20);
    EXPECT_EQ(w->VIEWPOINT_FOV, 10);
    EXPECT_EQ(w->SIMULATION_TIME_STEP, 100);
    EXPECT_EQ(w->INIT_SIMULATION_TIME_STEP, 100);
    EXPECT_EQ(w->SPACECRAFT_DIRECTION_Z, -1);
    EXPECT_EQ(w->VIEWPOINT_OBJECT, 0);
    EXPECT_EQ(w->SPACECRAFT_OBJECT, 0);
    EXPECT_EQ(w->SPACECRAFT_TRACKING_OBJECT, 0);
    ASSERT_EQ(w->OBJECTS_N, 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(sameObject(w->objects[i], w->initialObjects[i])) << i;
        EXPECT_TRUE(sameObject(w->objects[i], helio->objects[i])) << i;
    }
    EXPECT_STREQ(w->objects[3].name, "Earth");
    EXPECT_EQ(w->objects[3].z, 1.52097701e11);
    EXPECT_EQ(w->objects[0].mass, 1.9891e30);
    EXPECT_EQ(w->objects[9].vz, -3.676e3);
}

INSTANTIATE_TEST_SUITE_P(Examples, SolarSystem,
                         ::testing::Values(SolarRow{110, "Solar system - heliocentric", 0, 0, 1, 1, 0},
                                           SolarRow{129, "Solar system - geocentric", 3, 1.52097701e11, 1, 1, 0},
                                           SolarRow{130, "Solar system - geocentric (with trails)", 3, 1.52097701e11, 0,
                                                    0, 1}),
                         [](const auto& info) { return "Example" + std::to_string(info.param.number); });

TEST(SolarSystemExamples, HeliocentricDescriptionBeginsWithThePlanets) {
    auto w = load(110);
    EXPECT_EQ(w->SCENERY_DESCRIPTION.rfind("Sun with 9 planets orbiting around: Mercury, Venus, Earth, Mars, "
                                           "Jupiter, Saturn, Uranus, Neptune, and Pluto.\r\n",
                                           0),
              0u);
}

// ---- Star dust -----------------------------------------------------------

constexpr double kHydrogenMass = 1.6735e-27;

TEST(StarDustExamples, AtomsPassTheStarOnOpenOrbitsThatMissItsSurface) {
    for (int number : {128, 131}) {
        SCOPED_TRACE(number);
        auto w = load(number);
        EXPECT_EQ(w->SCENERY_NAME, "Star Dust 1");
        EXPECT_EQ(w->CALCULATE_RELATIVISTIC_MASSES, 1);
        const ObjectRecord& star = w->objects[0];
        EXPECT_NEAR(star.mass, 1.9891e30, 1e27);
        const double mu = G * star.mass;
        for (int i = 1; i <= 200; ++i) {
            const ObjectRecord& a = w->objects[i];
            EXPECT_EQ(a.mass, kHydrogenMass);
            Vec3 r = vecSub(position(a), position(star));
            Vec3 v = vecSub(velocity(a), velocity(star));
            double distance = vecLength(r), speed2 = dot(v, v);
            double energy = 0.5 * speed2 - mu / distance;
            EXPECT_GT(energy, 0) << "atom " << i << " is bound";
            EXPECT_LT(dot(r, v), 0) << "atom " << i << " is not approaching";
            // Periapsis of the hyperbola from the specific angular momentum.
            double h2 = dot(cross(r, v), cross(r, v));
            double e = std::sqrt(1 + 2 * energy * h2 / (mu * mu));
            double periapsis = h2 / (mu * (1 + e));
            EXPECT_GT(periapsis, 2 * star.radius) << "atom " << i;
        }
    }
}

TEST(StarDustExamples, FlybyAddsASpacecraftHeadingForTheStar) {
    auto plain = load(128);
    auto w = load(131);
    for (int i = 0; i < 201; ++i) {
        EXPECT_TRUE(sameObject(w->initialObjects[i], plain->initialObjects[i])) << i;
        EXPECT_TRUE(sameObject(w->objects[i], w->initialObjects[i])) << i;
    }
    EXPECT_EQ(w->SPACECRAFT_MODE, 1);
    ASSERT_EQ(w->SPACECRAFT_OBJECT, 201);
    EXPECT_EQ(w->DISPLAY_STATIC_SCENERY, 1);
    EXPECT_EQ(w->STATIC_SCENERY_OBJECTS_N, 10000);
    EXPECT_GT(w->SPACECRAFT_THRUST_FORCE_MAX, 0);
    EXPECT_LE(w->SPACECRAFT_THRUST_FORCE, w->SPACECRAFT_THRUST_FORCE_MAX);
    EXPECT_GT(w->SPACECRAFT_THRUST_FORCE, 0);
    const ObjectRecord& craft = w->objects[201];
    const ObjectRecord& star = w->objects[0];
    Vec3 heading{w->SPACECRAFT_DIRECTION_X, w->SPACECRAFT_DIRECTION_Y, w->SPACECRAFT_DIRECTION_Z};
    EXPECT_EQ(vecLength(heading), 1.0);
    Vec3 toStar = vecNormalise(vecSub(position(star), position(craft)));
    EXPECT_GT(dot(heading, toStar), 0.9999);
    EXPECT_GT(dot(vecNormalise(velocity(craft)), toStar), 0.99);
    EXPECT_EQ(w->VIEWPOINT_MODE, 1);
    EXPECT_EQ(w->VIEWPOINT_OBJECT, 201);
}

// ---- Planetary systems creation ------------------------------------------

TEST(PlanetarySystemExamples, SmallBodiesCircleTheCentralStar) {
    std::vector<double> firstX;
    for (int number : {123, 124, 125}) {
        SCOPED_TRACE(number);
        auto w = load(number);
        EXPECT_EQ(w->SCENERY_NAME, "");
        EXPECT_EQ(w->CALCULATE_RELATIVISTIC_MASSES, 1);
        EXPECT_EQ(w->ORIGIN_MODE, 1);
        ASSERT_EQ(w->ORIGIN_OBJECT, 200);
        ASSERT_EQ(w->OBJECTS_N, 201);
        const ObjectRecord& star = w->objects[200];
        EXPECT_EQ(star.mass, 1.98e30);
        EXPECT_EQ(star.x, 0);
        EXPECT_EQ(star.y, 0);
        EXPECT_EQ(star.z, 0);
        Vec3 meanSpin{0, 0, 0};
        for (int i = 0; i < 200; ++i) {
            const ObjectRecord& b = w->objects[i];
            EXPECT_GE(b.mass, 2e23);
            EXPECT_LE(b.mass, 4e23);
            Vec3 r = vecSub(position(b), position(star));
            Vec3 v = vecSub(velocity(b), velocity(star));
            double circular = std::sqrt(G * (star.mass + b.mass) / vecLength(r));
            EXPECT_NEAR(vecLength(v), circular, 0.2 * circular) << "body " << i;
            // Mostly perpendicular to the radius: a near-circular orbit.
            EXPECT_LT(std::fabs(dot(vecNormalise(r), vecNormalise(v))), 0.2) << "body " << i;
            meanSpin = vecAdd(meanSpin, vecNormalise(cross(r, v)));
        }
        // All orbit the same way, in a disc.
        EXPECT_GT(vecLength(meanSpin) / 200, 0.95);
        firstX.push_back(w->objects[0].x);
    }
    EXPECT_NE(firstX[0], firstX[1]);
    EXPECT_NE(firstX[1], firstX[2]);
}

// ---- Clusters: benchmark and N500 ----------------------------------------

double kineticEnergy(const World& w) {
    Vec3 p{0, 0, 0};
    double m = 0, k = 0;
    for (int i = 0; i < w.OBJECTS_N; ++i) {
        p = vecAdd(p, vecScale(velocity(w.objects[i]), w.objects[i].mass));
        m += w.objects[i].mass;
    }
    Vec3 drift = vecScale(p, 1 / m);
    for (int i = 0; i < w.OBJECTS_N; ++i) {
        Vec3 v = vecSub(velocity(w.objects[i]), drift);
        k += 0.5 * w.objects[i].mass * dot(v, v);
    }
    return k;
}

double potentialEnergy(const World& w) {
    double u = 0;
    for (int i = 0; i < w.OBJECTS_N; ++i) {
        for (int j = i + 1; j < w.OBJECTS_N; ++j) {
            u -= G * w.objects[i].mass * w.objects[j].mass /
                 vecLength(vecSub(position(w.objects[i]), position(w.objects[j])));
        }
    }
    return u;
}

// Median distance from the centre of mass: a size that a few flung-out
// bodies do not distort.
double medianRadius(World& w) {
    computeCentreOfMass(w);
    std::vector<double> d;
    for (int i = 0; i < w.OBJECTS_N; ++i) d.push_back(vecLength(vecSub(position(w.objects[i]), w.centreOfMass)));
    std::nth_element(d.begin(), d.begin() + d.size() / 2, d.end());
    return d[d.size() / 2];
}

class Cluster : public ::testing::TestWithParam<int> {};

TEST_P(Cluster, IsBoundAndStaysTogetherForAThousandSteps) {
    auto w = load(GetParam());
    const double k = kineticEnergy(*w), u = potentialEnergy(*w);
    // Far below the virial balance 2K = -U: it falls together, not apart.
    EXPECT_LT(2 * k / -u, 0.1);
    const double before = medianRadius(*w);
    WorkerPool pool;
    ASSERT_EQ(createWorkerPool(pool, *w), 1);
    for (int step = 0; step < 1000; ++step) simulationStep(*w, pool);
    EXPECT_EQ(w->collisionDetected, 0);
    const double after = medianRadius(*w);
    EXPECT_LT(after, 1.05 * before);
    EXPECT_GT(after, 0.8 * before);
    // No pair starts so close that the step could not follow it: the total
    // energy is kept to a part in ten thousand.
    EXPECT_NEAR(kineticEnergy(*w) + potentialEnergy(*w), k + u, 1e-4 * std::fabs(k + u));
}

INSTANTIATE_TEST_SUITE_P(Examples, Cluster, ::testing::Values(BENCHMARK_EXAMPLE, 127),
                         [](const auto& info) { return "Example" + std::to_string(info.param); });

}  // namespace
}  // namespace vantor
