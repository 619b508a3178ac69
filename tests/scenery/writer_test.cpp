#include "scenery/writer.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/as_nobody.h"
#include "tests/support/scenery_samples.h"
#include "tests/support/temp_dir.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using samples::EMPTY_SCENERY_TEXT;
using samples::SMALL_SCENERY_TEXT;

using test::asNobody;
using test::kNobody;
using test::TempDir;

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
        {0x30ffff, "30ffff"}, {0xaaaaff, "aaaaff"}, {0x00ff00, "ff00"}, {0x0a0b0c, "a0b0c"}, {0xffffffff, "ffffffff"},
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
        {"new file in a read-only folder", true,
         [](const TempDir& d) {
             fs::create_directory(d / "locked");
             ::chmod((d / "locked").c_str(), 0555);
             return d / "locked/x.nbx";
         }},
        {"read-only file in a read-only folder", true,
         [](const TempDir& d) {
             fs::create_directory(d / "locked");
             writeFile(d / "locked/x.nbx", "previous content");
             ::chmod((d / "locked/x.nbx").c_str(), 0444);
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
    const std::string mark = "kept.nbx.vantor-save-" + std::to_string(child) + "-";
    EXPECT_EQ(others[0].rfind(mark, 0), 0u) << others[0];
    EXPECT_EQ(others[0].size(), mark.size() + 6) << others[0];
    EXPECT_EQ(fs::file_size(dir / others[0]), kStop);  // killed with its bytes half out

    // The next save goes through as usual, and removes the dead save's leftover.
    ASSERT_EQ(writeSceneryFile(large, path), 0);
    EXPECT_EQ(readFile(path), sceneryText(large));
    EXPECT_EQ(dir.names(), std::set<std::string>{"kept.nbx"});
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

// A folder and a file in it that the nobody user owns, with the given rights.
struct NobodysFile {
    NobodysFile(const TempDir& dir, mode_t folderMode, mode_t fileMode, const std::string& content)
        : folder(dir / "owned"), path(folder + "/x.nbx") {
        ::chmod(dir.path().c_str(), 0755);
        fs::create_directory(folder);
        writeFile(path, content);
        EXPECT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
        EXPECT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        ::chmod(path.c_str(), fileMode);
        ::chmod(folder.c_str(), folderMode);
    }
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& entry : fs::directory_iterator(folder)) result.insert(entry.path().filename().string());
        return result;
    }
    std::string folder, path;
};

TEST(WriteSceneryFile, UnprivilegedUserInAReadOnlyFolderOrOverAReadOnlyFile) {
    // Permission bits do not stop root, so root saves as the nobody user,
    // in a folder and over a file that nobody owns; the failing cases
    // without root are in FailuresChangeNothing. A writable file in a
    // read-only folder is written in place: the old text, longer than the
    // new one, must be gone to the last byte.
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a folder and a file that nobody owns";
    struct Case {
        const char* what;
        mode_t folderMode, fileMode;
        bool saved;
    };
    const Case cases[] = {
        {"read-only folder", 0555, 0644, true},
        {"read-only file", 0755, 0444, false},
        {"read-only folder and file", 0555, 0444, false},
    };
    const std::string previous(100000, 'p');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const NobodysFile file(dir, c.folderMode, c.fileMode, previous);

        World w;
        samples::makeSmallScenery(w);
        const int result = asNobody([&] { return writeSceneryFile(w, file.path) == 0 ? 0 : 1; });
        if (result == -1) GTEST_SKIP() << "root could not give up its rights";
        EXPECT_EQ(result, c.saved ? 0 : 1);
        const std::string after = readFile(file.path);
        EXPECT_TRUE(after == (c.saved ? SMALL_SCENERY_TEXT : previous)) << after.size() << " bytes";
        EXPECT_EQ(modeOf(file.path), c.fileMode);
        EXPECT_EQ(file.names(), std::set<std::string>{"x.nbx"});
    }
}

TEST(WriteSceneryFile, WriteErrorInPlaceIsReported) {
    // Written in place (a read-only folder), the file has no second copy; a
    // write that fails part way must still fail the save with its reason.
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file that nobody owns";
    TempDir dir;
    const NobodysFile file(dir, 0555, 0644, "previous content");
    World w;
    newScenery(w);
    w.OBJECTS_N = 200;  // about 80 kB, beyond the limit below
    for (int i = 0; i < w.OBJECTS_N; ++i) setObjectName(w.objects[i], "Body");
    w.sceneryModified = 1;

    // Exit status 0: failed with the file-size limit's reason, flags kept.
    const int result = asNobody([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 16384;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        if (writeSceneryFile(w, file.path, &error) == 0) return 1;
        if (error != "File too large") return 2;
        return w.sceneryModified == 1 && w.sceneryOnDisk == 0 ? 0 : 3;
    });
    if (result == -1) GTEST_SKIP() << "root could not give up its rights";
    EXPECT_EQ(result, 0) << "1: saved, 2: another reason, 3: flags changed";
    EXPECT_EQ(file.names(), std::set<std::string>{"x.nbx"});
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

TEST(WriteSceneryFile, RootKeepsTheReplacedFilesOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root saves over files of other users";
    TempDir dir;
    const std::string path = dir / "theirs.nbx";
    writeFile(path, "previous content");
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    ::chmod(path.c_str(), 0640);
    World w;
    samples::makeSmallScenery(w);
    ASSERT_EQ(writeSceneryFile(w, path), 0);
    const struct stat st = statOf(path);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(readFile(path), SMALL_SCENERY_TEXT);
    EXPECT_EQ(dir.names(), std::set<std::string>{"theirs.nbx"});
}

TEST(WriteSceneryFile, UnprivilegedUserKeepsTheFilesGroupWhereTheyBelongToIt) {
    // nobody saves its own file of another group; the new file gets that
    // group back only where nobody is one of its members, and the save goes
    // through either way.
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file of another group";
    constexpr gid_t kOtherGroup = 4321;
    struct Case {
        const char* what;
        std::vector<gid_t> groups;
        gid_t expected;
    };
    const Case cases[] = {
        {"member of the file's group", {kOtherGroup}, kOtherGroup},
        {"not a member", {}, kNobody},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const NobodysFile file(dir, 0755, 0660, "previous content");
        ASSERT_EQ(::chown(file.path.c_str(), kNobody, kOtherGroup), 0);
        World w;
        samples::makeSmallScenery(w);
        const int result = asNobody([&] { return writeSceneryFile(w, file.path) == 0 ? 0 : 1; }, c.groups);
        if (result == -1) GTEST_SKIP() << "root could not give up its rights";
        EXPECT_EQ(result, 0);
        const struct stat st = statOf(file.path);
        EXPECT_EQ(st.st_uid, kNobody);
        EXPECT_EQ(st.st_gid, c.expected);
        EXPECT_EQ(st.st_mode & 07777, 0660u);
        EXPECT_EQ(readFile(file.path), SMALL_SCENERY_TEXT);
    }
}

// The outcome of a save of the small scenery (marked modified, not on disk)
// in a child process, which a watchdog alarm ends should the save block.
struct ChildSave {
    bool finished = false;
    int result = 0, modified = 0, onDisk = 0;
    std::string error;
};

ChildSave saveInChild(const std::string& path) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        ::alarm(30);
        World w;
        samples::makeSmallScenery(w);
        w.sceneryModified = 1;
        w.sceneryOnDisk = 0;
        std::string error;
        const int result = writeSceneryFile(w, path, &error);
        const std::string report = std::to_string(result) + ' ' + std::to_string(w.sceneryModified) + ' ' +
                                   std::to_string(w.sceneryOnDisk) + ' ' + error;
        ::_exit(::write(fds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[256];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ChildSave outcome;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return outcome;
    outcome.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::istringstream in(report);
    in >> outcome.result >> outcome.modified >> outcome.onDisk;
    in.get();
    std::getline(in, outcome.error);
    return outcome;
}

void makeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    struct sockaddr_un address {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

TEST(WriteSceneryFile, RefusesWhatIsNotARegularFileAtOnce) {
    // Nothing is opened: a FIFO would block the save for ever, /dev/null
    // would swallow the scenery and report success, a kernel file would
    // fail with the temporary file's error instead of the true reason.
    const char* const fifo = "not a regular file (a FIFO)";
    const char* const system = "a system file, not a regular file";
    struct Case {
        const char* what;
        std::function<std::string(const TempDir&)> prepare;  // returns the target path
        const char* error;
    };
    const Case cases[] = {
        {"FIFO",
         [](const TempDir& d) {
             ::mkfifo((d / "pipe.nbx").c_str(), 0644);
             return d / "pipe.nbx";
         },
         fifo},
        {"link to a FIFO",
         [](const TempDir& d) {
             ::mkfifo((d / "pipe").c_str(), 0644);
             fs::create_symlink(d / "pipe", d / "link.nbx");
             return d / "link.nbx";
         },
         fifo},
        {"link to a device",
         [](const TempDir& d) {
             fs::create_symlink("/dev/null", d / "null.nbx");
             return d / "null.nbx";
         },
         "not a regular file (a device)"},
        {"socket",
         [](const TempDir& d) {
             makeSocket(d / "socket.nbx");
             return d / "socket.nbx";
         },
         "not a regular file (a socket)"},
        {"kernel file", [](const TempDir&) { return std::string("/proc/version"); }, system},
        {"link to a kernel file",
         [](const TempDir& d) {
             fs::create_symlink("/proc/version", d / "version.nbx");
             return d / "version.nbx";
         },
         system},
        {"new file in /proc", [](const TempDir&) { return std::string("/proc/vantor-test.nbx"); }, system},
        {"new file in /sys", [](const TempDir&) { return std::string("/sys/vantor-test.nbx"); }, system},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string target = c.prepare(dir);
        if (target.rfind("/sys/", 0) == 0 && !fs::exists("/sys/kernel")) continue;  // no sysfs here
        const std::set<std::string> namesBefore = dir.names();
        const std::string kernelText = target == "/proc/version" ? readFile(target) : "";

        const ChildSave save = saveInChild(target);
        ASSERT_TRUE(save.finished) << "the save blocked";
        EXPECT_EQ(save.result, -1);
        EXPECT_EQ(save.error, c.error);
        EXPECT_EQ(save.modified, 1);
        EXPECT_EQ(save.onDisk, 0);
        EXPECT_EQ(dir.names(), namesBefore);
        EXPECT_FALSE(fs::exists("/proc/vantor-test.nbx"));
        if (!kernelText.empty()) {
            EXPECT_EQ(readFile(target), kernelText);
        }
    }
    EXPECT_FALSE(fs::exists("/sys/vantor-test.nbx"));
}

// A process id that no process has: pids stay below the kernel's pid_max.
pid_t missingPid() {
    std::ifstream in("/proc/sys/kernel/pid_max");
    long pidMax = 0;
    in >> pidMax;
    return pidMax > 1 ? static_cast<pid_t>(pidMax) : 4194304;
}

TEST(WriteSceneryFile, RemovesTheTargetsTemporariesOfSavesThatAreGone) {
    // Leftovers of killed saves, as large as a scenery, would stay for ever.
    // Only the target's whose process is gone may go: the others may belong
    // to a save in progress, another target or someone else.
    TempDir dir;
    const std::string dead = std::to_string(missingPid());
    const std::string alive = std::to_string(::getpid());
    const std::string gone = "x.nbx.vantor-save-" + dead + "-a1B2c3";
    const std::set<std::string> kept = {
        "x.nbx.vantor-save-" + alive + "-a1B2c3",   // a save of this process, still running
        "y.nbx.vantor-save-" + dead + "-a1B2c3",    // another target's
        "x.nbx.tmp-a1B2c3",                         // not this program's name
        "x.nbx.vantor-save--a1B2c3",                // no process id
        "x.nbx.vantor-save-" + dead,                // no separator after the process id
        "y.x.nbx.vantor-save-" + dead + "-a1B2c3",  // ends like one, named for another target
    };
    writeFile(dir / gone, "left over");
    for (const std::string& name : kept) writeFile(dir / name, "left over");
    fs::create_directory(dir / ("x.nbx.vantor-save-" + dead + "-folder"));  // only files are removed

    World w;
    samples::makeSmallScenery(w);
    ASSERT_EQ(writeSceneryFile(w, dir / "x.nbx"), 0);
    std::set<std::string> expected = kept;
    expected.insert("x.nbx");
    expected.insert("x.nbx.vantor-save-" + dead + "-folder");
    EXPECT_EQ(dir.names(), expected);
    EXPECT_EQ(readFile(dir / "x.nbx"), SMALL_SCENERY_TEXT);
}

// Other files go through the same rules: the bytes replace a file whole,
// keeping its mode, through a link, and a target that is not a regular file
// is refused with the reason and left as it was.
TEST(WriteFileSafely, WritesBytesByTheSceneryRules) {
    TempDir dir;
    const std::string bytes = std::string("a,b\n1,2\n") + std::string(3, '\0') + "end";
    ASSERT_EQ(writeFileSafely(dir / "new.csv", bytes), 0);
    EXPECT_EQ(readFile(dir / "new.csv"), bytes);
    EXPECT_EQ(modeOf(dir / "new.csv"), 0666 & ~currentUmask());

    writeFile(dir / "old.csv", std::string(100000, 'x'));
    ::chmod((dir / "old.csv").c_str(), 0640);
    fs::create_symlink(dir / "old.csv", dir / "link.csv");
    ASSERT_EQ(writeFileSafely(dir / "link.csv", "short"), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
    EXPECT_EQ(readFile(dir / "old.csv"), "short");
    EXPECT_EQ(modeOf(dir / "old.csv"), 0640u);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"new.csv", "old.csv", "link.csv"}));

    ::mkfifo((dir / "pipe.csv").c_str(), 0644);
    std::string error;
    EXPECT_EQ(writeFileSafely(dir / "pipe.csv", bytes, &error), -1);
    EXPECT_EQ(error, "not a regular file (a FIFO)");
    fs::create_directory(dir / "folder.csv");
    EXPECT_EQ(writeFileSafely(dir / "folder.csv", bytes, &error), -1);
    EXPECT_EQ(error, "Is a directory");
    EXPECT_EQ(writeFileSafely(dir / "missing/x.csv", bytes, &error), -1);
    EXPECT_EQ(error, "No such file or directory");
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
