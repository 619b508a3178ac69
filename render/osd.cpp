#include "render/osd.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "render/painter.h"
#include "scenery/realtext.h"

namespace vantor::render {

namespace {

struct GlyphSource {
    char c;
    const char* rows;  // five rows of five, # set
};

constexpr GlyphSource kStatusGlyphs[] = {
    {'0', "##### #..## #.#.# ##..# #####"}, {'1', "###.. ..#.. ..#.. ..#.. #####"},
    {'2', "##### ....# ##### #.... #####"}, {'3', "##### ....# ##### ....# #####"},
    {'4', "#...# #...# ##### ....# ....#"}, {'5', "##### #.... ##### ....# #####"},
    {'6', "##### #.... ##### #...# #####"}, {'7', "##### ....# ....# ....# ....#"},
    {'8', "##### #...# ##### #...# #####"}, {'9', "##### #...# ##### ....# #####"},
    {'+', "..#.. ..#.. ##### ..#.. ..#.."}, {'-', "..... ..... ##### ..... ....."},
    {'.', "..... ..... ..... .##.. .##.."}, {'=', "..... ##### ..... ##### ....."},
    {'e', "..... ##### #.### #.... #####"}, {'d', "...#. ...#. ####. #..#. #####"},
    {'m', "..... ..... ##### #.#.# #.#.#"}, {'s', "..... ####. ####. ...#. ####."},
    {'h', "##... .#... .#### .#..# .#..#"}, {'i', ".#... ..... ##... .#... .#..."},
    {'t', "..#.. ##### ..#.. ..#.. ..###"}, {'o', "..... ..... ####. #..#. ####."},
    {'y', "..... #...# ##### ....# #####"}, {'C', "##### #.... #.... #.... #####"},
    {'F', "##### #.... ###.. #.... #...."}, {'M', "#...# ##.## #.#.# #...# #...#"},
    {'P', "##### #...# ##### #.... #...."}, {'S', "##### #.... ##### ....# #####"},
};

using Glyph = std::array<uint8_t, 25>;

const std::array<Glyph, 128>& glyphTable() {
    static const std::array<Glyph, 128> table = [] {
        std::array<Glyph, 128> t{};
        for (const GlyphSource& g : kStatusGlyphs) {
            const char* p = g.rows;
            for (int r = 0; r < 5; ++r, ++p) {
                for (int c = 0; c < 5; ++c, ++p) t[static_cast<size_t>(g.c)][5 * r + c] = *p == '#' ? 1 : 0;
            }
        }
        return t;
    }();
    return table;
}

// An integer field shown as unsigned 64 bits: negatives wrap, and values no
// integer holds (NaN, beyond 2^64) give the processor's "indefinite" value.
uint64_t fieldValue(double v) {
    if (v >= 0 && v < 18446744073709551616.0) return static_cast<uint64_t>(v);
    if (v < 0 && v > -9223372036854775808.0) return static_cast<uint64_t>(static_cast<int64_t>(v));
    return 0x8000000000000000ull;
}

void glyphAt(const View& view, Surface& dc, char c, int64_t x, int64_t y, uint32_t colour) {
    const uint8_t* g = statusGlyph(c);
    if (!g || x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) return;
    drawGlyph(view, dc, g, static_cast<int>(x), static_cast<int>(y), colour);
}

// `count` digits of value, units first at x, each next 7 pixels to the left.
void fixedDigits(const View& view, Surface& dc, uint64_t value, int count, int64_t x, int64_t y, uint32_t colour) {
    for (int k = 0; k < count; ++k, value /= 10) {
        glyphAt(view, dc, static_cast<char>('0' + value % 10), x - 7 * k, y, colour);
    }
}

// A counter right to left from x, with 2 extra pixels between groups of three.
void groupedNumber(const View& view, Surface& dc, uint64_t value, int64_t x, int64_t y, uint32_t colour) {
    int digit = 0;
    do {
        glyphAt(view, dc, static_cast<char>('0' + value % 10), x, y, colour);
        value /= 10;
        x -= 7;
        if (++digit % 3 == 0) x -= 2;
    } while (value != 0);
}

}  // namespace

const uint8_t* statusGlyph(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 128) return nullptr;
    const Glyph& g = glyphTable()[u];
    for (uint8_t b : g) {
        if (b) return g.data();
    }
    return nullptr;
}

TimeBreakdown computeTimeBreakdown(double t) {
    TimeBreakdown b;
    // Each product is rounded to a double before it is rounded down; each
    // rest is t less all larger units, recomputed from t.
    const auto down = [](double product) { return std::floor(product); };
    b.millennia = down(t * 3.1709791983764586e-11);
    b.years = down((t - b.millennia * 3.1536e10) * 3.1709791983764586e-8);
    b.days = down((t - b.millennia * 3.1536e10 - b.years * 3.1536e7) * 1.1574074074074073e-5);
    b.hours = down((t - b.millennia * 3.1536e10 - b.years * 3.1536e7 - b.days * 86400) * 0.0002777777777777778);
    b.minutes = down((t - b.millennia * 3.1536e10 - b.years * 3.1536e7 - b.days * 86400 - b.hours * 3600) *
                     0.016666666666666666);
    b.seconds = t - b.millennia * 3.1536e10 - b.years * 3.1536e7 - b.days * 86400 - b.hours * 3600 - b.minutes * 60;
    b.fraction = t - std::trunc(t);
    return b;
}

int drawNumberGlyphs(const View& view, Surface& dc, double value, int x, int y, uint32_t colour, int direction) {
    char text[REAL_TEXT_MAX];
    const int n = static_cast<int>(formatRealTo(text, value) - text);
    int64_t cx = x;
    for (int k = 0; k < n; ++k) {
        const char c = direction < 0 ? text[n - 1 - k] : text[k];
        glyphAt(view, dc, c, cx, y, colour);
        cx += direction < 0 ? -7 : 7;
    }
    return static_cast<int>(std::clamp<int64_t>(cx, INT32_MIN, INT32_MAX));
}

void drawStatusDisplay(const World& world, View& view, Surface& dc, uint32_t colour, int dx, int dy) {
    const int64_t r = int64_t{view.viewWidth} + dx;
    const auto cell = [&](char c, int64_t x, int64_t y) { glyphAt(view, dc, c, x, y, colour); };

    // Top right: d= D m
    const int64_t top = int64_t{dy} + 1;
    cell('m', r - 6, top);
    if (r - 17 >= INT32_MIN && r - 17 <= INT32_MAX && top <= INT32_MAX) {
        const int64_t x = drawNumberGlyphs(view, dc, world.VIEWPOINT_DISTANCE, static_cast<int>(r - 17),
                                           static_cast<int>(top), colour, -1);
        cell('=', x - 7, top);
        cell('d', x - 14, top);
    }

    // Bottom right: the three counters and the time line.
    const int64_t y0 = int64_t{view.viewHeight} + dy - 27;
    const struct {
        const char* label;  // right to left
        int64_t value;
    } counters[3] = {{"SPF", world.measuredFps}, {"SCM", world.measuredMcs}, {"SSM", world.simSecondsPerSecond}};
    for (int k = 0; k < 3; ++k) {
        const int64_t y = y0 + 7 * k;
        for (int c = 0; c < 3; ++c) cell(counters[k].label[c], r - 6 - 7 * c, y);
        groupedNumber(view, dc, static_cast<uint64_t>(counters[k].value), r - 31, y, colour);
    }

    const TimeBreakdown& t = view.timeBreakdown = computeTimeBreakdown(world.SIMULATION_TIME);
    const int64_t y = y0 + 21;
    cell('s', r - 6, y);
    cell('m', r - 13, y);
    fixedDigits(view, dc, fieldValue(std::trunc(t.fraction * 100)), 2, r - 21, y, colour);
    cell('s', r - 42, y);
    fixedDigits(view, dc, fieldValue(std::trunc(t.seconds)), 2, r - 50, y, colour);
    cell('m', r - 71, y);
    fixedDigits(view, dc, fieldValue(t.minutes), 2, r - 79, y, colour);
    cell('h', r - 100, y);
    fixedDigits(view, dc, fieldValue(t.hours), 2, r - 108, y, colour);
    cell('d', r - 129, y);
    fixedDigits(view, dc, fieldValue(t.days), 3, r - 137, y, colour);
    cell('y', r - 165, y);
    fixedDigits(view, dc, fieldValue(t.years), 3, r - 173, y, colour);
    cell('i', r - 201, y);
    cell('m', r - 209, y);
    uint64_t millennia = fieldValue(t.millennia);
    int64_t x = r - 217;
    do {
        cell(static_cast<char>('0' + millennia % 10), x, y);
        millennia /= 10;
        x -= 7;
    } while (millennia != 0);
    cell('=', x - 7, y);
    cell('o', x - 14, y);
    cell('t', x - 21, y);
    cell('-', x - 28, y);
    cell('t', x - 35, y);
}

void drawSpacecraftDisplay(const World& world, const View& view, Surface& dc) {
    const int w = view.viewWidth, h = view.viewHeight;
    const auto at = [](double v) { return truncToInt(v); };

    selectDrawColour(1, dc, 0xFF0000);
    dc.moveTo(0, 0);
    dc.lineTo(at(0.2 * w), at(0.2 * h));
    dc.lineTo(at(0.8 * w), at(0.2 * h));
    dc.lineTo(at(0.65 * w), at(0.8 * h));
    dc.lineTo(at(0.35 * w), at(0.8 * h));
    dc.lineTo(at(0.2 * w), at(0.2 * h));
    dc.moveTo(w, 0);
    dc.lineTo(at(0.8 * w), at(0.2 * h));
    dc.moveTo(w, h);
    dc.lineTo(at(0.65 * w), at(0.8 * h));
    dc.moveTo(0, h);
    dc.lineTo(at(0.35 * w), at(0.8 * h));
    if (!world.displayOSD) {
        selectDrawColour(0, dc, 0);
        return;
    }

    selectDrawColour(1, dc, 0x0000FF);
    const double cx = w / 2, cy = h / 2;
    dc.moveTo(at(cx - 0.03 * w), at(cy));
    dc.lineTo(at(cx - 0.01 * w + 1), at(cy));
    dc.moveTo(at(cx + 0.01 * w), at(cy));
    dc.lineTo(at(cx + 0.03 * w + 1), at(cy));
    dc.moveTo(at(cx), at(cy - 0.03 * h));
    dc.lineTo(at(cx), at(cy - 0.01 * h + 1));
    dc.moveTo(at(cx), at(cy + 0.01 * h));
    dc.lineTo(at(cx), at(cy + 0.03 * h + 1));

    const int hW = dc.textExtent("WARP").height, hT = dc.textExtent("THRM").height;

    // Gauges on log scales; a value of exactly 0 leaves the bar empty.
    // Values below 1 (negative logarithms) put the top below the view.
    selectDrawColour(1, dc, 0xFF0000);
    dc.moveTo(2, hT + 2);
    dc.lineTo(32, hT + 2);
    dc.textOut(2, 0, "THRM");
    const double thrust = world.SPACECRAFT_THRUST_FORCE;
    const int thrustTop =
        thrust == 0 ? h : at(h - (h - hT - 2) * std::log10(thrust) / std::log10(world.SPACECRAFT_THRUST_FORCE_MAX));
    dc.rectangle(2, thrustTop, 32, h);

    selectDrawColour(1, dc, 0x0000FF);
    dc.moveTo(40, hW + 2);
    dc.lineTo(70, hW + 2);
    dc.textOut(40, 0, "WARP");
    double speed = 0;
    if (world.SPACECRAFT_OBJECT >= 0 && world.SPACECRAFT_OBJECT < world.OBJECTS_N) {
        const ObjectRecord& o = world.objects[world.SPACECRAFT_OBJECT];
        speed = vecLength(vecMake(o.vx, o.vy, o.vz));
    }
    const int speedTop = speed == 0 ? h : at(h - (h - hW - 2) * std::log10(speed) / std::log10(299792458.0));
    dc.rectangle(40, speedTop, 70, h);

    if (world.SPACECRAFT_AUTOTRACKING && view.blinkPhase) dc.textOut(75, h - hW, "Autotracking");
    selectDrawColour(0, dc, 0);
}

}  // namespace vantor::render
