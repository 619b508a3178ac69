#include "scenery/writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "scenery_samples.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using samples::EMPTY_SCENERY_TEXT;
using samples::SMALL_SCENERY_TEXT;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "vantor-writer-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        // Give back write access that a test took away, so everything goes.
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ec)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (fs::path(path_) / name).string(); }
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& entry : fs::directory_iterator(path_)) result.insert(entry.path().filename().string());
        return result;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The line of a key in a scenery text, or "" when absent.
std::string lineOf(const std::string& text, const std::string& key) {
    const size_t at = text.find("[" + key + "]=");
    if (at == std::string::npos) return "";
    return text.substr(at, text.find('\n', at) - at);
}

TEST(SceneryText, EmptySceneryIsTheFixedRowsAndTwoLineFeeds) {
    World w;
    newScenery(w);
    EXPECT_EQ(sceneryText(w), EMPTY_SCENERY_TEXT);
}

TEST(SceneryText, SmallSceneryMatchesTheHandWrittenFile) {
    World w;
    samples::makeSmallScenery(w);
    EXPECT_EQ(sceneryText(w), SMALL_SCENERY_TEXT);
}

TEST(SceneryText, InitialObjectsWithoutCurrentOnesEndInThreeBlankLines) {
    World w;
    newScenery(w);
    w.INIT_OBJECTS_N = 1;
    samples::setObject(w.initialObjects[0], "A", 1, 1, 0, 0, 0, 0, 0, 0, 0xabcdef, 0);
    const std::string text = sceneryText(w);
    const std::string tail = "[INIT_OBJECT_1_DISABLED]=0\n\n\n\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(SceneryText, ColoursAreLowerCaseHexadecimalWithoutLeadingZeros) {
    struct Case {
        uint32_t color;
        const char* text;
    };
    const Case cases[] = {
        {0x0000ff, "ff"},  // pure red
        {0x000000, "0"},   // black
        {0x30ffff, "30ffff"},
        {0xaaaaff, "aaaaff"},
        {0x00ff00, "ff00"},
        {0x0a0b0c, "a0b0c"},
        {0xffffffff, "ffffffff"},
    };
    World w;
    newScenery(w);
    w.OBJECTS_N = 1;
    for (const auto& c : cases) {
        w.objects[0].color = c.color;
        EXPECT_EQ(lineOf(sceneryText(w), "OBJECT_1_COLOR"), std::string("[OBJECT_1_COLOR]=") + c.text);
    }
}

TEST(SceneryText, ObjectReferencesCountFromOne) {
    struct Case {
        int World::*member;
        const char* key;
    };
    const Case cases[] = {
        {&World::ORIGIN_OBJECT, "ORIGIN_OBJECT"},
        {&World::VIEWPOINT_OBJECT, "VIEWPOINT_OBJECT"},
        {&World::SPACECRAFT_OBJECT, "SPACECRAFT_OBJECT"},
        {&World::SPACECRAFT_TRACKING_OBJECT, "SPACECRAFT_TRACKING_OBJECT"},
    };
    World w;
    newScenery(w);
    for (const auto& c : cases) {
        w.*c.member = 0;
        EXPECT_EQ(lineOf(sceneryText(w), c.key), std::string("[") + c.key + "]=1");
        w.*c.member = 49999;
        EXPECT_EQ(lineOf(sceneryText(w), c.key), std::string("[") + c.key + "]=50000");
    }
}

TEST(SceneryText, ObjectWithoutANameGetsAnEmptyValue) {
    World w;
    newScenery(w);
    w.OBJECTS_N = 1;
    ASSERT_EQ(w.objects[0].name, nullptr);
    EXPECT_EQ(lineOf(sceneryText(w), "OBJECT_1_NAME"), "[OBJECT_1_NAME]=");
}

TEST(SceneryText, NonFiniteRealsAreWrittenAsZero) {
    World w;
    newScenery(w);
    w.SIMULATION_TIME = std::numeric_limits<double>::infinity();
    w.OBJECTS_N = 1;
    w.objects[0].x = std::numeric_limits<double>::quiet_NaN();
    const std::string text = sceneryText(w);
    EXPECT_EQ(lineOf(text, "SIMULATION_TIME"), "[SIMULATION_TIME]=0.e+000");
    EXPECT_EQ(lineOf(text, "OBJECT_1_X"), "[OBJECT_1_X]=0.e+000");
}

TEST(WriteSceneryFile, WritesTheTextAndMarksTheSceneryClean) {
    TempDir dir;
    World w;
    samples::makeSmallScenery(w);
    w.sceneryModified = 1;
    std::string error = "untouched";
    ASSERT_EQ(writeSceneryFile(w, dir / "small.nbx", &error), 0);
    EXPECT_EQ(error, "untouched");
    EXPECT_EQ(readFile(dir / "small.nbx"), SMALL_SCENERY_TEXT);
    EXPECT_EQ(w.sceneryModified, 0);
    EXPECT_EQ(w.sceneryOnDisk, 1);
    EXPECT_EQ(modeOf(dir / "small.nbx"), 0666 & ~currentUmask());
    EXPECT_EQ(dir.names(), std::set<std::string>{"small.nbx"});  // no temporary left
}

TEST(WriteSceneryFile, ReplacesAnExistingFileKeepingItsPermissions) {
    TempDir dir;
    const std::string path = dir / "old.nbx";
    writeFile(path, std::string(100000, 'x'));  // longer than the new text
    ::chmod(path.c_str(), 0640);
    World w;
    newScenery(w);
    ASSERT_EQ(writeSceneryFile(w, path), 0);
    EXPECT_EQ(readFile(path), EMPTY_SCENERY_TEXT);
    EXPECT_EQ(modeOf(path), 0640u);
    EXPECT_EQ(dir.names(), std::set<std::string>{"old.nbx"});
}

TEST(WriteSceneryFile, WritesThroughASymbolicLink) {
    TempDir dir;
    writeFile(dir / "real.nbx", "old");
    fs::create_symlink(dir / "real.nbx", dir / "link.nbx");
    World w;
    newScenery(w);
    ASSERT_EQ(writeSceneryFile(w, dir / "link.nbx"), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.nbx"));
    EXPECT_EQ(readFile(dir / "real.nbx"), EMPTY_SCENERY_TEXT);
}

TEST(WriteSceneryFile, FailuresChangeNothing) {
    const bool root = ::geteuid() == 0;  // permission bits do not stop root
    struct Case {
        const char* what;
        bool needsNonRoot;
        std::function<std::string(const TempDir&)> prepare;  // returns the target path
    };
    const Case cases[] = {
        {"missing folder", false, [](const TempDir& d) { return d / "no/such/folder/x.nbx"; }},
        {"parent is a file", false,
         [](const TempDir& d) {
             writeFile(d / "plain", "not a folder");
             return d / "plain/x.nbx";
         }},
        {"folder in the file's place", false,
         [](const TempDir& d) {
             fs::create_directory(d / "x.nbx");
             return d / "x.nbx";
         }},
        {"read-only folder", true,
         [](const TempDir& d) {
             fs::create_directory(d / "locked");
             writeFile(d / "locked/x.nbx", "previous content");
             ::chmod((d / "locked").c_str(), 0555);
             return d / "locked/x.nbx";
         }},
        {"read-only file", true,
         [](const TempDir& d) {
             writeFile(d / "x.nbx", "previous content");
             ::chmod((d / "x.nbx").c_str(), 0444);
             return d / "x.nbx";
         }},
    };
    for (const auto& c : cases) {
        if (c.needsNonRoot && root) continue;
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string target = c.prepare(dir);
        const bool hadFile = fs::is_regular_file(target);
        const std::string before = hadFile ? readFile(target) : "";
        std::set<std::string> namesBefore;
        for (const auto& e : fs::recursive_directory_iterator(dir.path())) namesBefore.insert(e.path().string());

        World w;
        samples::makeSmallScenery(w);
        w.sceneryModified = 1;
        w.sceneryOnDisk = 0;
        std::string error;
        EXPECT_EQ(writeSceneryFile(w, target, &error), -1);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(w.sceneryModified, 1);
        EXPECT_EQ(w.sceneryOnDisk, 0);
        if (hadFile) {
            EXPECT_EQ(readFile(target), before);
        }
        std::set<std::string> namesAfter;
        for (const auto& e : fs::recursive_directory_iterator(dir.path())) namesAfter.insert(e.path().string());
        EXPECT_EQ(namesAfter, namesBefore);
    }
}

TEST(WriteSceneryFile, WriteErrorAfterOpeningKeepsTheOldFile) {
    // A file-size limit makes writes fail part way, as a full disk would;
    // it binds root too.
    TempDir dir;
    const std::string path = dir / "kept.nbx";
    writeFile(path, "previous content");

    World w;
    newScenery(w);
    w.OBJECTS_N = 200;  // about 80 kB, beyond the limit below
    for (int i = 0; i < w.OBJECTS_N; ++i) setObjectName(w.objects[i], "Body");
    w.sceneryModified = 1;

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 16384;
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const int result = writeSceneryFile(w, path, &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, -1);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readFile(path), "previous content");
    EXPECT_EQ(w.sceneryModified, 1);
    EXPECT_EQ(w.sceneryOnDisk, 0);
    EXPECT_EQ(dir.names(), std::set<std::string>{"kept.nbx"});
}

// A scenery of about 450 bytes per object, many chunks of the writer long.
void makeLargeScenery(World& w, int objects) {
    newScenery(w);
    w.INIT_OBJECTS_N = objects;
    w.OBJECTS_N = objects;
    for (int i = 0; i < objects; ++i) {
        samples::setObject(w.initialObjects[i], "Body", 1e20 + i, 1, i * 1e7, 0.5, -i, 1, 2, 3, 0xffffff, 0);
        samples::setObject(w.objects[i], "Body", 1e20 + i, 1, i * 1e7, 0.25, -i, 3, 2, 1, 0xffffff, 0);
    }
}

// The files in a folder other than `target`, which a killed save may leave:
// its temporary file, beside the target and named after it.
std::vector<std::string> leftOvers(const TempDir& dir, const std::string& target) {
    std::vector<std::string> others;
    for (const std::string& name : dir.names()) {
        if (name != target) others.push_back(name);
    }
    return others;
}

TEST(WriteSceneryFile, DiskFullPartWayThroughALargeSceneryKeepsTheOldFile) {
    // The limit lies several chunks into the text, so the writer stops in
    // the middle of its output, not at the last write.
    TempDir dir;
    const std::string path = dir / "kept.nbx";
    writeFile(path, "previous content");
    World w;
    makeLargeScenery(w, 10000);  // about 9 MB
    w.sceneryModified = 1;

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 3 << 20;
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const int result = writeSceneryFile(w, path, &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, -1);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(readFile(path), "previous content");
    EXPECT_EQ(w.sceneryModified, 1);
    EXPECT_EQ(dir.names(), std::set<std::string>{"kept.nbx"});
}

TEST(WriteSceneryFile, KilledInTheMiddleOfASaveLeavesThePreviousFile) {
    // A child saves a large scenery over the file and is killed with
    // SIGKILL part way: a file-size limit stops its writes 3 MiB into the
    // text, and the limit's signal, caught, kills the child right there.
    TempDir dir;
    const std::string path = dir / "kept.nbx";
    World previous;
    samples::makeSmallScenery(previous);
    ASSERT_EQ(writeSceneryFile(previous, path), 0);
    World large;
    makeLargeScenery(large, 10000);

    constexpr rlim_t kStop = 3 << 20;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct sigaction killHere {};
        killHere.sa_handler = [](int) { ::raise(SIGKILL); };
        ::sigaction(SIGXFSZ, &killHere, nullptr);
        struct rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = kStop;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        writeSceneryFile(large, path);
        ::_exit(0);  // not reached: the text is longer than the limit
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child finished its save";
    EXPECT_EQ(WTERMSIG(status), SIGKILL);

    EXPECT_EQ(readFile(path), SMALL_SCENERY_TEXT);
    const std::vector<std::string> others = leftOvers(dir, "kept.nbx");
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(others[0].rfind("kept.nbx", 0), 0u) << others[0];
    EXPECT_EQ(fs::file_size(dir / others[0]), kStop);  // killed with its bytes half out

    // The next save goes through as usual.
    ASSERT_EQ(writeSceneryFile(large, path), 0);
    EXPECT_EQ(readFile(path), sceneryText(large));
}

TEST(WriteSceneryFile, KilledAtAnyMomentLeavesTheOldOrTheNewFileWhole) {
    // The parent kills the saving child with SIGKILL as soon as its
    // temporary file holds bytes (or whenever the child has already done):
    // the file is then the old text or the new one, never a mixture.
    TempDir dir;
    const std::string path = dir / "kept.nbx";
    World previous;
    samples::makeSmallScenery(previous);
    ASSERT_EQ(writeSceneryFile(previous, path), 0);
    World large;
    makeLargeScenery(large, 20000);
    const std::string newText = sceneryText(large);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(writeSceneryFile(large, path) == 0 ? 0 : 1);
    int status = 0;
    for (bool killed = false; !killed;) {
        if (::waitpid(child, &status, WNOHANG) == child) break;  // done before we saw it start
        for (const std::string& name : leftOvers(dir, "kept.nbx")) {
            std::error_code ec;
            if (fs::file_size(dir / name, ec) > 0 && !ec) {
                ::kill(child, SIGKILL);
                ASSERT_EQ(::waitpid(child, &status, 0), child);
                killed = true;
                break;
            }
        }
    }
    const std::string after = readFile(path);
    EXPECT_TRUE(after == SMALL_SCENERY_TEXT || after == newText) << after.size() << " bytes";
    if (WIFEXITED(status)) {
        EXPECT_EQ(after, newText);
    }
}

// Runs `save` in a child process that has given up root for the nobody
// user; returns its exit status, or -1 when root could not be given up.
int asNobody(const std::function<int()>& save) {
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(99);
        ::_exit(save());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -2;
    return WEXITSTATUS(status) == 99 ? -1 : WEXITSTATUS(status);
}

TEST(WriteSceneryFile, ReadOnlyFolderAndFileStopAnUnprivilegedUser) {
    // Permission bits do not stop root, so root saves as the nobody user,
    // in a folder and over a file that nobody owns; the same cases without
    // root are in FailuresChangeNothing.
    if (::geteuid() != 0) GTEST_SKIP() << "covered by FailuresChangeNothing";
    constexpr uid_t kNobody = 65534;
    struct Case {
        const char* what;
        mode_t folderMode, fileMode;
    };
    const Case cases[] = {
        {"read-only folder", 0555, 0644},
        {"read-only file", 0755, 0444},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ::chmod(dir.path().c_str(), 0755);
        const std::string folder = dir / "owned";
        fs::create_directory(folder);
        const std::string path = folder + "/x.nbx";
        writeFile(path, "previous content");
        ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        ::chmod(path.c_str(), c.fileMode);
        ::chmod(folder.c_str(), c.folderMode);

        World w;
        samples::makeSmallScenery(w);
        const int result = asNobody([&] { return writeSceneryFile(w, path) == -1 ? 0 : 1; });
        if (result == -1) GTEST_SKIP() << "root could not give up its rights";
        EXPECT_EQ(result, 0) << "the save went through";
        EXPECT_EQ(readFile(path), "previous content");
        EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "x.nbx");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    }
}

TEST(SanitizeUserText, ReplacesBracketsAndTrimsTheEnd) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},
        {"Sun", "Sun"},
        {"a[b]c", "a(b)c"},
        {"[]][", "())("},
        {"name  \r\n", "name"},
        {"   ", ""},
        {"\r\n\r\n", ""},
        {"two\r\nlines\r\n\r\n", "two\r\nlines"},
        {"  leading kept", "  leading kept"},
        {"tab kept\t", "tab kept\t"},
        {"a ] \n", "a )"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        sanitizeUserText(text);
        EXPECT_EQ(text, c.out) << '"' << c.in << '"';
    }
}

}  // namespace
}  // namespace vantor
