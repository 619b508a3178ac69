#include "scenery/writer.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/os_error.h"
#include "scenery/realtext.h"
#include "scenery/scenery_keys.h"

namespace vantor {

namespace {

// Builds the scenery text into `out`, handing it to `flush` whenever it has
// grown past a chunk, so a 40 MB file need not be held whole. flush may
// consume (clear) the text or leave it to grow; it returns false to stop.
template <typename Flush>
bool emitScenery(const World& w, std::string& out, Flush&& flush) {
    constexpr size_t CHUNK = size_t{1} << 20;

    // key is bracketed, as in the file.
    auto text = [&](std::string_view key, std::string_view value) {
        out += key;
        out += '=';
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

    for (const SceneryKey& k : sceneryKeys()) {
        switch (k.form) {
            case KeyForm::Version: text(k.key, PROGRAM_VERSION); break;
            case KeyForm::LineText:
            case KeyForm::BlockText: text(k.key, w.*k.text); break;
            case KeyForm::Integer: integer(k.key, w.*k.integer); break;
            case KeyForm::Reference: integer(k.key, long{w.*k.integer} + 1); break;
            case KeyForm::Real: real(k.key, w.*k.real); break;
        }
        if (k.blankAfter) out += '\n';
    }

    // One object block. The fixed-size lines are assembled in a local
    // buffer (each at most prefix + suffix + 24 characters) and appended at
    // once; the name, of any length, goes straight to the text.
    auto block = [&](std::string_view prefix, int n, const ObjectRecord& o) {
        char head[32];  // "[INIT_OBJECT_" n "_"
        char* h = head;
        std::memcpy(h, prefix.data(), prefix.size());
        h += prefix.size();
        h = std::to_chars(h, head + sizeof head, n).ptr;
        *h++ = '_';
        const std::string_view headText(head, static_cast<size_t>(h - head));

        auto put = [](char* p, std::string_view s) {
            std::memcpy(p, s.data(), s.size());
            return p + s.size();
        };
        char lines[10 * (32 + 10 + REAL_TEXT_MAX)];
        char* p = lines;
        for (const ObjectKey& k : objectKeys()) {
            if (k.form == ObjectKeyForm::Name) {
                out.append(lines, static_cast<size_t>(p - lines));
                p = lines;
                out += headText;
                out += k.suffix;
                out += '=';
                // No object the system makes lacks a name; should one, its
                // value stays empty, which the reader takes back as an empty name.
                if (o.name) out += o.name;
                out += '\n';
                continue;
            }
            p = put(p, headText);
            p = put(p, k.suffix);
            *p++ = '=';
            switch (k.form) {
                case ObjectKeyForm::Real: p = formatRealTo(p, o.*k.real); break;
                case ObjectKeyForm::Color:
                    p = std::to_chars(p, lines + sizeof lines, o.color, 16).ptr;  // lower case, no leading zeros
                    break;
                case ObjectKeyForm::Disabled:
                    p = std::to_chars(p, lines + sizeof lines, unsigned{o.disabled}).ptr;
                    break;
                case ObjectKeyForm::Name: break;
            }
            *p++ = '\n';
        }
        *p++ = '\n';
        out.append(lines, static_cast<size_t>(p - lines));
    };

    for (int i = 0; i < w.INIT_OBJECTS_N; ++i) {
        block(INITIAL_OBJECT_PREFIX, i + 1, w.initialObjects[i]);
        if (out.size() >= CHUNK && !flush(out)) return false;
    }
    out += "\n\n";
    for (int i = 0; i < w.OBJECTS_N; ++i) {
        block(CURRENT_OBJECT_PREFIX, i + 1, w.objects[i]);
        if (out.size() >= CHUNK && !flush(out)) return false;
    }
    return flush(out);
}

// Returns 0, or the errno of the write that failed.
int writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

// Streams the scenery text to fd; returns 0 or the errno of the write that
// failed. `length` gets the number of bytes written.
int writeScenery(const World& world, int fd, off_t& length) {
    std::string chunk;
    chunk.reserve((size_t{1} << 20) + 65536);
    int err = 0;
    length = 0;
    emitScenery(world, chunk, [&](std::string& text) {
        err = writeAll(fd, text.data(), text.size());
        if (err) return false;
        length += static_cast<off_t>(text.size());
        text.clear();
        return true;
    });
    return err;
}

// What a save writes: streams its bytes to fd, returns 0 or the errno of the
// write that failed, and sets `length` to the number of bytes written.
using Content = std::function<int(int fd, off_t& length)>;

Content sceneryContent(const World& world) {
    return [&world](int fd, off_t& length) { return writeScenery(world, fd, length); };
}

Content bytesContent(const std::string& bytes) {
    return [&bytes](int fd, off_t& length) {
        length = static_cast<off_t>(bytes.size());
        return writeAll(fd, bytes.data(), bytes.size());
    };
}

// The folder part of a path, with its slash ("./" for a bare name), and the
// name within it.
std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporary files are "<target>.vantor-save-<pid>-<6 letters>": the name says
// whose and which save it is, so that a killed save's leftover can be told
// apart and removed by a later one.
constexpr std::string_view TEMPORARY_MARK = ".vantor-save-";

// Creates a fresh file beside `target` with a name no one else uses. The
// kernel applies the umask to 0666, so a new scenery gets the usual rights.
int createTemporary(const std::string& target, std::string& tempPath) {
    // A name at the length limit leaves no room for the suffix; then a short
    // hidden name in the same folder serves.
    const std::string stem = std::string(TEMPORARY_MARK) + std::to_string(::getpid()) + '-';
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
        tempPath = (shortName ? folderOf(target) : target) + stem;
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

// The process id in the name of one of the target's temporary files
// ("<prefix><pid>-..."), or 0 when the name is not one.
pid_t temporaryOwner(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix)) return 0;
    name.remove_prefix(prefix.size());
    if (name.empty() || name[0] < '1' || name[0] > '9') return 0;
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (ec != std::errc() || end == name.data() + name.size() || *end != '-') return 0;
    return pid;
}

// A save killed part way leaves its temporary file behind, as large as the
// scenery. The target's leftovers whose process is gone are removed; one
// whose process still runs may be a save in progress and stays.
void removeStaleTemporaries(const std::string& target) {
    DIR* folder = ::opendir(folderOf(target).c_str());
    if (!folder) return;
    const std::string prefix = fileNameOf(target) + std::string(TEMPORARY_MARK);
    while (const dirent* entry = ::readdir(folder)) {
        const pid_t pid = temporaryOwner(entry->d_name, prefix);
        if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
        struct stat st;
        if (::fstatat(::dirfd(folder), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
            ::unlinkat(::dirfd(folder), entry->d_name, 0);
        }
    }
    ::closedir(folder);
}

// Kernel file systems whose files are the system's settings and state, not
// data: a scenery has no place there, and writing one could change them.
bool isSystemFileSystem(const std::string& path) {
    static constexpr uint32_t SYSTEM_TYPES[] = {
        0x9fa0,      // proc
        0x62656572,  // sysfs
        0x27e0eb,    // cgroup
        0x63677270,  // cgroup2
        0x64626720,  // debugfs
        0x74726163,  // tracefs
        0x73636673,  // securityfs
        0x62656570,  // configfs
        0xcafe4a11,  // bpf
        0x6165676c,  // pstore
        0xde5e81e4,  // efivarfs
    };
    struct statfs fsInfo;
    if (::statfs(path.c_str(), &fsInfo) != 0) return false;
    const auto type = static_cast<uint32_t>(fsInfo.f_type);
    return std::find(std::begin(SYSTEM_TYPES), std::end(SYSTEM_TYPES), type) != std::end(SYSTEM_TYPES);
}

// Why a scenery cannot be saved at `target`, or nullptr. Only regular files
// are written: opening a FIFO would wait for a reader for ever, and renaming
// over a device or socket would replace the node itself.
const char* unsuitableTarget(const std::string& target, const struct stat* existing) {
    if (existing && !S_ISREG(existing->st_mode)) {
        if (S_ISFIFO(existing->st_mode)) return "not a regular file (a FIFO)";
        if (S_ISCHR(existing->st_mode) || S_ISBLK(existing->st_mode)) return "not a regular file (a device)";
        if (S_ISSOCK(existing->st_mode)) return "not a regular file (a socket)";
        return "not a regular file";
    }
    if (isSystemFileSystem(existing ? target : folderOf(target))) return "a system file, not a regular file";
    return nullptr;
}

// The new file takes the old one's place, so it takes its owner, group and
// permission bits too: root saving a user's file must not leave it root's
// and unreadable to them. Without root only the group can be kept, one the
// user belongs to; a refusal leaves the user's own group.
int keepOwnerAndMode(int fd, const struct stat* old) {
    if (!old) return 0;
    if (::geteuid() == 0) {
        if (::fchown(fd, old->st_uid, old->st_gid) != 0) return errno;
    } else if (::fchown(fd, static_cast<uid_t>(-1), old->st_gid) != 0) {
        // Not a group of this user: the file keeps the user's group.
    }
    // After fchown, which clears the set-user-ID and set-group-ID bits.
    return ::fchmod(fd, old->st_mode & 07777) != 0 ? errno : 0;
}

// Makes the rename durable too. The new file is complete and in place by
// now, so a failure here is not worth a failed save.
void syncFolder(const std::string& target) {
    const int dirFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

// Writes the content into the temporary file fd and renames it over the
// target; on failure removes it. Returns the reason of a failure or "".
std::string replaceTarget(const Content& content, int fd, const std::string& tempPath, const std::string& target,
                          const struct stat* existing) {
    int err = keepOwnerAndMode(fd, existing);
    off_t length = 0;
    if (!err) err = content(fd, length);
    // Bytes still in the kernel's cache may fail to reach the disk; fsync
    // reports that here instead of losing the scenery silently.
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && ::rename(tempPath.c_str(), target.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(tempPath.c_str());
        return reason(err);
    }
    syncFolder(target);
    return {};
}

// Writes the scenery over the existing file itself, for a file the user may
// write in a folder where they may not make a new one. This risks the file:
// a crash or a full disk part way leaves it damaged, as there is no second
// copy to fall back on. It is worth it because the user could otherwise not
// save over a file they are allowed to change at all. Returns the reason of
// a failure or "".
std::string writeInPlace(const Content& content, const std::string& target) {
    // O_NONBLOCK: should a FIFO have taken the file's place since it was
    // checked, open does not wait for a reader.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return reason(errno);
    struct stat st;
    int err = ::fstat(fd, &st) != 0 ? errno : 0;
    if (!err && !S_ISREG(st.st_mode)) {
        ::close(fd);
        return "not a regular file";
    }
    off_t length = 0;
    if (!err) err = content(fd, length);
    if (!err && ::ftruncate(fd, length) != 0) err = errno;
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    return err ? reason(err) : std::string();
}

// Saves to the resolved target; returns the reason of a failure or "".
std::string saveTo(const Content& content, const std::string& target) {
    // Refuse what could not be written before writing anything: a folder or
    // something other than a regular file in the file's place, or an
    // existing file without write access.
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return reason(EISDIR);
    if (const char* why = unsuitableTarget(target, exists ? &existing : nullptr)) return why;
    if (exists && ::access(target.c_str(), W_OK) != 0) return reason(errno);

    removeStaleTemporaries(target);
    std::string tempPath;
    const int fd = createTemporary(target, tempPath);
    if (fd >= 0) return replaceTarget(content, fd, tempPath, target, exists ? &existing : nullptr);
    const int err = errno;
    // The folder refuses a new file, but the file itself is writable.
    if ((err == EACCES || err == EPERM) && exists) return writeInPlace(content, target);
    return reason(err);
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
    text.reserve(4096 + 460 * static_cast<size_t>(std::max(0, world.INIT_OBJECTS_N) + std::max(0, world.OBJECTS_N)));
    emitScenery(world, text, [](std::string&) { return true; });
    return text;
}

int writeSceneryFile(World& world, const std::string& path, std::string* error) {
    const std::string why = saveTo(sceneryContent(world), resolveTarget(path));
    if (!why.empty()) {
        if (error) *error = why;
        return -1;
    }
    world.sceneryModified = 0;
    world.sceneryOnDisk = 1;
    return 0;
}

int writeFileSafely(const std::string& path, const std::string& bytes, std::string* error) {
    const std::string why = saveTo(bytesContent(bytes), resolveTarget(path));
    if (!why.empty() && error) *error = why;
    return why.empty() ? 0 : -1;
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
