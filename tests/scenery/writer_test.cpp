#include "scenery/writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <set>
#include <sstream>
#include <string>

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
