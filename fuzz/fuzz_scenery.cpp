// The scenery reader on arbitrary bytes, then the writer and the reader
// again: the world read back from its own text must be the same world, that
// is, writing it again gives the same text.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "scenery/reader.h"
#include "scenery/realtext.h"
#include "scenery/writer.h"

namespace {

using namespace vantor;

// Inputs that ask for more objects are left to the tests: each object costs
// eleven lookups, and the fuzzer, which finds large counts at once, would
// spend its time on a few slow inputs instead of many different ones.
constexpr int kMostObjects = 4096;

// Whether any occurrence of a count key asks for more than kMostObjects.
bool asksForManyObjects(std::string_view text) {
    char value[32];
    for (std::string_view key : {"[INIT_OBJECTS_N]", "[OBJECTS_N]"}) {
        for (size_t at = text.find(key); at != std::string_view::npos; at = text.find(key, at + 1)) {
            // The value as the reader takes it: behind the next "=".
            const size_t eq = text.find('=', at + key.size());
            if (eq == std::string_view::npos) break;
            const size_t from = std::min(text.find_first_not_of(" \t\v\f", eq + 1), text.size());
            const size_t length = std::min(sizeof value - 1, text.size() - from);
            text.copy(value, length, from);
            value[length] = '\0';
            if (parseInteger(value) > kMostObjects) return true;
        }
    }
    return false;
}

// Reals that a file cannot carry: formatReal writes an infinity or a
// not-a-number as 0, which the reader's rules then treat as a new value.
bool allFinite(const World& w) {
    const double settings[] = {
        w.AUTOSTOP_ST_PERIOD,
        w.VIEW_ROTATING_STEP,
        w.ORIGIN_POSITION_X,
        w.ORIGIN_POSITION_Y,
        w.ORIGIN_POSITION_Z,
        w.ORIGIN_OFFSET_X,
        w.ORIGIN_OFFSET_Y,
        w.ORIGIN_OFFSET_Z,
        w.VIEWPOINT_FOV,
        w.VIEWPOINT_DISTANCE,
        w.VIEWPOINT_THETA,
        w.VIEWPOINT_PHI,
        w.VIEWPOINT_ALPHA,
        w.VIEWPOINT_POSITION_X,
        w.VIEWPOINT_POSITION_Y,
        w.VIEWPOINT_POSITION_Z,
        w.SPACECRAFT_THRUST_FORCE_MAX,
        w.SPACECRAFT_THRUST_FORCE,
        w.SPACECRAFT_DIRECTION_X,
        w.SPACECRAFT_DIRECTION_Y,
        w.SPACECRAFT_DIRECTION_Z,
        w.INIT_SIMULATION_TIME_STEP,
        w.SIMULATION_TIME_STEP,
        w.SIMULATION_TIME,
    };
    for (double v : settings) {
        if (!std::isfinite(v)) return false;
    }
    auto tableFinite = [](const ObjectRecord* table, int count) {
        for (int i = 0; i < count; ++i) {
            const ObjectRecord& o = table[i];
            for (double v : {o.mass, o.radius, o.x, o.y, o.z, o.vx, o.vy, o.vz}) {
                if (!std::isfinite(v)) return false;
            }
        }
        return true;
    };
    return tableFinite(w.initialObjects.get(), w.INIT_OBJECTS_N) && tableFinite(w.objects.get(), w.OBJECTS_N);
}

// Distance of two doubles of one sign in units in the last place.
uint64_t ulpsApart(double a, double b) {
    if ((a < 0) != (b < 0)) return a == b ? 0 : UINT64_MAX;
    uint64_t ia, ib;
    std::memcpy(&ia, &a, sizeof a);
    std::memcpy(&ib, &b, sizeof b);
    return ia > ib ? ia - ib : ib - ia;
}

// The reader divides the heading by its length unless that is exactly 1, so
// a heading that is a unit vector only to rounding moves by an ulp or so on
// each reading (the written form is exact; the rule is not idempotent). Every
// other line must come back as it was written.
bool sameButHeadingRounding(const std::string& first, const std::string& second, std::string& why) {
    constexpr std::string_view heading = "[SPACECRAFT_DIRECTION_";
    constexpr uint64_t kHeadingUlps = 4;
    size_t p = 0, q = 0;
    while (p < first.size() || q < second.size()) {
        const size_t pe = std::min(first.find('\n', p), first.size());
        const size_t qe = std::min(second.find('\n', q), second.size());
        const std::string_view a(first.data() + p, pe - p), b(second.data() + q, qe - q);
        if (a != b) {
            const size_t ea = a.find('='), eb = b.find('=');
            const bool headingLines = a.starts_with(heading) && ea != std::string_view::npos &&
                                      eb != std::string_view::npos && a.substr(0, ea) == b.substr(0, eb);
            if (!headingLines || ulpsApart(parseReal(std::string(a.substr(ea + 1)).c_str()),
                                           parseReal(std::string(b.substr(eb + 1)).c_str())) > kHeadingUlps) {
                why = "  was: " + std::string(a.substr(0, 200)) + "\n  now: " + std::string(b.substr(0, 200));
                return false;
            }
        }
        p = pe + 1;
        q = qe + 1;
    }
    return true;
}

// Opening a file resets the scenery (newScenery) and then reads it. Here the
// reset is cut down, since newScenery clears all 50,000 records of both
// tables, which under the sanitizers costs more than most readings: only the
// records within the counts are cleared (the reader and resetToInitial touch
// no others), and every setting, the ones a reset keeps included, is set
// from the text of a new scenery. Strings are released too, so that every
// run frees what it allocates and the fuzzer's leak check stays quiet.
void reset(World& w) {
    static const std::string newText = [] {
        World fresh;
        newScenery(fresh);
        return sceneryText(fresh);
    }();
    auto clear = [](ObjectRecord* table, int used) {
        for (int i = 0; i < used; ++i) std::free(table[i].name);
        std::memset(static_cast<void*>(table), 0, sizeof(ObjectRecord) * static_cast<size_t>(used));
    };
    clear(w.initialObjects.get(), w.INIT_OBJECTS_N);
    clear(w.objects.get(), w.OBJECTS_N);
    w.INIT_OBJECTS_N = 0;
    w.OBJECTS_N = 0;
    std::string().swap(w.SCENERY_NAME);
    std::string().swap(w.SCENERY_DESCRIPTION);
    readSceneryText(w, newText);
}

// Two tables of 50,000 records each: made once, reset after every run.
World& world(int k) {
    static World* worlds = [] {
        World* w = new World[2];
        reset(w[0]);
        reset(w[1]);
        return w;
    }();
    return worlds[k];
}

// Resets both worlds when a run ends, however it ends.
struct ResetAtEnd {
    ~ResetAtEnd() {
        reset(world(0));
        reset(world(1));
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    input = input.substr(0, input.find('\0'));  // the reader stops there too
    if (asksForManyObjects(input)) return -1;

    ResetAtEnd resetAtEnd;
    World* now = &world(0);
    World* next = &world(1);
    readSceneryText(*now, input);

    // A world that holds reals a file cannot carry is written with zeros in
    // their place, which the reader's rules may turn into other values; one
    // reading later the world is all finite and must then read back as it is.
    std::string text = sceneryText(*now);
    if (!allFinite(*now)) {
        reset(*next);
        readSceneryText(*next, text);
        if (!allFinite(*next)) {
            std::fprintf(stderr, "a written text read back into a world with a non-finite real\n");
            std::abort();
        }
        text = sceneryText(*next);
        std::swap(now, next);
    }
    reset(*next);
    readSceneryText(*next, text);
    const std::string again = sceneryText(*next);
    std::string why;
    if (!sameButHeadingRounding(text, again, why)) {
        std::fprintf(stderr, "written text changed on reading it back:\n%s\n", why.c_str());
        std::abort();
    }
    return 0;
}
