#include "scenery/reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "scenery/examples.h"
#include "scenery/realtext.h"

namespace vantor {

namespace {

// Files beyond this are refused rather than read: no scenery comes near it
// (a full one is about 45 MB), and key positions then fit in 32 bits.
constexpr size_t MAX_FILE_SIZE = size_t{1} << 31;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

size_t copyLineValue(std::string_view text, size_t keyEnd, char* value, size_t capacity) {
    // A key without its own "=" takes the value behind the next one.
    const size_t eq = text.find('=', keyEnd);
    if (eq == std::string_view::npos) {
        value[0] = '\0';
        return text.size();
    }
    size_t end = eq + 1;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    const size_t length = std::min(end - eq - 1, capacity);
    std::memcpy(value, text.data() + eq + 1, length);
    value[length] = '\0';
    return end;
}

size_t copyBlockValue(std::string_view text, size_t keyEnd, char* value, size_t capacity) {
    const size_t eq = text.find('=', keyEnd);
    if (eq == std::string_view::npos) {
        value[0] = '\0';
        return text.size();
    }
    size_t end = text.find_first_of("[]", eq + 1);
    if (end == std::string_view::npos) end = text.size();
    size_t length = std::min(end - eq - 1, capacity);
    std::memcpy(value, text.data() + eq + 1, length);
    while (length > 0 && (value[length - 1] == '\n' || value[length - 1] == '\r')) --length;
    value[length] = '\0';
    return end;
}

size_t searchKey(std::string_view text, size_t cursor, std::string_view key) {
    size_t at = std::string_view::npos;
    if (cursor != NO_CURSOR) at = text.find(key, cursor);
    if (at == std::string_view::npos) at = text.find(key);
    return at;
}

// Key lookup with the cursor. Reading a file in written order finds every
// key just behind the cursor, one pass in all. Keys that are absent or out
// of order cost a scan of the text each; a file missing a key in every
// object block would make that quadratic (minutes for a full file), so past a
// budget of scanned bytes an index of all keys takes over. The index gives
// the same answers: the first occurrence at or after the cursor, else the
// first in the text.
class KeyFinder {
public:
    KeyFinder(std::string_view text, size_t budget) : text_(text), budget_(budget) {}

    size_t find(std::string_view key, size_t cursor) {
        if (!indexed_ && scanned_ >= budget_) buildIndex();
        if (indexed_ && isPlainKey(key)) return findIndexed(key, cursor);

        size_t at = std::string_view::npos;
        if (cursor != NO_CURSOR && cursor < text_.size()) {
            at = text_.find(key, cursor);
            scanned_ += at == std::string_view::npos ? text_.size() - cursor : at - cursor + key.size();
        }
        if (at == std::string_view::npos) {
            at = text_.find(key);
            scanned_ += at == std::string_view::npos ? text_.size() : at + key.size();
        }
        return at;
    }

private:
    // Every occurrence of a bracketed key without inner brackets is a "["
    // whose next bracket is "]", so those spans are all the index needs.
    static bool isPlainKey(std::string_view key) {
        return key.size() >= 2 && key.front() == '[' && key.back() == ']' &&
               key.substr(1, key.size() - 2).find_first_of("[]") == std::string_view::npos;
    }

    void buildIndex() {
        indexed_ = true;
        struct Span {
            uint32_t start, length;
        };
        std::vector<Span> spans;
        size_t open = std::string_view::npos;
        for (size_t i = 0; i < text_.size(); ++i) {
            const char c = text_[i];
            if (c == '[') {
                open = i;
            } else if (c == ']' && open != std::string_view::npos) {
                spans.push_back({static_cast<uint32_t>(open), static_cast<uint32_t>(i + 1 - open)});
                open = std::string_view::npos;
            }
        }
        // Group the positions by key, each group in text order.
        ids_.reserve(spans.size());
        std::vector<uint32_t> idOf(spans.size());
        for (size_t i = 0; i < spans.size(); ++i) {
            const auto [it, added] = ids_.try_emplace(text_.substr(spans[i].start, spans[i].length),
                                                      static_cast<uint32_t>(ids_.size()));
            idOf[i] = it->second;
        }
        firstOf_.assign(ids_.size() + 1, 0);
        for (uint32_t id : idOf) ++firstOf_[id + 1];
        for (size_t id = 0; id < ids_.size(); ++id) firstOf_[id + 1] += firstOf_[id];
        positions_.resize(spans.size());
        std::vector<uint32_t> fill(firstOf_.begin(), firstOf_.end() - 1);
        for (size_t i = 0; i < spans.size(); ++i) positions_[fill[idOf[i]]++] = spans[i].start;
    }

    size_t findIndexed(std::string_view key, size_t cursor) const {
        const auto it = ids_.find(key);
        if (it == ids_.end()) return std::string_view::npos;
        const auto first = positions_.begin() + firstOf_[it->second];
        const auto last = positions_.begin() + firstOf_[it->second + 1];
        if (cursor != NO_CURSOR) {
            const auto at = std::lower_bound(first, last, cursor,
                                             [](uint32_t p, size_t c) { return p < c; });
            if (at != last) return *at;
        }
        return *first;
    }

    std::string_view text_;
    size_t budget_;
    size_t scanned_ = 0;
    bool indexed_ = false;
    std::unordered_map<std::string_view, uint32_t> ids_;
    std::vector<uint32_t> firstOf_;    // per key id: its first slot in positions_
    std::vector<uint32_t> positions_;  // key starts, grouped by key id
};

// The text, the cursor and the value buffer of one read.
class Lookup {
public:
    Lookup(std::string_view text, size_t budget, char* buffer)
        : text_(text), finder_(text, budget), value_(buffer) {}

    // The value of key, or nullptr when the key is absent (the cursor is then
    // gone and the next lookup starts at the beginning).
    const char* value(std::string_view key) {
        const size_t at = finder_.find(key, cursor_);
        cursor_ = at == std::string_view::npos ? NO_CURSOR
                                               : copyLineValue(text_, at + key.size(), value_, VALUE_CAPACITY);
        return cursor_ == NO_CURSOR ? nullptr : value_;
    }

    const char* block(std::string_view key) {
        const size_t at = finder_.find(key, cursor_);
        cursor_ = at == std::string_view::npos ? NO_CURSOR
                                               : copyBlockValue(text_, at + key.size(), value_, VALUE_CAPACITY);
        return cursor_ == NO_CURSOR ? nullptr : value_;
    }

private:
    std::string_view text_;
    KeyFinder finder_;
    char* value_;
    size_t cursor_ = NO_CURSOR;
};

int flag(int32_t v) { return v >= 1 ? 1 : 0; }
int zeroToThree(int32_t v) { return v >= 0 && v <= 3 ? v : 0; }
int oneOrTwo(int32_t v) { return v == 1 || v == 2 ? v : 0; }
int clampInt(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }
int reference(int32_t v) { return v >= 1 ? v - 1 : 0; }

double reduceAngle(double degrees) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0) r += 360.0;
    // A tiny negative remainder plus 360 rounds to 360 itself, and an
    // infinite angle has no remainder: neither lies in [0, 360).
    if (!(r < 360.0)) r = 0.0;
    return r;
}

void readObjects(World& w, Lookup& lookup, bool initial) {
    ObjectRecord* table = initial ? w.initialObjects.get() : w.objects.get();
    const int count = initial ? w.INIT_OBJECTS_N : w.OBJECTS_N;
    const std::string_view prefix = initial ? "[INIT_OBJECT_" : "[OBJECT_";

    // Keys are built in place: the prefix and number once per object, then
    // each suffix behind them.
    char key[64];
    std::memcpy(key, prefix.data(), prefix.size());
    for (int n = 1; n <= count; ++n) {
        ObjectRecord& o = table[n - 1];
        char* numberEnd = std::to_chars(key + prefix.size(), key + sizeof key, n).ptr;
        *numberEnd++ = '_';
        auto value = [&](std::string_view suffix) {
            std::memcpy(numberEnd, suffix.data(), suffix.size());
            return lookup.value(std::string_view(key, static_cast<size_t>(numberEnd - key) + suffix.size()));
        };
        auto real = [&](std::string_view suffix, double& field) {
            if (const char* v = value(suffix)) field = parseReal(v);
        };

        if (const char* v = value("NAME]")) {
            setObjectName(o, v);
        } else if (!initial && n <= w.INIT_OBJECTS_N) {
            setObjectName(o, w.initialObjects[n - 1].name);
        } else {
            char name[32];
            std::snprintf(name, sizeof name, "Object %ld", static_cast<long>(n));
            setObjectName(o, name);
        }
        if (const char* v = value("MASS]")) {
            o.mass = std::fabs(parseReal(v));
            if (o.mass == 0) o.disabled = 1;  // a DISABLED key below may override
        }
        if (const char* v = value("RADIUS]")) o.radius = std::fabs(parseReal(v));
        real("X]", o.x);
        real("Y]", o.y);
        real("Z]", o.z);
        real("VX]", o.vx);
        real("VY]", o.vy);
        real("VZ]", o.vz);
        if (const char* v = value("COLOR]")) o.color = parseHexColor(v);
        if (const char* v = value("DISABLED]")) o.disabled = clampDisabled(parseInteger(v));
    }
}

void applyText(World& w, std::string_view text, size_t budget, char* buffer) {
    // Lookups work on the text as a C string would: up to its first zero byte.
    if (const void* zero = std::memchr(text.data(), 0, text.size())) {
        text = text.substr(0, static_cast<size_t>(static_cast<const char*>(zero) - text.data()));
    }
    Lookup lookup(text, budget, buffer);

    auto integer = [&](std::string_view key, int& field, auto rule) {
        if (const char* v = lookup.value(key)) field = rule(parseInteger(v));
    };
    auto real = [&](std::string_view key, double& field, auto rule) {
        if (const char* v = lookup.value(key)) field = rule(parseReal(v));
    };
    auto asRead = [](double v) { return v; };
    auto flagKey = [&](std::string_view key, int& field) { integer(key, field, flag); };
    auto clamped = [](int32_t lo, int32_t hi) { return [=](int32_t v) { return clampInt(v, lo, hi); }; };
    constexpr int32_t THIRTY_DAYS = 2592000;  // s

    lookup.value("[PROGRAM_VERSION]");  // only moves the cursor
    if (const char* v = lookup.value("[SCENERY_NAME]")) w.SCENERY_NAME = v;
    if (const char* v = lookup.block("[SCENERY_DESCRIPTION]")) w.SCENERY_DESCRIPTION = v;
    flagKey("[FILE_READ_ONLY]", w.FILE_READ_ONLY);
    integer("[PROCESS_PRIORITY]", w.PROCESS_PRIORITY, zeroToThree);
    flagKey("[CALCULATE_RELATIVISTIC_MASSES]", w.CALCULATE_RELATIVISTIC_MASSES);
    flagKey("[ALLOW_OBJECT_COLLISIONS]", w.ALLOW_OBJECT_COLLISIONS);
    integer("[FPS_DESIRED]", w.FPS_DESIRED, clamped(5, 1000));
    flagKey("[DISPLAY_OBJECT_NAMES]", w.DISPLAY_OBJECT_NAMES);
    flagKey("[DIM_DISTANT_OBJECTS]", w.DIM_DISTANT_OBJECTS);
    flagKey("[SHOW_OBJECT_TRAILS]", w.SHOW_OBJECT_TRAILS);
    flagKey("[DISPLAY_OBJECTS_AS_DOTS]", w.DISPLAY_OBJECTS_AS_DOTS);
    flagKey("[IMPROVE_OBJECTS_VISIBILITY]", w.IMPROVE_OBJECTS_VISIBILITY);
    flagKey("[AUTOSAVE_ENABLED]", w.AUTOSAVE_ENABLED);
    integer("[AUTOSAVE_PERIOD]", w.AUTOSAVE_PERIOD, clamped(0, THIRTY_DAYS));
    flagKey("[AUTOSAVE_INTO_SEPARATE_FILES]", w.AUTOSAVE_INTO_SEPARATE_FILES);
    integer("[AUTOSTOP_MODE]", w.AUTOSTOP_MODE, zeroToThree);
    integer("[AUTOSTOP_RT_PERIOD]", w.AUTOSTOP_RT_PERIOD, clamped(0, THIRTY_DAYS));
    real("[AUTOSTOP_ST_PERIOD]", w.AUTOSTOP_ST_PERIOD,
         [](double v) { return v < 0 ? 0.0 : v > 1e12 ? 1e12 : v; });
    flagKey("[RESTART_AFTER_AUTOSTOP]", w.RESTART_AFTER_AUTOSTOP);
    real("[VIEW_ROTATING_STEP]", w.VIEW_ROTATING_STEP, [](double v) { return v > 0 && v <= 10 ? v : 0.22; });
    integer("[COLLISION_COUNTER]", w.COLLISION_COUNTER, [](int32_t v) { return v < 0 ? 0 : v; });
    flagKey("[DISPLAY_STATIC_SCENERY]", w.DISPLAY_STATIC_SCENERY);
    // Only the count is stored; the rendering layer generates the points
    // from it after a load.
    integer("[STATIC_SCENERY_OBJECTS_N]", w.STATIC_SCENERY_OBJECTS_N, clamped(0, 100000));

    integer("[ORIGIN_MODE]", w.ORIGIN_MODE, oneOrTwo);
    integer("[ORIGIN_OBJECT]", w.ORIGIN_OBJECT, reference);
    real("[ORIGIN_POSITION_X]", w.ORIGIN_POSITION_X, asRead);
    real("[ORIGIN_POSITION_Y]", w.ORIGIN_POSITION_Y, asRead);
    real("[ORIGIN_POSITION_Z]", w.ORIGIN_POSITION_Z, asRead);
    real("[ORIGIN_OFFSET_X]", w.ORIGIN_OFFSET_X, asRead);
    real("[ORIGIN_OFFSET_Y]", w.ORIGIN_OFFSET_Y, asRead);
    real("[ORIGIN_OFFSET_Z]", w.ORIGIN_OFFSET_Z, asRead);

    real("[VIEWPOINT_FOV]", w.VIEWPOINT_FOV, [](double v) { return v > 110 ? 110.0 : v > 0 ? v : 10.0; });
    integer("[VIEWPOINT_MODE]", w.VIEWPOINT_MODE, oneOrTwo);
    integer("[VIEWPOINT_OBJECT]", w.VIEWPOINT_OBJECT, reference);
    real("[VIEWPOINT_DISTANCE]", w.VIEWPOINT_DISTANCE, [](double v) { return v == 0 ? 1e10 : std::fabs(v); });
    real("[VIEWPOINT_THETA]", w.VIEWPOINT_THETA, [](double v) { return v < 0 ? 0.0 : v > 180 ? 180.0 : v; });
    real("[VIEWPOINT_PHI]", w.VIEWPOINT_PHI, reduceAngle);
    real("[VIEWPOINT_ALPHA]", w.VIEWPOINT_ALPHA, reduceAngle);
    real("[VIEWPOINT_POSITION_X]", w.VIEWPOINT_POSITION_X, asRead);
    real("[VIEWPOINT_POSITION_Y]", w.VIEWPOINT_POSITION_Y, asRead);
    real("[VIEWPOINT_POSITION_Z]", w.VIEWPOINT_POSITION_Z, asRead);

    integer("[SPACECRAFT_MODE]", w.SPACECRAFT_MODE, [](int32_t v) { return v < 0 ? 0 : v; });
    integer("[SPACECRAFT_OBJECT]", w.SPACECRAFT_OBJECT, reference);
    auto absolute = [](double v) { return std::fabs(v); };
    real("[SPACECRAFT_THRUST_FORCE_MAX]", w.SPACECRAFT_THRUST_FORCE_MAX, absolute);
    real("[SPACECRAFT_THRUST_FORCE]", w.SPACECRAFT_THRUST_FORCE, absolute);
    if (w.SPACECRAFT_THRUST_FORCE > w.SPACECRAFT_THRUST_FORCE_MAX) {
        w.SPACECRAFT_THRUST_FORCE = w.SPACECRAFT_THRUST_FORCE_MAX;
    }
    real("[SPACECRAFT_DIRECTION_X]", w.SPACECRAFT_DIRECTION_X, asRead);
    real("[SPACECRAFT_DIRECTION_Y]", w.SPACECRAFT_DIRECTION_Y, asRead);
    real("[SPACECRAFT_DIRECTION_Z]", w.SPACECRAFT_DIRECTION_Z, asRead);
    {
        // The heading must be a unit vector. The sum runs from z as always,
        // since the order decides whether a stored unit vector measures
        // exactly 1 and so reads back bit for bit.
        double& x = w.SPACECRAFT_DIRECTION_X;
        double& y = w.SPACECRAFT_DIRECTION_Y;
        double& z = w.SPACECRAFT_DIRECTION_Z;
        double length = std::sqrt(z * z + y * y + x * x);
        if (!std::isfinite(length) || (length == 0 && (x != 0 || y != 0 || z != 0))) {
            // The squares overflowed or vanished (or a component is not
            // finite): the same heading from components of about 1.
            const double largest = std::max({std::fabs(x), std::fabs(y), std::fabs(z)});
            for (double* c : {&x, &y, &z}) {
                if (std::isinf(largest)) *c = std::isinf(*c) ? std::copysign(1.0, *c) : 0.0;
                else if (std::isnan(largest) || std::isnan(*c)) *c = 0.0;
                else *c /= largest;
            }
            length = std::sqrt(z * z + y * y + x * x);
        }
        if (length == 0) {
            x = 0;
            y = 0;
            z = -1;
        } else if (length != 1) {
            x /= length;
            y /= length;
            z /= length;
        }
    }
    integer("[SPACECRAFT_TRACKING_MODE]", w.SPACECRAFT_TRACKING_MODE, oneOrTwo);
    flagKey("[SPACECRAFT_AUTOTRACKING]", w.SPACECRAFT_AUTOTRACKING);
    integer("[SPACECRAFT_TRACKING_OBJECT]", w.SPACECRAFT_TRACKING_OBJECT, reference);

    real("[INIT_SIMULATION_TIME_STEP]", w.INIT_SIMULATION_TIME_STEP,
         [&](double v) { return acceptPositiveUpTo(w.INIT_SIMULATION_TIME_STEP, v, 1e10); });
    real("[SIMULATION_TIME_STEP]", w.SIMULATION_TIME_STEP,
         [&](double v) { return acceptPositiveUpTo(w.SIMULATION_TIME_STEP, v, 1e10); });
    real("[SIMULATION_TIME]", w.SIMULATION_TIME, [](double v) { return v < 0 ? 0.0 : v; });

    // Counts are capped whether read or not.
    auto notNegative = [](int32_t v) { return v < 0 ? 0 : v; };
    integer("[INIT_OBJECTS_N]", w.INIT_OBJECTS_N, notNegative);
    w.INIT_OBJECTS_N = std::min(w.INIT_OBJECTS_N, MAX_OBJECTS);
    integer("[OBJECTS_N]", w.OBJECTS_N, notNegative);
    w.OBJECTS_N = std::min(w.OBJECTS_N, MAX_OBJECTS);
    integer("[GROUP_N]", w.GROUP_N, notNegative);
    w.GROUP_N = std::min(w.GROUP_N, 100);

    readObjects(w, lookup, true);
    readObjects(w, lookup, false);

    if (w.INIT_OBJECTS_N > 0 && w.OBJECTS_N == 0) resetToInitial(w);
    w.simTimeAtLastMeasure = w.SIMULATION_TIME;
    w.sceneryOnDisk = 1;
}

size_t defaultBudget(std::string_view text) {
    // A file read in order scans its text about once; several absent keys
    // are cheap rescans. Beyond this, building the index costs less.
    return 8 * text.size() + (size_t{1} << 20);
}

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};
using TextBuffer = std::unique_ptr<char, FreeDeleter>;

std::string reason(int err) { return std::generic_category().message(err); }

// Reads the whole file. 0 on success; -1 or -2 as readScenery returns them.
int readWholeFile(const char* path, TextBuffer& text, size_t& size, std::string* error) {
    auto fail = [&](int code, const std::string& why) {
        if (error) *error = why;
        return code;
    };
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(-1, reason(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat st;
    if (::fstat(fd, &st) != 0) return fail(-1, reason(errno));
    if (S_ISDIR(st.st_mode)) return fail(-1, reason(EISDIR));
    // Regular files announce their size; pipes and devices are read until
    // their end, growing the buffer as needed.
    size_t capacity = S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) : 65536;
    if (capacity > MAX_FILE_SIZE) return fail(-2, "file too large (over 2 GiB)");
    TextBuffer buffer(static_cast<char*>(std::malloc(capacity + 1)));
    if (!buffer) return fail(-2, reason(ENOMEM));

    size = 0;
    for (;;) {
        if (size == capacity) {
            // Full: a one-byte probe tells the end from a file that grew,
            // without doubling the buffer for nothing.
            char probe;
            const ssize_t n = ::read(fd, &probe, 1);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return fail(-1, reason(errno));
            if (n == 0) break;
            if (capacity >= MAX_FILE_SIZE) return fail(-2, "file too large (over 2 GiB)");
            const size_t grown = std::min(std::max(capacity * 2, size_t{65536}), MAX_FILE_SIZE);
            char* bigger = static_cast<char*>(std::realloc(buffer.get(), grown + 1));
            if (!bigger) return fail(-2, reason(ENOMEM));
            buffer.release();
            buffer.reset(bigger);
            capacity = grown;
            buffer.get()[size++] = probe;
            continue;
        }
        const ssize_t n = ::read(fd, buffer.get() + size, capacity - size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(-1, reason(errno));
        }
        if (n == 0) break;
        size += static_cast<size_t>(n);
    }
    buffer.get()[size] = '\0';
    text = std::move(buffer);
    return 0;
}

}  // namespace

int32_t parseInteger(const char* text) {
    const char* p = text;
    while (isSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    // Unsigned arithmetic wraps where a signed accumulator would overflow.
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

uint32_t parseHexColor(const char* value) {
    uint32_t color = 0;
    int digit = 0;
    for (const char* p = value + std::strlen(value); p > value; ++digit) {
        char c = p[-1];
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
        uint32_t v;
        if (c >= '0' && c <= '9') {
            v = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            v = static_cast<uint32_t>(c - 'a' + 10);
        } else {
            break;
        }
        // A 32-bit value: digits beyond the eighth would shift out entirely.
        if (digit < 8) color += v << (4 * digit);
        --p;
    }
    return color;
}

size_t findKeyValue(std::string_view text, size_t cursor, std::string_view key, char* value,
                    size_t capacity) {
    const size_t at = searchKey(text, cursor, key);
    if (at == std::string_view::npos) return NO_CURSOR;
    return copyLineValue(text, at + key.size(), value, capacity);
}

size_t findKeyText(std::string_view text, size_t cursor, std::string_view key, char* value,
                   size_t capacity) {
    const size_t at = searchKey(text, cursor, key);
    if (at == std::string_view::npos) return NO_CURSOR;
    return copyBlockValue(text, at + key.size(), value, capacity);
}

void readSceneryText(World& world, std::string_view text, size_t searchBudget) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[VALUE_CAPACITY + 1]);
    if (!buffer) return;
    applyText(world, text, searchBudget, buffer.get());
}

void readSceneryText(World& world, std::string_view text) {
    readSceneryText(world, text, defaultBudget(text));
}

int readScenery(World& world, int exampleNumber, const char* path, std::string* error) {
    std::string_view text;
    TextBuffer fileText;
    if (exampleNumber != 0) {
        const ExampleScenery* example = findExample(exampleNumber);
        if (!example) {
            if (error) *error = "no built-in example " + std::to_string(exampleNumber);
            return -2;
        }
        text = std::string_view(reinterpret_cast<const char*>(example->data), example->size);
    } else if (path) {
        size_t size = 0;
        if (const int result = readWholeFile(path, fileText, size, error); result != 0) return result;
        text = std::string_view(fileText.get(), size);
    } else {
        return 0;
    }

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[VALUE_CAPACITY + 1]);
    if (!buffer) {
        if (error) *error = reason(ENOMEM);
        return -1;
    }
    applyText(world, text, defaultBudget(text), buffer.get());
    return 1;
}

}  // namespace vantor
