#include "scenery/reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/os_error.h"
#include "scenery/examples.h"
#include "scenery/realtext.h"
#include "scenery/scenery_keys.h"

namespace vantor {

namespace {

// Files beyond this are refused rather than read: no scenery comes near it
// (a full one is about 45 MB), and key positions then fit in 32 bits.
constexpr size_t MAX_FILE_SIZE = size_t{1} << 31;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Both copies set *cut when the value was longer than the buffer holds.
size_t copyLineValue(std::string_view text, size_t keyEnd, char* value, size_t capacity, bool* cut = nullptr) {
    // A key without its own "=" takes the value behind the next one.
    const size_t eq = text.find('=', keyEnd);
    if (eq == std::string_view::npos) {
        value[0] = '\0';
        return text.size();
    }
    size_t end = eq + 1;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    if (cut) *cut = end - eq - 1 > capacity;
    const size_t length = std::min(end - eq - 1, capacity);
    std::memcpy(value, text.data() + eq + 1, length);
    value[length] = '\0';
    return end;
}

size_t copyBlockValue(std::string_view text, size_t keyEnd, char* value, size_t capacity, bool* cut = nullptr) {
    const size_t eq = text.find('=', keyEnd);
    if (eq == std::string_view::npos) {
        value[0] = '\0';
        return text.size();
    }
    size_t end = text.find_first_of("[]", eq + 1);
    if (end == std::string_view::npos) end = text.size();
    if (cut) *cut = end - eq - 1 > capacity;
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
            const auto [it, added] =
                ids_.try_emplace(text_.substr(spans[i].start, spans[i].length), static_cast<uint32_t>(ids_.size()));
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
            const auto at = std::lower_bound(first, last, cursor, [](uint32_t p, size_t c) { return p < c; });
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

// How often one kind of thing happened during a read, and its first case.
class Tally {
public:
    void add(std::string_view firstCase, long times = 1) {
        if (count_ == 0) first_ = firstCase;
        count_ += times;
    }
    long count() const { return count_; }
    const std::string& first() const { return first_; }

private:
    long count_ = 0;
    std::string first_;
};

// What a read did not take as it stood; turned into the report's sentences.
struct ReadNotes {
    std::string zeroByte;     // the sentence about a text cut short, if any
    std::string counts;       // object counts above the limit
    Tally cutValues;          // values longer than the buffer
    Tally outOfRange;         // numbers that are no finite 64-bit value
    Tally missingObjects[2];  // whole objects absent, initial and current
    Tally missingValues[2];   // single values absent from present objects
    bool cutShort = false;    // the text ends inside a line or at a zero byte

    void writeTo(ReadReport& report) const;
};

std::string plural(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

void ReadNotes::writeTo(ReadReport& report) const {
    if (!zeroByte.empty()) report.notes.push_back(zeroByte);
    if (!counts.empty()) report.notes.push_back(counts);
    static const char* const tableName[2] = {"initial", "current"};
    for (int t = 0; t < 2; ++t) {
        if (missingObjects[t].count()) {
            report.notes.push_back(plural(missingObjects[t].count(), "object", "objects") + " of the " + tableName[t] +
                                   " configuration " + (missingObjects[t].count() == 1 ? "is" : "are") +
                                   " missing from the file (first: object " + missingObjects[t].first() +
                                   "); given default values.");
        }
        // Files written by hand often leave out keys that have defaults;
        // missing values only tell of damage in a text that was cut short.
        const bool damaged = cutShort || missingObjects[t].count() > 0;
        if (damaged && missingValues[t].count()) {
            report.notes.push_back(plural(missingValues[t].count(), "value", "values") + " of " + tableName[t] +
                                   " objects " + (missingValues[t].count() == 1 ? "is" : "are") +
                                   " missing (first: " + missingValues[t].first() + "); kept as after New.");
        }
    }
    if (cutValues.count()) {
        report.notes.push_back(plural(cutValues.count(), "value was", "values were") + " longer than " +
                               std::to_string(VALUE_CAPACITY) + " characters and cut (first: " + cutValues.first() +
                               ").");
    }
    if (outOfRange.count()) {
        report.notes.push_back(plural(outOfRange.count(), "number is", "numbers are") +
                               " too large for a 64-bit real and " + (outOfRange.count() == 1 ? "was" : "were") +
                               " replaced (first: " + outOfRange.first() + ").");
    }
}

// The text, the cursor and the value buffer of one read.
class Lookup {
public:
    Lookup(std::string_view text, size_t budget, char* buffer, ReadNotes& notes)
        : text_(text), finder_(text, budget), value_(buffer), notes_(notes) {}

    // The value of key, or nullptr when the key is absent (the cursor is then
    // gone and the next lookup starts at the beginning).
    const char* value(std::string_view key) { return take(key, copyLineValue); }

    const char* block(std::string_view key) { return take(key, copyBlockValue); }

    // A real as read; a number too large for a double is noted and gives
    // nothing, so that the setting or field takes its fallback instead.
    // *present tells a key that was there from one that was not.
    std::optional<double> real(std::string_view key, const char** present = nullptr) {
        const char* v = value(key);
        if (present) *present = v;
        if (!v) return std::nullopt;
        const double parsed = parseReal(v);
        if (std::isfinite(parsed)) return parsed;
        notes_.outOfRange.add(std::string(key) + "=" + std::string(v, strnlen(v, 40)));
        return std::nullopt;
    }

    ReadNotes& notes() { return notes_; }

private:
    using Copy = size_t (*)(std::string_view text, size_t keyEnd, char* value, size_t capacity, bool* cut);

    const char* take(std::string_view key, Copy copy) {
        const size_t at = finder_.find(key, cursor_);
        bool cut = false;
        cursor_ = at == std::string_view::npos ? NO_CURSOR : copy(text_, at + key.size(), value_, VALUE_CAPACITY, &cut);
        if (cursor_ == NO_CURSOR) return nullptr;
        if (cut) notes_.cutValues.add(key);
        return value_;
    }

    std::string_view text_;
    KeyFinder finder_;
    char* value_;
    ReadNotes& notes_;
    size_t cursor_ = NO_CURSOR;
};

void readObjects(World& w, Lookup& lookup, bool initial) {
    ObjectRecord* table = initial ? w.initialObjects.get() : w.objects.get();
    const int count = initial ? w.INIT_OBJECTS_N : w.OBJECTS_N;
    const std::string_view prefix = initial ? INITIAL_OBJECT_PREFIX : CURRENT_OBJECT_PREFIX;
    Tally& missingObjects = lookup.notes().missingObjects[initial ? 0 : 1];
    Tally& missingValues = lookup.notes().missingValues[initial ? 0 : 1];
    const std::span<const ObjectKey> keys = objectKeys();

    // Keys are built in place: the prefix and number once per object, then
    // each suffix behind them.
    char key[64];
    std::memcpy(key, prefix.data(), prefix.size());
    for (int n = 1; n <= count; ++n) {
        ObjectRecord& o = table[n - 1];
        char* numberEnd = std::to_chars(key + prefix.size(), key + sizeof key, n).ptr;
        *numberEnd++ = '_';
        size_t found = 0;
        std::string firstMissing;
        for (const ObjectKey& k : keys) {
            std::memcpy(numberEnd, k.suffix.data(), k.suffix.size());
            const std::string_view fullKey(key, static_cast<size_t>(numberEnd - key) + k.suffix.size());
            const char* present = nullptr;
            switch (k.form) {
                case ObjectKeyForm::Name:
                    if ((present = lookup.value(fullKey))) {
                        setObjectName(o, present);
                    } else if (!initial && n <= w.INIT_OBJECTS_N) {
                        setObjectName(o, w.initialObjects[n - 1].name);
                    } else {
                        char name[32];
                        std::snprintf(name, sizeof name, "Object %ld", static_cast<long>(n));
                        setObjectName(o, name);
                    }
                    break;
                case ObjectKeyForm::Real:
                    // A number too large for a double leaves the field as it was.
                    if (const std::optional<double> v = lookup.real(fullKey, &present)) {
                        o.*k.real = k.absolute ? std::fabs(*v) : *v;
                        if (k.zeroDisables && o.*k.real == 0) o.disabled = 1;
                    }
                    break;
                case ObjectKeyForm::Color:
                    if ((present = lookup.value(fullKey))) o.color = parseHexColor(present);
                    break;
                case ObjectKeyForm::Disabled:
                    if ((present = lookup.value(fullKey))) o.disabled = clampDisabled(parseInteger(present));
                    break;
            }
            if (present) ++found;
            else if (firstMissing.empty()) firstMissing = fullKey;
        }
        if (found == 0) missingObjects.add(std::to_string(n));
        else if (found < keys.size()) missingValues.add(firstMissing, static_cast<long>(keys.size() - found));
    }
}

// The heading must be a unit vector. The sum runs from z as always, since
// the order decides whether a stored unit vector measures exactly 1 and so
// reads back bit for bit.
void makeUnitHeading(World& w) {
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

// A number too large for a double, or a rule's result that is not finite,
// gives the setting its value after New (or keeps it, for the rules that
// keep a value they refuse).
void readRealSetting(Lookup& lookup, const SceneryKey& k, double& field) {
    const char* present = nullptr;
    if (std::optional<double> v = lookup.real(k.key, &present)) {
        const double ruled = k.realRule(*v, field);
        field = std::isfinite(ruled) ? ruled : k.afterNew.value_or(field);
    } else if (present) {
        field = k.afterNew.value_or(field);
    }
}

// The rules that apply after a key's lookup whether it was found or not.
void afterRead(World& w, const SceneryKey& k, ReadNotes& notes) {
    switch (k.after) {
        case AfterRead::Nothing: break;
        case AfterRead::ThrustAtMostMax:
            if (w.SPACECRAFT_THRUST_FORCE > w.SPACECRAFT_THRUST_FORCE_MAX) {
                w.SPACECRAFT_THRUST_FORCE = w.SPACECRAFT_THRUST_FORCE_MAX;
            }
            break;
        case AfterRead::UnitHeading: makeUnitHeading(w); break;
        case AfterRead::ObjectCount: {
            int& field = w.*k.integer;
            if (field <= MAX_OBJECTS) break;
            if (!notes.counts.empty()) notes.counts += " ";
            notes.counts += std::string(k.key) + " " + std::to_string(field) + " is above the limit of " +
                            std::to_string(MAX_OBJECTS) + " objects: only the first " + std::to_string(MAX_OBJECTS) +
                            " were read.";
            field = MAX_OBJECTS;
            break;
        }
        case AfterRead::GroupAtMost100: w.GROUP_N = std::min(w.GROUP_N, 100); break;
    }
}

// The sentence for a text that a zero byte ends early.
std::string zeroByteNote(std::string_view whole, size_t at) {
    const std::string_view rest = whole.substr(at);
    const long lines = static_cast<long>(std::count(rest.begin(), rest.end(), '\n'));
    return "A zero byte at byte " + std::to_string(at + 1) + " ends the text: the rest (" +
           plural(static_cast<long>(rest.size()), "byte", "bytes") + ", " + plural(lines, "line", "lines") +
           ") was not read.";
}

void applyText(World& w, std::string_view text, size_t budget, char* buffer, ReadNotes& notes) {
    // Lookups work on the text as a C string would: up to its first zero byte.
    if (const void* zero = std::memchr(text.data(), 0, text.size())) {
        const size_t at = static_cast<size_t>(static_cast<const char*>(zero) - text.data());
        notes.zeroByte = zeroByteNote(text, at);
        notes.cutShort = true;
        text = text.substr(0, at);
    }
    if (!text.empty() && text.back() != '\n') notes.cutShort = true;
    Lookup lookup(text, budget, buffer, notes);

    for (const SceneryKey& k : sceneryKeys()) {
        switch (k.form) {
            case KeyForm::Version: lookup.value(k.key); break;  // only moves the cursor
            case KeyForm::LineText:
                if (const char* v = lookup.value(k.key)) w.*k.text = v;
                break;
            case KeyForm::BlockText:
                if (const char* v = lookup.block(k.key)) w.*k.text = v;
                break;
            case KeyForm::Integer:
            case KeyForm::Reference:
                if (const char* v = lookup.value(k.key)) w.*k.integer = k.integerRule(parseInteger(v));
                break;
            case KeyForm::Real: readRealSetting(lookup, k, w.*k.real); break;
        }
        afterRead(w, k, notes);
    }

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

// What a file that is not a regular one is, for the message that refuses it.
std::string notRegular(mode_t mode) {
    const char* kind = S_ISFIFO(mode)   ? "a FIFO"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "not a file";
    return std::string("not a regular file (") + kind + ")";
}

// Files of the kernel's own file systems announce sizes they do not have
// and may block on reading (/proc/kmsg): they are no sceneries.
bool onKernelFileSystem(int fd) {
#ifdef __linux__
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case DEBUGFS_MAGIC:
        case SECURITYFS_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case TRACEFS_MAGIC: return true;
        default: return false;
    }
#else
    (void)fd;
    return false;
#endif
}

struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};

// Reads what the file holds into text, growing it if the file grew.
int readAll(int fd, size_t expected, std::string& text, std::string* error, const ReadProgress& progress) {
    constexpr size_t CHUNK = size_t{4} << 20;
    auto fail = [&](int code, const std::string& why) {
        if (error) *error = why;
        return code;
    };
    size_t size = 0;
    try {
        text.resize(expected);
        for (;;) {
            if (size == text.size()) {
                // Full: a one-byte probe tells the end from a file that grew,
                // without growing the buffer for nothing.
                char probe;
                const ssize_t n = ::read(fd, &probe, 1);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) return fail(-1, reason(errno));
                if (n == 0) break;
                if (size >= MAX_FILE_SIZE) return fail(-2, "file too large (over 2 GiB)");
                text.resize(std::min(std::max(size * 2, CHUNK), MAX_FILE_SIZE));
                text[size++] = probe;
                continue;
            }
            const ssize_t n = ::read(fd, text.data() + size, std::min(CHUNK, text.size() - size));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return fail(-1, reason(errno));
            if (n == 0) break;
            size += static_cast<size_t>(n);
            if (progress) progress(size, std::max(size, expected));
        }
        text.resize(size);
    } catch (const std::bad_alloc&) {
        return fail(-2, reason(ENOMEM));
    }
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

size_t findKeyValue(std::string_view text, size_t cursor, std::string_view key, char* value, size_t capacity) {
    const size_t at = searchKey(text, cursor, key);
    if (at == std::string_view::npos) return NO_CURSOR;
    return copyLineValue(text, at + key.size(), value, capacity);
}

size_t findKeyText(std::string_view text, size_t cursor, std::string_view key, char* value, size_t capacity) {
    const size_t at = searchKey(text, cursor, key);
    if (at == std::string_view::npos) return NO_CURSOR;
    return copyBlockValue(text, at + key.size(), value, capacity);
}

std::string ReadReport::text() const {
    std::string joined;
    for (const std::string& note : notes) {
        if (!joined.empty()) joined += '\n';
        joined += note;
    }
    return joined;
}

int readSceneryFile(const char* path, std::string& text, std::string* error, const ReadProgress& progress) {
    auto fail = [&](int code, const std::string& why) {
        if (error) *error = why;
        return code;
    };
    // Not blocking: a FIFO opens at once and is refused below instead of
    // waiting for a writer.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return fail(-1, reason(errno));
    FdCloser closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) return fail(-1, reason(errno));
    if (S_ISDIR(st.st_mode)) return fail(-1, reason(EISDIR));
    if (!S_ISREG(st.st_mode)) return fail(-1, notRegular(st.st_mode));
    if (onKernelFileSystem(fd)) return fail(-1, "a system file, not a regular file");
    if (static_cast<uintmax_t>(st.st_size) > MAX_FILE_SIZE) return fail(-2, "file too large (over 2 GiB)");
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return readAll(fd, static_cast<size_t>(st.st_size), text, error, progress);
}

void readSceneryText(World& world, std::string_view text, size_t searchBudget, ReadReport* report) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[VALUE_CAPACITY + 1]);
    if (!buffer) return;
    ReadNotes notes;
    applyText(world, text, searchBudget, buffer.get(), notes);
    if (report) notes.writeTo(*report);
}

void readSceneryText(World& world, std::string_view text) { readSceneryText(world, text, defaultBudget(text)); }

void readSceneryText(World& world, std::string_view text, ReadReport& report) {
    readSceneryText(world, text, defaultBudget(text), &report);
}

int readScenery(World& world, int exampleNumber, const char* path, std::string* error, ReadReport* report) {
    std::string_view text;
    std::string fileText;
    if (exampleNumber != 0) {
        const ExampleScenery* example = findExample(exampleNumber);
        if (!example) {
            if (error) *error = "no built-in example " + std::to_string(exampleNumber);
            return -2;
        }
        text = std::string_view(reinterpret_cast<const char*>(example->data), example->size);
    } else if (path) {
        if (const int result = readSceneryFile(path, fileText, error); result != 0) return result;
        text = fileText;
    } else {
        return 0;
    }

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[VALUE_CAPACITY + 1]);
    if (!buffer) {
        if (error) *error = reason(ENOMEM);
        return -1;
    }
    ReadNotes notes;
    applyText(world, text, defaultBudget(text), buffer.get(), notes);
    if (report) notes.writeTo(*report);
    return 1;
}

}  // namespace vantor
