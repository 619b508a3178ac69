// Hostile scenery files given to vantor-cli: each one gets the reader's
// clamping and defaults, or a clear error (status 2, naming the file), and
// never a crash or a hang. docs/reliability.md lists the same table.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "cli/cli.h"
#include "scenery/examples.h"
#include "tests/support/as_nobody.h"
#include "tests/support/cli_support.h"
#include "tests/support/temp_dir.h"

namespace vantor::cli {
namespace {

namespace fs = std::filesystem;

// A line of `vantor-cli info`: the label padded to 22 columns, the value.
std::string infoLine(const std::string& label, const std::string& value) {
    return label + std::string(22 - label.size(), ' ') + value + "\n";
}

std::string exampleText(int number) {
    const ExampleScenery* e = findExample(number);
    return std::string(reinterpret_cast<const char*>(e->data), e->size);
}

using vantor::test::TempDir;

struct Hostile {
    const char* name;
    std::function<std::string(const TempDir&)> make;  // writes the input, returns the path to give
    int status;                                       // of `info`
    std::vector<std::string> expected;                // in the output, or in the message for status 2
    bool alsoRun = true;                              // `run` too (not where one step of it takes long)
    std::vector<std::string> warnings = {};           // on standard error when a file is read only in part
};

std::string sparse(const TempDir& d, const std::string& name, const std::string& head, uintmax_t size) {
    const std::string p = d.file(name, head);
    fs::resize_file(p, size);  // a hole: no disk space taken
    return p;
}

const Hostile kCases[] = {
    {"EmptyFile",
     [](const TempDir& d) { return d.file("empty.nbx", ""); },
     EXIT_DONE,
     {infoLine("Objects:", "0 initial, 0 current"), infoLine("Desired frame rate:", "50 frames/s")}},

    {"Directory",
     [](const TempDir& d) {
         fs::create_directory(d.path("folder.nbx"));
         return d.path("folder.nbx");
     },
     EXIT_FILE,
     {"Is a directory"}},

    {"MissingFile", [](const TempDir& d) { return d.path("missing.nbx"); }, EXIT_FILE, {"No such file or directory"}},

    {"BinaryGarbage",
     [](const TempDir& d) {
         // No zero byte, so that the reader has to scan all of it.
         std::mt19937 random(8);
         std::string bytes(1 << 16, '\0');
         for (char& c : bytes) c = static_cast<char>(1 + random() % 255);
         return d.file("garbage.nbx", bytes);
     },
     EXIT_DONE,
     {infoLine("Objects:", "0 initial, 0 current")}},

    {"TruncatedFile",
     [](const TempDir& d) {
         // Cut inside a value of the fifth current object: the objects behind
         // the cut keep their reset values and the names of the initial ones.
         const std::string text = exampleText(110);
         return d.file("truncated.nbx", text.substr(0, text.find("[OBJECT_5_X]=") + 16));
     },
     EXIT_DONE,
     {infoLine("Name:", "Solar system - heliocentric"), infoLine("Objects:", "10 initial, 10 current")},
     true,
     {"was read only in part:\n",
      "  5 objects of the current configuration are missing from the file (first: object 6)",
      "  7 values of current objects are missing (first: [OBJECT_5_Y])"}},

    {"MillionCharacterValues",
     [](const TempDir& d) {
         // Values are cut to 50,000 characters: blanks alone are no number.
         return d.file("long.nbx", "[SCENERY_NAME]=" + std::string(1000000, 'n') +
                                       "\n[FPS_DESIRED]=" + std::string(999998, ' ') + "60\n");
     },
     EXIT_DONE,
     {infoLine("Name:", std::string(50000, 'n')), infoLine("Desired frame rate:", "5 frames/s")}},

    {"ObjectCountsAboveTheMaximum",
     [](const TempDir& d) { return d.file("counts.nbx", "[INIT_OBJECTS_N]=50001\n[OBJECTS_N]=99999999999\n"); },
     EXIT_DONE,
     {infoLine("Objects:", "50000 initial, 50000 current")},
     false,
     {"  [INIT_OBJECTS_N] 50001 is above the limit of 50000 objects"}},

    {"NegativeNumbers",
     [](const TempDir& d) {
         return d.file("negative.nbx",
                       "[FPS_DESIRED]=-60\n[AUTOSAVE_ENABLED]=1\n[AUTOSAVE_PERIOD]=-10\n[COLLISION_COUNTER]=-4\n"
                       "[STATIC_SCENERY_OBJECTS_N]=-5\n[VIEWPOINT_DISTANCE]=-5e8\n[VIEWPOINT_THETA]=-3\n"
                       "[VIEWPOINT_PHI]=-90\n[SIMULATION_TIME_STEP]=-60\n[SIMULATION_TIME]=-1e300\n"
                       "[INIT_OBJECTS_N]=-3\n[OBJECTS_N]=-1\n");
     },
     EXIT_DONE,
     {infoLine("Desired frame rate:", "5 frames/s"), infoLine("Autosave:", "every 0 s"),
      infoLine("Collisions:", "stop the simulation (counter 0)"), infoLine("Static scenery:", "off, 0 points"),
      infoLine("Viewpoint:", "distance 5.e+008 m, theta 0.e+000, phi 2.7e+002, alpha 0.e+000 degrees"),
      infoLine("Time step:", "1.e+001 s initial, 1.e+001 s current"), infoLine("Simulated time:", "0.e+000 s"),
      infoLine("Objects:", "0 initial, 0 current")}},

    {"EnormousNumbers",
     [](const TempDir& d) {
         return d.file("enormous.nbx",
                       "[FPS_DESIRED]=99999999999\n[AUTOSTOP_MODE]=2\n[AUTOSTOP_ST_PERIOD]=1e300\n"
                       "[VIEWPOINT_FOV]=1e308\n[VIEWPOINT_DISTANCE]=1e308\n[VIEWPOINT_THETA]=1e300\n"
                       "[SIMULATION_TIME_STEP]=1e999\n[SIMULATION_TIME]=1e300\n[OBJECTS_N]=2\n"
                       "[OBJECT_1_MASS]=1e308\n[OBJECT_2_X]=1e308\n[OBJECT_2_MASS]=1e308\n");
     },
     EXIT_DONE,
     {infoLine("Desired frame rate:", "1000 frames/s"), infoLine("Automatic stop:", "at simulated time 1.e+012 s"),
      infoLine("Field of view:", "1.1e+002 degrees"),
      infoLine("Viewpoint:", "distance 1.e+308 m, theta 1.8e+002, phi 0.e+000, alpha 0.e+000 degrees"),
      infoLine("Time step:", "1.e+001 s initial, 1.e+001 s current"),
      infoLine("Simulated time:", "1.0000000000000001e+300 s"), infoLine("Objects:", "0 initial, 2 current")},
     true,
     {"  1 number is too large for a 64-bit real and was replaced (first: [SIMULATION_TIME_STEP]=1e999)."}},

    {"NanAndInfinitySpelledOut",
     [](const TempDir& d) {
         // Words are no number to the reader: each reads as 0 and then
         // passes its rule.
         return d.file("words.nbx",
                       "[VIEWPOINT_FOV]=nan\n[VIEWPOINT_DISTANCE]=NaN\n[VIEWPOINT_THETA]=infinity\n"
                       "[INIT_SIMULATION_TIME_STEP]=-Infinity\n[SIMULATION_TIME_STEP]=inf\n"
                       "[SIMULATION_TIME]=INF\n[OBJECTS_N]=2\n[OBJECT_1_MASS]=nan\n[OBJECT_2_X]=inf\n");
     },
     EXIT_DONE,
     {infoLine("Field of view:", "1.e+001 degrees"),
      infoLine("Viewpoint:", "distance 1.e+010 m, theta 0.e+000, phi 0.e+000, alpha 0.e+000 degrees"),
      infoLine("Time step:", "1.e+001 s initial, 1.e+001 s current"), infoLine("Simulated time:", "0.e+000 s"),
      infoLine("Objects:", "0 initial, 2 current")}},

    {"RepeatedKeys",
     [](const TempDir& d) {
         // Without a cursor the first occurrence wins; with one, the first
         // at or behind it.
         return d.file("repeated.nbx",
                       "[FPS_DESIRED]=7\n[FPS_DESIRED]=9\n[OBJECTS_N]=2\n[INIT_OBJECTS_N]=1\n[OBJECTS_N]=3\n");
     },
     EXIT_DONE,
     {infoLine("Desired frame rate:", "7 frames/s"), infoLine("Objects:", "1 initial, 3 current")}},

    {"TenMegabyteLine",
     [](const TempDir& d) {
         return d.file("wide.nbx", "[SCENERY_NAME]=" + std::string(10 << 20, 'w') + "\n[OBJECTS_N]=2\n");
     },
     EXIT_DONE,
     {infoLine("Name:", std::string(50000, 'w')), infoLine("Objects:", "0 initial, 2 current")},
     true,
     {"  1 value was longer than 50000 characters and cut (first: [SCENERY_NAME])."}},

    {"OneGigabyteFile",
     [](const TempDir& d) {
         // Read whole into memory; the text ends at the first zero byte.
         return sparse(d, "huge.nbx", "[OBJECTS_N]=2\n", uintmax_t{1} << 30);
     },
     EXIT_DONE,
     {infoLine("Objects:", "0 initial, 2 current")},
     false,
     {"  A zero byte at byte 15 ends the text"}},

    {"FileOverTwoGigabytes",
     [](const TempDir& d) { return sparse(d, "larger.nbx", "[OBJECTS_N]=2\n", (uintmax_t{1} << 31) + 1); },
     EXIT_FILE,
     {"file too large"}},

    {"Fifo",
     [](const TempDir& d) {
         // Blocked in open() for ever, waiting for a writer.
         const std::string p = d.path("pipe.nbx");
         ::mkfifo(p.c_str(), 0600);
         return p;
     },
     EXIT_FILE,
     {"not a regular file (a FIFO)"}},

    {"KernelFile",
     [](const TempDir&) { return std::string("/proc/self/status"); },
     EXIT_FILE,
     {"a system file, not a regular file"}},
};

void PrintTo(const Hostile& c, std::ostream* os) { *os << c.name; }

class HostileInput : public testing::TestWithParam<Hostile> {};

TEST_P(HostileInput, GetsTheRulesOrAClearError) {
    const Hostile& c = GetParam();
    TempDir dir;
    const std::string path = c.make(dir);

    const Result info = cli({"info", path});
    ASSERT_EQ(info.status, c.status) << info.err;
    if (c.status == EXIT_FILE) {
        EXPECT_EQ(info.out, "");
        EXPECT_EQ(info.err.rfind("vantor-cli: cannot read '" + path + "': ", 0), 0u) << info.err;
    }
    const std::string& text = c.status == EXIT_DONE ? info.out : info.err;
    for (const std::string& e : c.expected) {
        EXPECT_NE(text.find(e), std::string::npos) << "expected: " << e.substr(0, 200);
    }
    for (const std::string& warning : c.warnings) {
        EXPECT_NE(info.err.find(warning), std::string::npos) << "expected: " << warning << "\nin: " << info.err;
    }

    // Stepping what was read: it runs, stops at a collision (objects left
    // at one point), or fails as info did.
    if (c.alsoRun) {
        const Result run = cli({"run", path, "--steps", "3", "--quiet"});
        if (c.status == EXIT_FILE) {
            EXPECT_EQ(run.status, EXIT_FILE);
        } else {
            EXPECT_TRUE(run.status == EXIT_DONE || run.status == EXIT_COLLISION) << run.status << run.err;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, HostileInput, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Hostile>& info) { return info.param.name; });

// Reads a file as a user without the right to read it. Root reads it
// anyway, so as root the reading is done by a child process that has given
// up root for the nobody user.
Result infoWithoutRoot(const std::string& path, bool& skipped) {
    skipped = false;
    if (::geteuid() != 0) return cli({"info", path});
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {-1, "", "pipe failed"};
    const int status = vantor::test::asNobody([&] {
        ::close(pipeFds[0]);
        const Result r = cli({"info", path});
        const ssize_t written = ::write(pipeFds[1], r.err.data(), r.err.size());
        return written == static_cast<ssize_t>(r.err.size()) ? r.status : 98;
    });
    ::close(pipeFds[1]);
    std::string err;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) err.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    skipped = status == -1;
    if (status == -2) return {-1, "", "the child did not exit"};
    return {status, "", err};
}

TEST(HostileInputSpecial, FileWithoutReadPermission) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);  // the folder may be entered; the file may not be read
    const std::string path = dir.file("locked.nbx", "[FPS_DESIRED]=7\n");
    ::chmod(path.c_str(), 0);
    bool skipped = false;
    const Result r = infoWithoutRoot(path, skipped);
    if (skipped) GTEST_SKIP() << "root could not give up its rights";
    EXPECT_EQ(r.status, EXIT_FILE) << r.err;
    EXPECT_EQ(r.err, "vantor-cli: cannot read '" + path + "': Permission denied\n");
}

TEST(HostileInputSpecial, KeysInReverseOrderReadAsInOrder) {
    // Each key with its value (the description runs over several lines),
    // the last first.
    const std::string text = exampleText(110);
    std::vector<std::string> keys;
    for (size_t at = 0; at < text.size();) {
        const size_t next = text.find("\n[", at);
        const size_t end = next == std::string::npos ? text.size() : next + 1;
        keys.push_back(text.substr(at, end - at));
        at = end;
    }
    ASSERT_GT(keys.size(), 200u);
    std::string reversed;
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) reversed += *k;

    TempDir dir;
    const Result inOrder = cli({"info", dir.file("ordered.nbx", text)});
    const Result backwards = cli({"info", dir.file("reversed.nbx", reversed)});
    ASSERT_EQ(inOrder.status, EXIT_DONE);
    ASSERT_EQ(backwards.status, EXIT_DONE);
    auto withoutFileName = [](const std::string& out) { return out.substr(out.find('\n')); };
    EXPECT_EQ(withoutFileName(backwards.out), withoutFileName(inOrder.out));

    // The stepped results agree too, with one worker for both: a count
    // chosen by measurement may differ between the runs, and two counts add
    // the forces in another order.
    const Result a =
        cli({"run", dir.path("ordered.nbx"), "--steps", "10", "--threads", "1", "--out", dir.path("a.nbx"), "--quiet"});
    const Result b = cli(
        {"run", dir.path("reversed.nbx"), "--steps", "10", "--threads", "1", "--out", dir.path("b.nbx"), "--quiet"});
    ASSERT_EQ(a.status, EXIT_DONE) << a.err;
    ASSERT_EQ(b.status, EXIT_DONE) << b.err;
    std::ifstream fa(dir.path("a.nbx"), std::ios::binary), fb(dir.path("b.nbx"), std::ios::binary);
    std::stringstream sa, sb;
    sa << fa.rdbuf();
    sb << fb.rdbuf();
    EXPECT_EQ(sa.str(), sb.str());
}

}  // namespace
}  // namespace vantor::cli
