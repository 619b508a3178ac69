#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/surface.h"
#include "tests/support/decoded_video.h"
#include "video/background_writer.h"
#include "video/video_writer.h"

namespace vantor::video {
namespace {

namespace fs = std::filesystem;
using testing::DecodedVideo;
using testing::decodeVideo;

// A frame that differs from its neighbours everywhere it matters: a moving
// box over a gradient whose colour depends on the frame's number.
render::Surface patternFrame(int width, int height, int number) {
    render::Surface s(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            s.setPixel(x, y, static_cast<uint32_t>((x * 7 + number * 40) & 0xff) << 8 | (y * 5));
    }
    s.setPenColour(0x0000ff);
    s.setBrushColour(0xffffff);
    s.rectangle(number * 3, 2, number * 3 + 6, 9);
    return s;
}

class VideoFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vantor-video-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        return names;
    }
    static bool add(VideoWriter& w, const render::Surface& s) {
        std::string reason;
        const bool ok = w.addFrame(s.pixels(), s.width(), s.height(), s.bytesPerLine(), &reason);
        EXPECT_TRUE(ok) << reason;
        return ok;
    }
    fs::path dir_;
};

TEST(VideoFileNames, TheThreeContainersInAnyCase) {
    for (const char* name : {"a.mp4", "a.MKV", "dir.x/b.WebM", "/t/c.mkv"}) EXPECT_TRUE(isVideoFile(name)) << name;
    for (const char* name : {"a.png", "mp4", "a.mp4/b", "a.mp4.png", "a.avi", ""})
        EXPECT_FALSE(isVideoFile(name)) << name;
}

// Each container gets its codec, the frame count and the frame rate asked for.
TEST_F(VideoFile, ReadBackGivesCodecSizeCountAndRate) {
    struct Case {
        const char* name;
        std::string codec;  // asked for; empty: the container's choice
        const char* expected;
    };
    const Case cases[] = {
        {"h264.mp4", "", "h264"}, {"h264.mkv", "", "h264"}, {"vp9.webm", "", "vp9"}, {"ffv1.mkv", "ffv1", "ffv1"}};
    for (const Case& c : cases) {
        VideoWriter w;
        std::string reason;
        ASSERT_TRUE(w.open(path(c.name), {64, 48, 25, c.codec}, &reason)) << c.name << ": " << reason;
        for (int k = 0; k < 12; ++k) add(w, patternFrame(64, 48, k));
        ASSERT_TRUE(w.finish(&reason)) << c.name << ": " << reason;
        const DecodedVideo v = decodeVideo(path(c.name));
        ASSERT_TRUE(v.ok) << c.name;
        EXPECT_EQ(v.codec, c.expected) << c.name;
        EXPECT_EQ(v.width, 64) << c.name;
        EXPECT_EQ(v.height, 48) << c.name;
        EXPECT_EQ(v.frames.size(), 12u) << c.name;
        EXPECT_EQ(av_q2d(v.frameRate), 25.0) << c.name;
    }
}

TEST_F(VideoFile, LosslessCodecGivesBackTheExactFramesInOrder) {
    VideoWriter w;
    std::string reason;
    ASSERT_TRUE(w.open(path("exact.mkv"), {40, 30, 30, "ffv1"}, &reason)) << reason;
    std::vector<render::Surface> frames;
    for (int k = 0; k < 6; ++k) {
        frames.push_back(patternFrame(40, 30, k));
        add(w, frames.back());
    }
    ASSERT_TRUE(w.finish(&reason)) << reason;
    const DecodedVideo v = decodeVideo(path("exact.mkv"));
    ASSERT_EQ(v.frames.size(), frames.size());
    for (size_t k = 0; k < frames.size(); ++k) {
        const std::vector<uint32_t> expected(frames[k].pixels(), frames[k].pixels() + 40 * 30);
        EXPECT_EQ(v.frames[k], expected) << "frame " << k;
    }
}

// Odd sides gain one black column or row; a frame of another size than the
// video's is cut or filled with black on the right and at the bottom.
TEST_F(VideoFile, OddSizesArePaddedAndOtherFrameSizesFitted) {
    VideoWriter w;
    std::string reason;
    ASSERT_TRUE(w.open(path("odd.mkv"), {7, 5, 30, "ffv1"}, &reason)) << reason;
    EXPECT_EQ(w.videoWidth(), 8);
    EXPECT_EQ(w.videoHeight(), 6);
    const render::Surface exact = patternFrame(7, 5, 1), big = patternFrame(11, 9, 2), small = patternFrame(3, 2, 3);
    add(w, exact);
    add(w, big);
    add(w, small);
    ASSERT_TRUE(w.finish(&reason)) << reason;
    const DecodedVideo v = decodeVideo(path("odd.mkv"));
    ASSERT_EQ(v.frames.size(), 3u);
    ASSERT_EQ(v.width, 8);
    ASSERT_EQ(v.height, 6);
    const render::Surface* sources[] = {&exact, &big, &small};
    for (size_t k = 0; k < 3; ++k) {
        const render::Surface& s = *sources[k];
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool inside = x < s.width() && y < s.height() && x < 7 && y < 5;
                EXPECT_EQ(v.pixel(k, x, y), inside ? s.pixel(x, y) : 0xff000000u) << k << " at " << x << "," << y;
            }
        }
    }
}

// The target only ever holds a whole video: the frames go into a temporary
// file beside it that finish() renames, and abandon() removes.
TEST_F(VideoFile, TargetIsReplacedOnlyByACompleteVideo) {
    const std::string target = path("clip.mp4");
    std::ofstream(target) << "older";
    {
        VideoWriter w;
        std::string reason;
        ASSERT_TRUE(w.open(target, {32, 32, 30, ""}, &reason)) << reason;
        add(w, patternFrame(32, 32, 0));
        EXPECT_EQ(fs::path(w.temporaryPath()).parent_path(), dir_);
        EXPECT_EQ(w.temporaryPath().rfind(target + ".vantor-save-" + std::to_string(::getpid()) + "-", 0), 0u);
        EXPECT_TRUE(fs::exists(w.temporaryPath()));
        w.abandon();
    }
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.mp4"});
    EXPECT_EQ(fs::file_size(target), 5u);
    {
        VideoWriter w;  // destroyed unfinished
        ASSERT_TRUE(w.open(target, {32, 32, 30, ""}, nullptr));
        add(w, patternFrame(32, 32, 0));
    }
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.mp4"});
    EXPECT_EQ(fs::file_size(target), 5u);
    VideoWriter w;
    ASSERT_TRUE(w.open(target, {32, 32, 30, ""}, nullptr));
    add(w, patternFrame(32, 32, 0));
    ASSERT_TRUE(w.finish(nullptr));
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.mp4"});
    EXPECT_EQ(decodeVideo(target).frames.size(), 1u);
}

TEST_F(VideoFile, FailuresGiveAReasonAndLeaveNoFile) {
    fs::create_directory(path("taken.mp4"));
    struct Case {
        std::string target;
        VideoSettings settings;
        bool opens;  // the failure comes at finish()
    };
    const Case cases[] = {
        {path("missing/a.mp4"), {16, 16, 30, ""}, false},
        {path("a.avi"), {16, 16, 30, ""}, false},
        {path("a.mp4"), {16, 16, 30, "no-such-encoder"}, false},
        {path("a.webm"), {16, 16, 30, "ffv1"}, false},  // WebM does not take it
        {path("a.mp4"), {0, 16, 30, ""}, false},
        {path("a.mp4"), {16, 16, 0, ""}, false},
        {path("taken.mp4"), {16, 16, 30, ""}, true},  // a folder stands where the file would go
    };
    for (const Case& c : cases) {
        VideoWriter w;
        std::string reason;
        bool done = w.open(c.target, c.settings, &reason);
        EXPECT_EQ(done, c.opens) << c.target;
        if (done) {
            add(w, patternFrame(16, 16, 0));
            done = w.finish(&reason);
        }
        EXPECT_FALSE(done) << c.target;
        EXPECT_FALSE(reason.empty()) << c.target;
        EXPECT_EQ(folderNames(), std::vector<std::string>{"taken.mp4"}) << c.target;
    }
}

// A small queue and many frames: the caller waits for room, and every frame
// arrives once and in order.
TEST_F(VideoFile, BackgroundWriterKeepsEveryFrameInOrder) {
    BackgroundWriter w(2);
    std::string reason;
    ASSERT_TRUE(w.start(path("bg.mkv"), {24, 16, 30, "ffv1"}, &reason)) << reason;
    EXPECT_TRUE(w.isRecording());
    for (int k = 0; k < 40; ++k) {
        const render::Surface s = patternFrame(24, 16, k % 7 + k / 7);
        ASSERT_TRUE(w.addFrame(s.pixels(), s.width(), s.height(), s.bytesPerLine(), &reason)) << reason;
    }
    ASSERT_TRUE(w.finish(&reason)) << reason;
    EXPECT_FALSE(w.isRecording());
    EXPECT_FALSE(w.addFrame(nullptr, 0, 0, 0, &reason));
    const DecodedVideo v = decodeVideo(path("bg.mkv"));
    ASSERT_EQ(v.frames.size(), 40u);
    for (int k = 0; k < 40; ++k) {
        const render::Surface s = patternFrame(24, 16, k % 7 + k / 7);
        EXPECT_EQ(v.frames[k], std::vector<uint32_t>(s.pixels(), s.pixels() + 24 * 16)) << "frame " << k;
    }
}

TEST_F(VideoFile, BackgroundWriterAbandonedWhenDestroyedUnfinished) {
    {
        BackgroundWriter w;
        ASSERT_TRUE(w.start(path("gone.mp4"), {24, 16, 30, ""}, nullptr));
        const render::Surface s = patternFrame(24, 16, 0);
        w.addFrame(s.pixels(), s.width(), s.height(), s.bytesPerLine(), nullptr);
    }
    EXPECT_TRUE(folderNames().empty());
}

}  // namespace
}  // namespace vantor::video
