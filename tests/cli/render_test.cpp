#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "render/png.h"
#include "tests/support/cli_support.h"

namespace vantor::cli {
namespace {

namespace fs = std::filesystem;

class RenderCli : public CliFileTest {
protected:
    render::Surface read(const std::string& name) const {
        render::Surface s;
        std::string reason;
        EXPECT_TRUE(render::readPng(path(name), s, &reason)) << name << ": " << reason;
        return s;
    }
};

TEST_F(RenderCli, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"render"},
        {"render", "example:110"},
        {"render", "example:110", "--out"},
        {"render", "example:110", "--out", "a.png", "--size", "0x5"},
        {"render", "example:110", "--out", "a.png", "--size", "600"},
        {"render", "example:110", "--out", "a.png", "--size", "100000x10"},
        {"render", "example:110", "--out", "a.png", "--size", "ax b"},
        {"render", "example:110", "--out", "a.png", "--steps", "-1"},
        {"render", "example:110", "--out", "a.png", "--frames", "0"},
        {"render", "example:110", "--out", "a.png", "--every", "5"},
        {"render", "example:110", "--out", "a.png", "--bogus"},
        {"render", "example:110", "example:111", "--out", "a.png"},
        {"render", "example:110", "--out", "a.png", "--paint-every", "0"},
        {"render", "example:110", "--out", "a.png", "--until", "soon"},
        {"render", "example:110", "--out", "a.png", "--until", "-5"},
    };
    for (const auto& args : cases) {
        Result r = cli(args);
        EXPECT_EQ(r.status, EXIT_USAGE) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << testing::PrintToString(args);
    }
    EXPECT_NE(cli({"help"}).out.find("vantor-cli render SCENERY --out FILE.png"), std::string::npos);
}

TEST_F(RenderCli, OneFrameOfTheSolarSystem) {
    Result r = cli({"render", "example:110", "--out", path("solar.png")});
    ASSERT_EQ(r.status, EXIT_DONE) << r.err;
    EXPECT_EQ(r.out, path("solar.png") + "\n");
    const render::Surface s = read("solar.png");
    EXPECT_EQ(s.width(), 600);
    EXPECT_EQ(s.height(), 350);
    // The origin is on the Sun: its pixel at the centre, in its (dimmed) colour.
    EXPECT_NE(s.pixel(300, 175), 0xFF000000u);

    Result small = cli({"render", "example:110", "--out", path("small.png"), "--size", "160x90", "--steps", "3"});
    ASSERT_EQ(small.status, EXIT_DONE) << small.err;
    EXPECT_EQ(read("small.png").width(), 160);
}

TEST_F(RenderCli, NumberedFramesAccumulateTrails) {
    Result r = cli({"render", "example:130", "--out", path("trail.png"), "--frames", "3", "--every", "2000"});
    ASSERT_EQ(r.status, EXIT_DONE) << r.err;
    for (const char* name : {"trail-0001.png", "trail-0002.png", "trail-0003.png"}) {
        EXPECT_TRUE(fs::exists(dir_ / name)) << name;
    }
    EXPECT_FALSE(fs::exists(dir_ / "trail.png"));
    // Away from the status display, every lit pixel of the first frame is
    // still lit in the last, and the last has more.
    const render::Surface first = read("trail-0001.png"), last = read("trail-0003.png");
    int kept = 0, lit = 0, litLast = 0;
    for (int y = 10; y < 350 - 30; ++y) {
        for (int x = 0; x < 600; ++x) {
            const bool a = first.pixel(x, y) != 0xFF000000u, b = last.pixel(x, y) != 0xFF000000u;
            lit += a;
            kept += a && b;
            litLast += b;
        }
    }
    EXPECT_GT(lit, 0);
    EXPECT_EQ(kept, lit);
    EXPECT_GT(litLast, lit);
}

// Lit pixels away from the status display (whose figures change).
struct LitCount {
    int lit = 0, litInBoth = 0;
};
LitCount compareLit(const render::Surface& a, const render::Surface& b) {
    LitCount c;
    for (int y = 10; y < a.height() - 30; ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const bool inA = a.pixel(x, y) != 0xFF000000u, inB = b.pixel(x, y) != 0xFF000000u;
            c.lit += inB;
            c.litInBoth += inA && inB;
        }
    }
    return c;
}

bool samePixels(const render::Surface& a, const render::Surface& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

TEST_F(RenderCli, UntilStepsToTheTimeAndPaintEveryLetsTrailsAccumulate) {
    // 230 days of the geocentric solar system (time step 100 s).
    ASSERT_EQ(cli({"render", "example:130", "--until", "2e7", "--out", path("until.png")}).status, EXIT_DONE);
    ASSERT_EQ(cli({"render", "example:130", "--steps", "200000", "--out", path("steps.png")}).status, EXIT_DONE);
    EXPECT_TRUE(samePixels(read("until.png"), read("steps.png")));

    Result trail =
        cli({"render", "example:130", "--until", "2e7", "--paint-every", "1000", "--out", path("trail.png")});
    ASSERT_EQ(trail.status, EXIT_DONE) << trail.err;
    EXPECT_EQ(trail.out, path("trail.png") + "\n");  // one picture, the last frame
    const render::Surface last = read("until.png"), trails = read("trail.png");
    const LitCount bodies = compareLit(last, last), both = compareLit(last, trails);
    EXPECT_GT(bodies.lit, 0);
    EXPECT_EQ(both.litInBoth, bodies.lit);  // the bodies where they end, and their paths
    EXPECT_GT(both.lit, 20 * bodies.lit);
    // The status display is the last frame's alone, not every frame's piled up.
    for (int y = 350 - 30; y < 350; ++y)
        for (int x = 330; x < 600; ++x) ASSERT_EQ(trails.pixel(x, y), last.pixel(x, y)) << x << "," << y;

    // Without trails each frame clears the last: the same picture.
    ASSERT_EQ(cli({"render", "example:110", "--until", "1e6", "--paint-every", "100", "--out", path("a.png")}).status,
              EXIT_DONE);
    ASSERT_EQ(cli({"render", "example:110", "--until", "1e6", "--out", path("b.png")}).status, EXIT_DONE);
    EXPECT_TRUE(samePixels(read("a.png"), read("b.png")));
}

TEST_F(RenderCli, AnUntilTheTimeCannotReachIsReported) {
    // So far out a step of one second no longer moves the time.
    std::ofstream(path("far.nbx")) << "[OBJECTS_N]=2\n[OBJECT_1_MASS]=1.e+003\n[OBJECT_2_MASS]=1.e+003\n"
                                      "[OBJECT_2_X]=5.e+008\n[SIMULATION_TIME_STEP]=1.e+000\n"
                                      "[SIMULATION_TIME]=1.e+020\n";
    Result r = cli({"render", path("far.nbx"), "--until", "2e20", "--out", path("far.png")});
    EXPECT_EQ(r.status, EXIT_STUCK);
    EXPECT_NE(r.err.find("--until 2e20 cannot be reached"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "far.png"));
}

TEST_F(RenderCli, FileProblemsAndCollisions) {
    Result missing = cli({"render", path("missing.nbx"), "--out", path("x.png")});
    EXPECT_EQ(missing.status, EXIT_FILE);
    fs::create_directories(dir_ / "taken.png");
    Result taken = cli({"render", "example:110", "--out", path("taken.png")});
    EXPECT_EQ(taken.status, EXIT_FILE);
    EXPECT_NE(taken.err.find("taken.png"), std::string::npos);

    std::ofstream(path("crash.nbx")) << "[OBJECTS_N]=3\n[OBJECT_1_MASS]=1.e+024\n[OBJECT_2_MASS]=1.e+024\n"
                                        "[OBJECT_3_MASS]=1.e+020\n[OBJECT_3_X]=5.e+008\n";
    Result crash = cli({"render", path("crash.nbx"), "--out", path("c.png"), "--frames", "4", "--every", "1"});
    EXPECT_EQ(crash.status, EXIT_COLLISION);
    EXPECT_NE(crash.err.find("A collision has been detected. Simulation stopped."), std::string::npos);
    // Frames up to the one where the run stopped, none after it.
    EXPECT_TRUE(fs::exists(dir_ / "c-0001.png"));
    EXPECT_TRUE(fs::exists(dir_ / "c-0002.png"));  // the first step collides
    EXPECT_FALSE(fs::exists(dir_ / "c-0003.png"));
    EXPECT_EQ(crash.out, path("c-0001.png") + "\n" + path("c-0002.png") + "\n");
}

}  // namespace
}  // namespace vantor::cli
