#include "render/osd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "render/camera.h"
#include "render/painter.h"
#include "tests/support/render_samples.h"

namespace vantor::render {
namespace {

using samples::countColour;
using samples::countLit;

const char* const kCharacters = "0123456789+-.=edmshitoyCFMPS";

// The character whose glyph is drawn in the 5 x 5 cell at (x, y), ' ' for an
// empty cell, '?' for anything else.
char readCell(const Surface& s, int x, int y, uint32_t colour) {
    uint8_t cell[25];
    bool any = false;
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 5; ++c) {
            cell[5 * r + c] = s.pixel(x + c, y + r) == toPixelColour(colour);
            any = any || cell[5 * r + c];
        }
    }
    if (!any) return ' ';
    for (const char* p = kCharacters; *p; ++p) {
        if (std::memcmp(statusGlyph(*p), cell, 25) == 0) return *p;
    }
    return '?';
}

// S and 5 share a glyph; expected texts are read the way the cells are.
std::string shown(std::string text) {
    for (char& c : text) {
        if (c == 'S') c = '5';
    }
    return text;
}

std::string readCells(const Surface& s, const std::vector<int>& xs, int y, uint32_t colour) {
    std::string text;
    for (int x : xs) text += readCell(s, x, y, colour);
    return text;
}

int glyphPixels(const std::string& text) {
    int n = 0;
    for (char c : text) {
        if (const uint8_t* g = statusGlyph(c)) {
            for (int k = 0; k < 25; ++k) n += g[k];
        }
    }
    return n;
}

// The cells of the time line, left to right, relative to the right edge,
// for one millennia digit.
std::vector<int> timeLineCells(int right) {
    std::vector<int> xs = {-259, -252, -245, -238, -231, -224, -217, -209, -201, -187, -180,
                           -173, -165, -151, -144, -137, -129, -115, -108, -100, -86,  -79,
                           -71,  -57,  -50,  -42,  -35,  -28,  -21,  -13,  -6};
    for (int& x : xs) x += right;
    return xs;
}

class StatusDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        updateViewSize(w, v, 320, 60);
        s.resize(320, 60);
    }
    void draw() {
        s.clear();
        drawStatusDisplay(w, v, s, 0xFFFFFF, 0, 0);
    }
    std::string timeLine() { return readCells(s, timeLineCells(320), 60 - 27 + 21, 0xFFFFFF); }
    World w;
    View v;
    Surface s;
};

TEST_F(StatusDisplay, TimeLine) {
    const struct {
        double t;
        const char* text;
    } cases[] = {
        {0, "t-to= 0mi000y000d00h00m00s 00ms"},
        {12 * 86400 + 3 * 3600 + 25 * 60 + 7.5, "t-to= 0mi000y012d03h25m07s 50ms"},
        {3.1536e10 + 86400, "t-to= 1mi000y001d00h00m00s 00ms"},
        {3.1536e7 * 999 + 86400 * 364 + 3600 * 23 + 60 * 59 + 59.25, "t-to= 0mi999y364d23h59m59s 25ms"},
    };
    for (const auto& c : cases) {
        w.SIMULATION_TIME = c.t;
        draw();
        EXPECT_EQ(timeLine(), c.text) << c.t;
    }
}

TEST_F(StatusDisplay, ManyMillenniaGrowLeftwards) {
    w.SIMULATION_TIME = 3.1536e10 * 1234 + 1e6;
    draw();
    std::vector<int> xs;
    for (int x = -280; x <= -217; x += 7) xs.push_back(320 + x);
    EXPECT_EQ(readCells(s, xs, 54, 0xFFFFFF), "t-to= 1234");
    EXPECT_EQ(v.timeBreakdown.millennia, 1234);
}

TEST_F(StatusDisplay, CountersAreGroupedInThrees) {
    w.measuredFps = 1234567;
    w.measuredMcs = 0;
    w.simSecondsPerSecond = -1;  // shown as its unsigned 64-bit value
    draw();
    const int y0 = 60 - 27;
    EXPECT_EQ(readCells(s, {320 - 20, 320 - 13, 320 - 6}, y0, 0xFFFFFF), shown("FPS"));
    EXPECT_EQ(readCells(s, {320 - 77, 320 - 68, 320 - 61, 320 - 54, 320 - 45, 320 - 38, 320 - 31}, y0, 0xFFFFFF),
              "1234567");
    EXPECT_EQ(readCells(s, {320 - 84, 320 - 38, 320 - 31}, y0 + 7, 0xFFFFFF), "  0");
    EXPECT_EQ(readCells(s, {320 - 20, 320 - 13, 320 - 6}, y0 + 7, 0xFFFFFF), shown("MCS"));
    std::vector<int> xs;  // 18446744073709551615: 20 digits, 6 gaps
    for (int k = 19; k >= 0; --k) xs.push_back(320 - 31 - 7 * k - 2 * (k / 3));
    EXPECT_EQ(readCells(s, xs, y0 + 14, 0xFFFFFF), "18446744073709551615");
    EXPECT_EQ(readCells(s, {320 - 20, 320 - 13, 320 - 6}, y0 + 14, 0xFFFFFF), shown("MSS"));
}

TEST_F(StatusDisplay, DistanceLineAndNothingElse) {
    w.VIEWPOINT_DISTANCE = 1.5e11;
    draw();
    // d= 1.5e+011 m, right-aligned: the number's last character at R - 17.
    std::vector<int> xs;
    for (int k = 10; k >= 0; --k) xs.push_back(320 - 17 - 7 * k);
    xs.push_back(320 - 6);
    EXPECT_EQ(readCells(s, xs, 1, 0xFFFFFF), "d= 1.5e+011m");
    // Every lit pixel belongs to a glyph read above (no stray cells).
    const std::string all =
        "d=1.5e+011m"
        "FPS0MCS0MSS0"
        "t-to=0mi000y000d00h00m00s00ms";
    EXPECT_EQ(countLit(s), glyphPixels(all));
}

TEST_F(StatusDisplay, ShadowAndFaceThroughThePainter) {
    w.ORIGIN_MODE = 2;
    World& world = w;
    Surface back;
    clearBackBuffer(v, back);
    paintFrame(world, v, back);
    const int white = countColour(back, 0xFFFFFF);
    EXPECT_EQ(white, glyphPixels("d=1.e+010m"
                                 "FPS0MCS0MSS0"
                                 "t-to=0mi000y000d00h00m00s00ms"));
}

TEST(NumberGlyphs, DirectionAndResult) {
    World w;
    View v;
    updateViewSize(w, v, 100, 20);
    Surface s(100, 20);
    EXPECT_EQ(drawNumberGlyphs(v, s, 0.22, 90, 2, 0xFFFFFF, -1), 90 - 7 * 8);  // "2.2e-001"
    std::vector<int> xs;
    for (int k = 7; k >= 0; --k) xs.push_back(90 - 7 * k);
    EXPECT_EQ(readCells(s, xs, 2, 0xFFFFFF), "2.2e-001");
    s.clear();
    EXPECT_EQ(drawNumberGlyphs(v, s, -3, 10, 2, 0xFFFFFF, 1), 10 + 7 * 8);  // "-3.e+000"
    xs.clear();
    for (int k = 0; k < 8; ++k) xs.push_back(10 + 7 * k);
    EXPECT_EQ(readCells(s, xs, 2, 0xFFFFFF), "-3.e+000");
}

TEST(TimeBreakdown, Units) {
    const TimeBreakdown b = computeTimeBreakdown(3.1536e10 * 2 + 3.1536e7 * 5 + 86400 * 6 + 3600 * 7 + 60 * 8 + 9.75);
    EXPECT_EQ(b.millennia, 2);
    EXPECT_EQ(b.years, 5);
    EXPECT_EQ(b.days, 6);
    EXPECT_EQ(b.hours, 7);
    EXPECT_EQ(b.minutes, 8);
    EXPECT_NEAR(b.seconds, 9.75, 1e-4);
    EXPECT_NEAR(b.fraction, 0.75, 1e-4);
}

class Cockpit : public ::testing::Test {
protected:
    void SetUp() override {
        updateViewSize(w, v, 200, 100);
        s.resize(200, 100);
        samples::addObject(w, 0, 0, 0);
        w.SPACECRAFT_MODE = 1;
        w.SPACECRAFT_THRUST_FORCE_MAX = 1e6;
    }
    void draw() {
        s.clear();
        drawSpacecraftDisplay(w, v, s);
    }
    // The top of a gauge's bar: the highest row of the unbroken run of its
    // colour that rises from the bottom in column x; 100 when empty.
    int barTop(int x, uint32_t colour) {
        int y = 100;
        while (y > 0 && s.pixel(x, y - 1) == toPixelColour(colour)) --y;
        return y;
    }
    World w;
    View v;
    Surface s;
};

TEST_F(Cockpit, WithoutTheStatusDisplayOnlyTheBlueFrame) {
    w.displayOSD = 0;
    draw();
    EXPECT_EQ(countColour(s, 0x0000FF), 0);
    EXPECT_EQ(countColour(s, 0xFFFFFF), 0);
    EXPECT_EQ(countColour(s, 0xFF0000), countLit(s));
    EXPECT_EQ(s.pixel(0, 0), toPixelColour(0xFF0000));
    EXPECT_EQ(s.pixel(100, 20), toPixelColour(0xFF0000));  // top edge of the window
    EXPECT_EQ(s.pixel(100, 80), toPixelColour(0xFF0000));  // bottom edge
}

TEST_F(Cockpit, GaugesOnLogScales) {
    w.displayOSD = 1;
    draw();
    EXPECT_EQ(barTop(55, 0x0000FF), 100);                  // at rest: empty
    EXPECT_EQ(barTop(17, 0xFF0000), 100);                  // no thrust: empty
    EXPECT_EQ(s.pixel(100, 49), toPixelColour(0x0000FF));  // the crosshair, with a gap at the centre
    EXPECT_EQ(s.pixel(98, 50), toPixelColour(0x0000FF));
    EXPECT_EQ(s.pixel(100, 50), 0xFF000000u);
    EXPECT_EQ(s.pixel(99, 50), 0xFF000000u);
    w.objects[0].vx = 1;  // 1 m/s: log10 1 = 0, still empty
    draw();
    EXPECT_EQ(barTop(55, 0x0000FF), 100);
    w.objects[0].vy = 299792458;      // about the speed of light: full, up to the label line
    w.SPACECRAFT_THRUST_FORCE = 1e3;  // half way on the log scale
    draw();
    EXPECT_LE(barTop(55, 0x0000FF), 12);
    EXPECT_EQ(barTop(17, 0xFF0000), 100 - (100 - 10 - 2) / 2);
    w.SPACECRAFT_THRUST_FORCE_MAX = 1;  // log10 1 = 0 divides by zero: no crash
    draw();
}

TEST_F(Cockpit, AutotrackingBlinks) {
    samples::RecordingText text;
    s.setTextRenderer(&text);
    w.SPACECRAFT_AUTOTRACKING = 1;
    draw();
    v.blinkPhase = 1;
    draw();
    ASSERT_EQ(text.calls.size(), 5u);  // THRM, WARP, then THRM, WARP, Autotracking
    EXPECT_EQ(text.calls[4].text, "Autotracking");
    EXPECT_EQ(text.calls[4].x, 75);
    EXPECT_EQ(text.calls[4].y, 100 - 10);
}

}  // namespace
}  // namespace vantor::render
