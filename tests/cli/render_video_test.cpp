#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cli/cli.h"
#include "render/png.h"
#include "tests/support/cli_support.h"
#include "tests/support/decoded_video.h"

namespace vantor::cli {
namespace {

namespace fs = std::filesystem;
using video::testing::DecodedVideo;
using video::testing::decodeVideo;

// The mean difference per colour channel (0..255) over the pixels that
// either picture lights: most of a frame is black space, which would hide
// any fault in the rest.
double meanDifference(const std::vector<uint32_t>& video, int videoWidth, const render::Surface& png) {
    double sum = 0;
    long lit = 0;
    for (int y = 0; y < png.height(); ++y) {
        for (int x = 0; x < png.width(); ++x) {
            const uint32_t a = video[static_cast<size_t>(y) * videoWidth + x], b = png.pixel(x, y);
            int difference = 0, brightest = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int ca = (a >> shift) & 0xff, cb = (b >> shift) & 0xff;
                difference += std::abs(ca - cb);
                brightest = std::max({brightest, ca, cb});
            }
            if (brightest < 24) continue;  // black, give or take the codec's noise
            sum += difference;
            ++lit;
        }
    }
    return lit ? sum / (3.0 * lit) : 0;
}

class RenderVideoCli : public CliFileTest {
protected:
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// The video holds the frames the PNG export writes for the same run, each
// closer to its own PNG than to its neighbours (order and count kept).
TEST_F(RenderVideoCli, FramesEqualThePngFramesWithinTheCodecsLoss) {
    const std::vector<std::string> run = {"--frames", "5", "--every", "6000", "--size", "300x200"};
    std::vector<std::string> png = {"render", "example:130", "--out", path("f.png")}, mp4 = png;
    mp4[3] = path("f.mp4");
    png.insert(png.end(), run.begin(), run.end());
    mp4.insert(mp4.end(), run.begin(), run.end());
    ASSERT_EQ(cli(png).status, EXIT_DONE);
    Result r = cli(mp4);
    ASSERT_EQ(r.status, EXIT_DONE) << r.err;
    EXPECT_EQ(r.out, path("f.mp4") + "\n");
    const DecodedVideo v = decodeVideo(path("f.mp4"));
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(v.codec, "h264");
    EXPECT_EQ(v.width, 300);
    EXPECT_EQ(v.height, 200);
    EXPECT_EQ(av_q2d(v.frameRate), 30.0);
    ASSERT_EQ(v.frames.size(), 5u);
    std::vector<render::Surface> pngs(5);
    for (int k = 0; k < 5; ++k) {
        std::string reason;
        ASSERT_TRUE(render::readPng(path("f-000" + std::to_string(k + 1) + ".png"), pngs[k], &reason)) << reason;
    }
    for (size_t k = 0; k < 5; ++k) {
        const double own = meanDifference(v.frames[k], v.width, pngs[k]);
        // H.264 keeps about 5 of 255 on the thin coloured lines; a
        // neighbouring frame differs by 8 or more.
        EXPECT_LT(own, 7.0) << "frame " << k;
        if (k > 0) {
            EXPECT_LT(own, meanDifference(v.frames[k], v.width, pngs[k - 1])) << "frame " << k;
        }
        if (k < 4) {
            EXPECT_LT(own, meanDifference(v.frames[k], v.width, pngs[k + 1])) << "frame " << k;
        }
    }
}

TEST_F(RenderVideoCli, OddSizesRatesAndContainers) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        const char* codec;
        int width, height;
        double fps;
        size_t frames;
    };
    const Case cases[] = {
        {"odd.mp4", {"--size", "101x51", "--fps", "12", "--frames", "4", "--every", "10"}, "h264", 102, 52, 12, 4},
        {"one.mkv", {"--size", "64x64"}, "h264", 64, 64, 30, 1},
        {"web.WEBM", {"--size", "80x45", "--frames", "3", "--every", "0"}, "vp9", 80, 46, 30, 3},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"render", "example:110", "--out", path(c.name)};
        args.insert(args.end(), c.options.begin(), c.options.end());
        Result r = cli(args);
        ASSERT_EQ(r.status, EXIT_DONE) << c.name << ": " << r.err;
        const DecodedVideo v = decodeVideo(path(c.name));
        EXPECT_TRUE(v.ok) << c.name;
        EXPECT_EQ(v.codec, c.codec) << c.name;
        EXPECT_EQ(v.width, c.width) << c.name;
        EXPECT_EQ(v.height, c.height) << c.name;
        EXPECT_EQ(av_q2d(v.frameRate), c.fps) << c.name;
        EXPECT_EQ(v.frames.size(), c.frames) << c.name;
    }
}

TEST_F(RenderVideoCli, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"render", "example:110", "--out", "a.mp4", "--fps"},
        {"render", "example:110", "--out", "a.mp4", "--fps", "0"},
        {"render", "example:110", "--out", "a.mp4", "--fps", "1001"},
        {"render", "example:110", "--out", "a.mp4", "--fps", "2.5"},
        {"render", "example:110", "--out", "a.png", "--fps", "30"},
        {"render", "example:110", "--out", "a.mp4", "--every", "3"},
    };
    for (const auto& args : cases) {
        Result r = cli(args);
        EXPECT_EQ(r.status, EXIT_USAGE) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << testing::PrintToString(args);
    }
    EXPECT_NE(cli({"help"}).out.find("--out FILE.mp4"), std::string::npos);
}

// A video that cannot be written gets status 2 and the reason, and leaves
// nothing behind; one stopped by a collision keeps the frames up to it.
TEST_F(RenderVideoCli, FailuresAndCollisions) {
    fs::create_directories(dir_ / "taken.mp4");
    struct Case {
        std::string scenery, out, says;
    };
    const Case cases[] = {
        {"example:110", path("missing/a.mp4"), "No such file or directory"},
        {"example:110", path("taken.mp4"), "taken.mp4"},
        {path("none.nbx"), path("b.mp4"), "none.nbx"},
    };
    for (const Case& c : cases) {
        Result r = cli({"render", c.scenery, "--out", c.out, "--frames", "3"});
        EXPECT_EQ(r.status, EXIT_FILE) << c.out;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(folderNames(), std::vector<std::string>{"taken.mp4"}) << c.out;
    }

    std::ofstream(path("crash.nbx")) << "[OBJECTS_N]=3\n[OBJECT_1_MASS]=1.e+024\n[OBJECT_2_MASS]=1.e+024\n"
                                        "[OBJECT_3_MASS]=1.e+020\n[OBJECT_3_X]=5.e+008\n";
    Result crash = cli({"render", path("crash.nbx"), "--out", path("c.mp4"), "--frames", "4", "--every", "1"});
    EXPECT_EQ(crash.status, EXIT_COLLISION);
    EXPECT_NE(crash.err.find("A collision has been detected. Simulation stopped."), std::string::npos);
    EXPECT_EQ(decodeVideo(path("c.mp4")).frames.size(), 2u);
}

// SIGINT part way: the frames so far become a complete video under the
// target's name, and no temporary file is left.
TEST_F(RenderVideoCli, InterruptedExportLeavesAPlayableFile) {
    const std::string target = path("long.mp4");
    std::atomic<bool> stop = false;
    std::thread interrupter([&] {
        // Once the export has written its header (the temporary holds it),
        // interrupt it as Ctrl+C would.
        while (!stop) {
            for (const auto& e : fs::directory_iterator(dir_)) {
                if (e.path().filename().string().find(".vantor-save-") != std::string::npos && fs::file_size(e) > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(200));
                    std::raise(SIGINT);
                    return;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    Result r =
        cli({"render", "example:110", "--out", target, "--frames", "1000000", "--every", "1", "--size", "64x64"});
    stop = true;
    interrupter.join();
    EXPECT_EQ(r.status, 128 + SIGINT) << r.err;
    EXPECT_EQ(folderNames(), std::vector<std::string>{"long.mp4"});
    const DecodedVideo v = decodeVideo(target);
    EXPECT_TRUE(v.ok);
    ASSERT_GT(v.frames.size(), 0u);
    EXPECT_NE(r.err.find("holds the first " + std::to_string(v.frames.size()) + " of 1000000 frames"),
              std::string::npos)
        << r.err;
}

}  // namespace
}  // namespace vantor::cli
