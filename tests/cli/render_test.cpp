#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "cli_support.h"
#include "render/png.h"

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
