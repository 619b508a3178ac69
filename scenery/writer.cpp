#include "scenery/writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include "scenery/realtext.h"

namespace vantor {

namespace {

// Builds the scenery text into `out`, handing it to `flush` whenever it has
// grown past a chunk, so a 40 MB file need not be held whole. flush may
// consume (clear) the text or leave it to grow; it returns false to stop.
template <typename Flush>
bool emitScenery(const World& w, std::string& out, Flush&& flush) {
    constexpr size_t CHUNK = size_t{1} << 20;

    auto text = [&](std::string_view key, std::string_view value) {
        out += '[';
        out += key;
        out += "]=";
        out += value;
        out += '\n';
    };
    auto integer = [&](std::string_view key, long value) {
        char digits[24];
        const auto r = std::to_chars(digits, digits + sizeof digits, value);
        text(key, std::string_view(digits, static_cast<size_t>(r.ptr - digits)));
    };
    auto real = [&](std::string_view key, double value) {
        char digits[REAL_TEXT_MAX];
        text(key, std::string_view(digits, static_cast<size_t>(formatRealTo(digits, value) - digits)));
    };
    auto reference = [&](std::string_view key, int index) { integer(key, long{index} + 1); };
    auto blank = [&] { out += '\n'; };

    text("PROGRAM_VERSION", PROGRAM_VERSION);
    blank();
    text("SCENERY_NAME", w.SCENERY_NAME);
    text("SCENERY_DESCRIPTION", w.SCENERY_DESCRIPTION);
    blank();
    integer("FILE_READ_ONLY", w.FILE_READ_ONLY);
    integer("PROCESS_PRIORITY", w.PROCESS_PRIORITY);
    integer("CALCULATE_RELATIVISTIC_MASSES", w.CALCULATE_RELATIVISTIC_MASSES);
    integer("ALLOW_OBJECT_COLLISIONS", w.ALLOW_OBJECT_COLLISIONS);
    integer("FPS_DESIRED", w.FPS_DESIRED);
    integer("DISPLAY_OBJECT_NAMES", w.DISPLAY_OBJECT_NAMES);
    integer("DIM_DISTANT_OBJECTS", w.DIM_DISTANT_OBJECTS);
    integer("SHOW_OBJECT_TRAILS", w.SHOW_OBJECT_TRAILS);
    integer("DISPLAY_OBJECTS_AS_DOTS", w.DISPLAY_OBJECTS_AS_DOTS);
    integer("IMPROVE_OBJECTS_VISIBILITY", w.IMPROVE_OBJECTS_VISIBILITY);
    integer("AUTOSAVE_ENABLED", w.AUTOSAVE_ENABLED);
    integer("AUTOSAVE_PERIOD", w.AUTOSAVE_PERIOD);
    integer("AUTOSAVE_INTO_SEPARATE_FILES", w.AUTOSAVE_INTO_SEPARATE_FILES);
    integer("AUTOSTOP_MODE", w.AUTOSTOP_MODE);
    integer("AUTOSTOP_RT_PERIOD", w.AUTOSTOP_RT_PERIOD);
    real("AUTOSTOP_ST_PERIOD", w.AUTOSTOP_ST_PERIOD);
    integer("RESTART_AFTER_AUTOSTOP", w.RESTART_AFTER_AUTOSTOP);
    real("VIEW_ROTATING_STEP", w.VIEW_ROTATING_STEP);
    integer("COLLISION_COUNTER", w.COLLISION_COUNTER);
    blank();
    integer("DISPLAY_STATIC_SCENERY", w.DISPLAY_STATIC_SCENERY);
    integer("STATIC_SCENERY_OBJECTS_N", w.STATIC_SCENERY_OBJECTS_N);
    blank();
    integer("ORIGIN_MODE", w.ORIGIN_MODE);
    reference("ORIGIN_OBJECT", w.ORIGIN_OBJECT);
    real("ORIGIN_POSITION_X", w.ORIGIN_POSITION_X);
    real("ORIGIN_POSITION_Y", w.ORIGIN_POSITION_Y);
    real("ORIGIN_POSITION_Z", w.ORIGIN_POSITION_Z);
    real("ORIGIN_OFFSET_X", w.ORIGIN_OFFSET_X);
    real("ORIGIN_OFFSET_Y", w.ORIGIN_OFFSET_Y);
    real("ORIGIN_OFFSET_Z", w.ORIGIN_OFFSET_Z);
    blank();
    real("VIEWPOINT_FOV", w.VIEWPOINT_FOV);
    integer("VIEWPOINT_MODE", w.VIEWPOINT_MODE);
    reference("VIEWPOINT_OBJECT", w.VIEWPOINT_OBJECT);
    real("VIEWPOINT_DISTANCE", w.VIEWPOINT_DISTANCE);
    real("VIEWPOINT_THETA", w.VIEWPOINT_THETA);
    real("VIEWPOINT_PHI", w.VIEWPOINT_PHI);
    real("VIEWPOINT_ALPHA", w.VIEWPOINT_ALPHA);
    real("VIEWPOINT_POSITION_X", w.VIEWPOINT_POSITION_X);
    real("VIEWPOINT_POSITION_Y", w.VIEWPOINT_POSITION_Y);
    real("VIEWPOINT_POSITION_Z", w.VIEWPOINT_POSITION_Z);
    blank();
    integer("SPACECRAFT_MODE", w.SPACECRAFT_MODE);
    reference("SPACECRAFT_OBJECT", w.SPACECRAFT_OBJECT);
    real("SPACECRAFT_THRUST_FORCE_MAX", w.SPACECRAFT_THRUST_FORCE_MAX);
    real("SPACECRAFT_THRUST_FORCE", w.SPACECRAFT_THRUST_FORCE);
    real("SPACECRAFT_DIRECTION_X", w.SPACECRAFT_DIRECTION_X);
    real("SPACECRAFT_DIRECTION_Y", w.SPACECRAFT_DIRECTION_Y);
    real("SPACECRAFT_DIRECTION_Z", w.SPACECRAFT_DIRECTION_Z);
    integer("SPACECRAFT_TRACKING_MODE", w.SPACECRAFT_TRACKING_MODE);
    integer("SPACECRAFT_AUTOTRACKING", w.SPACECRAFT_AUTOTRACKING);
    reference("SPACECRAFT_TRACKING_OBJECT", w.SPACECRAFT_TRACKING_OBJECT);
    blank();
    real("INIT_SIMULATION_TIME_STEP", w.INIT_SIMULATION_TIME_STEP);
    real("SIMULATION_TIME_STEP", w.SIMULATION_TIME_STEP);
    real("SIMULATION_TIME", w.SIMULATION_TIME);
    blank();
    integer("INIT_OBJECTS_N", w.INIT_OBJECTS_N);
    integer("OBJECTS_N", w.OBJECTS_N);
    blank();
    integer("GROUP_N", w.GROUP_N);
    blank();

    // One object block. The ten fixed-size lines are assembled in a local
    // buffer (each at most prefix + suffix + 24 characters) and appended at once.
    auto block = [&](std::string_view prefix, int n, const ObjectRecord& o) {
        char head[32];  // "[INIT_OBJECT_" n "_"
        char* h = head;
        std::memcpy(h, prefix.data(), prefix.size());
        h += prefix.size();
        h = std::to_chars(h, head + sizeof head, n).ptr;
        *h++ = '_';
        const size_t headLength = static_cast<size_t>(h - head);

        auto put = [](char* p, std::string_view s) {
            std::memcpy(p, s.data(), s.size());
            return p + s.size();
        };
        out.append(head, headLength);
        out += "NAME]=";
        // No object the system makes lacks a name; should one, its value
        // stays empty, which the reader takes back as an empty name.
        if (o.name) out += o.name;
        out += '\n';

        char lines[10 * (32 + 10 + REAL_TEXT_MAX)];
        char* p = lines;
        auto realLine = [&](std::string_view suffix, double value) {
            p = put(p, std::string_view(head, headLength));
            p = put(p, suffix);
            p = formatRealTo(p, value);
            *p++ = '\n';
        };
        realLine("MASS]=", o.mass);
        realLine("RADIUS]=", o.radius);
        realLine("X]=", o.x);
        realLine("Y]=", o.y);
        realLine("Z]=", o.z);
        realLine("VX]=", o.vx);
        realLine("VY]=", o.vy);
        realLine("VZ]=", o.vz);
        p = put(p, std::string_view(head, headLength));
        p = put(p, "COLOR]=");
        p = std::to_chars(p, lines + sizeof lines, o.color, 16).ptr;  // lower case, no leading zeros
        *p++ = '\n';
        p = put(p, std::string_view(head, headLength));
        p = put(p, "DISABLED]=");
        p = std::to_chars(p, lines + sizeof lines, unsigned{o.disabled}).ptr;
        *p++ = '\n';
        *p++ = '\n';
        out.append(lines, static_cast<size_t>(p - lines));
    };

    for (int i = 0; i < w.INIT_OBJECTS_N; ++i) {
        block("[INIT_OBJECT_", i + 1, w.initialObjects[i]);
        if (out.size() >= CHUNK && !flush(out)) return false;
    }
    out += "\n\n";
    for (int i = 0; i < w.OBJECTS_N; ++i) {
        block("[OBJECT_", i + 1, w.objects[i]);
        if (out.size() >= CHUNK && !flush(out)) return false;
    }
    return flush(out);
}

std::string reason(int err) { return std::generic_category().message(err); }

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Creates a fresh file beside `target` with a name no one else uses. The
// kernel applies the umask to 0666, so a new scenery gets the usual rights.
int createTemporary(const std::string& target, std::string& tempPath) {
    // A name at the length limit leaves no room for the suffix; then a short
    // hidden name in the same folder serves.
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    bool shortName = false;
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    uint64_t state = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                     (static_cast<uint64_t>(::getpid()) << 32) ^ reinterpret_cast<uintptr_t>(&tempPath);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // splitmix64: cheap, and good enough to make clashes unlikely.
        state += 0x9e3779b97f4a7c15ULL;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        tempPath = shortName ? folder + ".scenery.tmp-" : target + ".tmp-";
        for (int i = 0; i < 6; ++i, z >>= 6) tempPath += letters[z % 62];
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno == ENAMETOOLONG && !shortName) {
            shortName = true;
            continue;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

// Where the bytes must end up: through a symbolic link to the file it names,
// so that saving does not replace the link by a plain file.
std::string resolveTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string resolved(real);
            std::free(real);
            return resolved;
        }
    }
    return path;
}

}  // namespace

std::string sceneryText(const World& world) {
    std::string text;
    // About 450 bytes per object block; reserve to build without copying.
    text.reserve(4096 + 460 * static_cast<size_t>(std::max(0, world.INIT_OBJECTS_N) +
                                                   std::max(0, world.OBJECTS_N)));
    emitScenery(world, text, [](std::string&) { return true; });
    return text;
}

int writeSceneryFile(World& world, const std::string& path, std::string* error) {
    auto fail = [&](int err) {
        if (error) *error = reason(err);
        return -1;
    };
    const std::string target = resolveTarget(path);

    // Refuse what could not be opened for writing before writing anything:
    // a folder in the file's place, or an existing file without write access.
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return fail(EISDIR);
    if (exists && ::access(target.c_str(), W_OK) != 0) return fail(errno);

    // A device or pipe in the file's place is written to directly: renaming
    // over it would replace the device node itself.
    const bool direct = exists && !S_ISREG(existing.st_mode);
    std::string tempPath;
    const int fd = direct ? ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC)
                          : createTemporary(target, tempPath);
    if (fd < 0) return fail(errno);

    int err = 0;
    if (exists && !direct && ::fchmod(fd, existing.st_mode & 07777) != 0) err = errno;
    if (!err) {
        std::string chunk;
        chunk.reserve((size_t{1} << 20) + 65536);
        const bool written = emitScenery(world, chunk, [&](std::string& text) {
            if (!writeAll(fd, text.data(), text.size())) return false;
            text.clear();
            return true;
        });
        if (!written) err = errno ? errno : EIO;
    }
    // Bytes still in the kernel's cache may fail to reach the disk; fsync
    // reports that here instead of losing the scenery silently.
    if (!err && !direct && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && !direct && ::rename(tempPath.c_str(), target.c_str()) != 0) err = errno;
    if (err) {
        if (!direct) ::unlink(tempPath.c_str());
        return fail(err);
    }

    if (!direct) {
        // Make the rename durable too. The new file is complete and in
        // place by now, so a failure here is not worth a failed save.
        const size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
        const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
    }

    world.sceneryModified = 0;
    world.sceneryOnDisk = 1;
    return 0;
}

void sanitizeUserText(std::string& text) {
    for (char& c : text) {
        if (c == '[') c = '(';
        else if (c == ']') c = ')';
    }
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' ')) --end;
    text.resize(end);
}

}  // namespace vantor
