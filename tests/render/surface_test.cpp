#include "render/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>

#include "tests/support/render_samples.h"

namespace vantor::render {
namespace {

using samples::countColour;
using samples::countLit;
using samples::picture;

TEST(Surface, ColoursArriveAsBgrAndAreStoredAsXrgb) {
    EXPECT_EQ(toPixelColour(0x0030FFFF), 0xFFFFFF30u);  // red FF, green FF, blue 30
    EXPECT_EQ(toPixelColour(0x000000FF), 0xFFFF0000u);
    EXPECT_EQ(toPixelColour(0x00FF0000), 0xFF0000FFu);
    Surface s(4, 3);
    EXPECT_EQ(s.bytesPerLine(), 16);
    EXPECT_EQ(s.pixel(3, 2), 0xFF000000u);  // new surfaces are black
    s.setPixel(3, 2, 0x0030FFFF);
    EXPECT_EQ(s.pixels()[2 * 4 + 3], 0xFFFFFF30u);
}

TEST(Surface, TruncationIsDefinedForEveryDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double in;
        int out;
    } cases[] = {{2.9, 2},       {-2.9, -2},       {0.3, 0},        {2147483647.5, INT_MAX}, {1e20, INT_MAX},
                 {inf, INT_MAX}, {-1e20, INT_MIN}, {-inf, INT_MIN}, {std::nan(""), INT_MIN}, {-2147483648.7, INT_MIN}};
    for (const auto& c : cases) EXPECT_EQ(truncToInt(c.in), c.out) << c.in;
}

TEST(Surface, LinesLeaveOutTheirEndPixel) {
    Surface s(8, 8);
    s.setPenColour(0xFFFFFF);
    s.moveTo(1, 1);
    s.lineTo(5, 1);
    s.lineTo(5, 4);
    s.lineTo(2, 7);
    EXPECT_EQ(picture(s, 0, 0, 8, 8, 0xFFFFFF),
              "........\n"
              ".#####..\n"
              ".....#..\n"
              ".....#..\n"
              ".....#..\n"
              "....#...\n"
              "...#....\n"
              "........\n");
    // A line of no length draws nothing; the position moves on.
    Surface t(4, 4);
    t.moveTo(2, 2);
    t.lineTo(2, 2);
    EXPECT_EQ(countLit(t), 0);
}

TEST(Surface, ShallowLinesStepOnTheNearestRow) {
    Surface s(10, 3);
    s.setPenColour(0xFFFFFF);
    s.moveTo(0, 0);
    s.lineTo(8, 2);  // 2 rows over 8 columns: halves go away from the start
    EXPECT_EQ(picture(s, 0, 0, 10, 3, 0xFFFFFF),
              "##........\n"
              "..####....\n"
              "......##..\n");
}

// Clipping must not change which pixels a line covers: drawn on a small
// surface it equals the same line drawn on a large one, seen through a window.
TEST(Surface, ClippedLinesMatchTheUnclippedLine) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-150, 190);
    for (int k = 0; k < 400; ++k) {
        const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        Surface small(40, 30), big(400, 400);
        small.setPenColour(0x00FF00);
        big.setPenColour(0x00FF00);
        small.moveTo(x0, y0);
        small.lineTo(x1, y1);
        big.moveTo(x0 + 200, y0 + 200);
        big.lineTo(x1 + 200, y1 + 200);
        ASSERT_EQ(picture(small, 0, 0, 40, 30, 0x00FF00), picture(big, 200, 200, 40, 30, 0x00FF00))
            << x0 << "," << y0 << " -> " << x1 << "," << y1;
    }
}

TEST(Surface, ExtremeCoordinatesAreClippedQuickly) {
    Surface s(50, 40);
    s.setPenColour(0xFFFFFF);
    s.moveTo(INT_MIN, 5);
    s.lineTo(INT_MAX, 5);
    EXPECT_EQ(countLit(s), 50);  // the whole row, in no time
    s.clear();
    s.moveTo(INT_MIN, INT_MIN);
    s.lineTo(INT_MAX, INT_MAX);  // the main diagonal
    for (int i = 0; i < 40; ++i) EXPECT_EQ(s.pixel(i, i), 0xFFFFFFFFu) << i;
    s.clear();
    s.ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    s.rectangle(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    s.fillSpan(INT64_MIN / 2, 0, 10, 0xFFFFFF);
    s.setPixel(INT_MIN, -1, 0xFFFFFF);
    SUCCEED();
}

TEST(Surface, EllipsesFillTheirBoxUpToButExcludingRightAndBottom) {
    const struct {
        int size;
        const char* shape;
    } cases[] = {
        {1, "#\n"},
        {2, "##\n##\n"},
        {3, "###\n###\n###\n"},
        {4, ".##.\n####\n####\n.##.\n"},
        {6, ".####.\n######\n######\n######\n######\n.####.\n"},
    };
    for (const auto& c : cases) {
        Surface s(12, 12);
        s.setPenColour(0xFFFFFF);
        s.setBrushColour(0xFFFFFF);
        s.ellipse(3, 4, 3 + c.size, 4 + c.size);
        EXPECT_EQ(picture(s, 3, 4, c.size, c.size, 0xFFFFFF), c.shape) << c.size;
        EXPECT_EQ(countLit(s), static_cast<int>(std::count(c.shape, c.shape + std::strlen(c.shape), '#')));
    }
}

TEST(Surface, EllipseOutlineIsInThePenAndTheBoxMayComeReversed) {
    Surface s(12, 12), reversed(12, 12);
    for (Surface* t : {&s, &reversed}) {
        t->setPenColour(0x0000FF);
        t->setBrushColour(0x00FF00);
    }
    s.ellipse(1, 1, 11, 9);
    reversed.ellipse(11, 9, 1, 1);
    EXPECT_EQ(picture(s, 0, 0, 12, 12, 0x0000FF), picture(reversed, 0, 0, 12, 12, 0x0000FF));
    EXPECT_EQ(picture(s, 0, 0, 12, 10, 0x0000FF),
              "............\n"
              "....####....\n"
              "..##....##..\n"
              ".#........#.\n"
              ".#........#.\n"
              ".#........#.\n"
              ".#........#.\n"
              "..##....##..\n"
              "....####....\n"
              "............\n");
    // Every row and column of the box is reached; the inside is the brush.
    EXPECT_EQ(countColour(s, 0x00FF00) + countColour(s, 0x0000FF), countLit(s));
    EXPECT_EQ(s.pixel(5, 4), toPixelColour(0x00FF00));
    // A disc is the same shape wherever it lies.
    Surface a(300, 300), b(300, 300);
    a.ellipse(10, 10, 27, 27);
    b.ellipse(210, 250, 227, 267);
    EXPECT_EQ(picture(a, 10, 10, 17, 17, a.brushColour()), picture(b, 210, 250, 17, 17, b.brushColour()));
}

TEST(Surface, RectangleHasAnOutlineAndAFill) {
    Surface s(8, 6);
    s.setPenColour(0x0000FF);
    s.setBrushColour(0x00FF00);
    s.rectangle(6, 5, 1, 1);  // given the wrong way round
    EXPECT_EQ(picture(s, 0, 0, 8, 6, 0x0000FF),
              "........\n"
              ".#####..\n"
              ".#...#..\n"
              ".#...#..\n"
              ".#####..\n"
              "........\n");
    EXPECT_EQ(countColour(s, 0x00FF00), 6);
}

TEST(Surface, SelectDrawColourRestoresWhatItReplaced) {
    Surface s(2, 2);
    EXPECT_EQ(s.penColour(), 0x000000u);
    EXPECT_EQ(s.brushColour(), 0xFFFFFFu);
    EXPECT_EQ(selectDrawColour(1, s, 0xFF0000), 1);
    EXPECT_EQ(s.penColour(), 0xFF0000u);
    EXPECT_EQ(s.brushColour(), 0xFF0000u);
    selectDrawColour(1, s, 0x0000FF);  // a second selection replaces the first
    EXPECT_EQ(s.penColour(), 0x0000FFu);
    EXPECT_EQ(selectDrawColour(0, s, 0), 1);
    EXPECT_EQ(s.penColour(), 0x000000u);
    EXPECT_EQ(s.brushColour(), 0xFFFFFFu);
    selectDrawColour(0, s, 0);  // nothing selected: nothing changes
    EXPECT_EQ(s.brushColour(), 0xFFFFFFu);
}

TEST(Surface, BuiltInFontMeasuresAndDrawsInsideItsCells) {
    Surface s(40, 12);
    EXPECT_EQ(s.textExtent("WARP").width, 24);
    EXPECT_EQ(s.textExtent("WARP").height, 10);
    s.textOut(1, 1, "Hi");
    EXPECT_GT(countLit(s), 10);
    for (int y = 0; y < 12; ++y) {
        for (int x = 13; x < 40; ++x) EXPECT_EQ(s.pixel(x, y), 0xFF000000u) << x << "," << y;
    }
    EXPECT_EQ(picture(s, 1, 2, 5, 7, 0xFFFFFF),
              "#...#\n"
              "#...#\n"
              "#...#\n"
              "#####\n"
              "#...#\n"
              "#...#\n"
              "#...#\n");
    // Bytes beyond ASCII show as "?"; text off the surface is clipped.
    Surface a(6, 10), b(6, 10);
    a.textOut(0, 0, "\xE9");
    b.textOut(0, 0, "?");
    EXPECT_EQ(picture(a, 0, 0, 6, 10, 0xFFFFFF), picture(b, 0, 0, 6, 10, 0xFFFFFF));
    // Text over an edge shows what the same text shows on a larger surface
    // inside a guard border of 20 pixels: the clipped part falls beyond the
    // edge, none of it wraps round or lands elsewhere on the surface.
    constexpr int kBorder = 20;
    for (const auto& at : {std::pair{-3, 0}, {-3, 8}, {2, -6}, {4, 5}, {-40, 0}}) {
        SCOPED_TRACE(testing::Message() << "text at " << at.first << "," << at.second);
        Surface clipped(6, 10), framed(6 + 2 * kBorder, 10 + 2 * kBorder);
        clipped.textOut(at.first, at.second, "Clipped text");
        framed.textOut(at.first + kBorder, at.second + kBorder, "Clipped text");
        EXPECT_EQ(picture(clipped, 0, 0, 6, 10, 0xFFFFFF), picture(framed, kBorder, kBorder, 6, 10, 0xFFFFFF));
    }
    // Far beyond the surface: nothing shows.
    Surface far(6, 10);
    far.textOut(INT_MAX - 2, INT_MIN, "far");
    far.textOut(INT_MIN, INT_MAX - 2, "far");
    EXPECT_EQ(countLit(far), 0);
}

TEST(Surface, ResizeClampsNegativeSizesAndTheTextRendererCanBeReplaced) {
    Surface s;
    EXPECT_TRUE(s.resize(-5, 7));
    EXPECT_EQ(s.width(), 0);
    EXPECT_EQ(s.height(), 7);
    s.setPixel(0, 0, 0xFFFFFF);  // no pixels: nothing happens
    EXPECT_EQ(s.width(), 0);
    EXPECT_EQ(s.pixel(0, 0), 0u);
    samples::RecordingText text;
    s.setTextRenderer(&text);
    s.setTextColour(0x123456);
    s.textOut(3, 4, "abc");
    ASSERT_EQ(text.calls.size(), 1u);
    EXPECT_EQ(text.calls[0].text, "abc");
    EXPECT_EQ(text.calls[0].colour, 0x123456u);
    s.setTextRenderer(nullptr);
    EXPECT_EQ(&s.textRenderer(), &defaultTextRenderer());
}

}  // namespace
}  // namespace vantor::render
