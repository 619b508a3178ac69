#include "cli/cli.h"
#include "tests/support/cli_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "scenery/reader.h"
#include "scenery/writer.h"

namespace vantor::cli {
namespace {

namespace fs = std::filesystem;

using CliTest = CliFileTest;

TEST_F(CliTest, UsageErrorsExitWithOneAndShowTheUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"run"},
        {"run", "example:110", "--steps"},
        {"run", "example:110", "--steps", "-1"},
        {"run", "example:110", "--steps", "12x"},
        {"run", "example:110", "--until", "soon"},
        {"run", "example:110", "--bogus"},
        {"run", "example:110", "example:111"},
        {"run", "example:110", "--threads", "0"},
        {"run", "example:127", "--threads", "999"},
        {"info"},
        {"examples", "extra"},
    };
    for (const auto& args : cases) {
        Result r = cli(args);
        EXPECT_EQ(r.status, EXIT_USAGE) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << testing::PrintToString(args);
    }
}

// The first line of each usage error names the first problem found, for
// every command and kind of option.
TEST_F(CliTest, UsageErrorsNameTheFirstProblem) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"run", "", "--quiet"}, "run needs a SCENERY"},
        {{"run", "example:110", "x", "--steps", "q"}, "more than one SCENERY given"},
        {{"run", "--steps", "q", "example:110", "x"}, "--steps needs a whole number, 0 or more"},
        {{"run", "example:110", "-"}, "unknown option '-'"},
        {{"run", "example:110", "--steps"}, "--steps needs a value"},
        {{"run", "example:110", "--threads", "1.5"}, "--threads needs a whole number, 0 or more"},
        {{"run", "example:110", "--until", "-1"}, "--until needs a number of seconds, 0 or more"},
        {{"run", "example:110", "--every", "0"}, "--every needs a whole number of steps, 1 or more"},
        {{"run", "example:110", "--every", "2"}, "--every needs --diagnostics FILE.csv"},
        {{"run", "example:110", "--bogus"}, "unknown option '--bogus'"},
        {{"render", "example:110"}, "render needs --out FILE"},
        {{"render", "example:110", "--out"}, "--out needs a value"},
        {{"render", "example:110", "--out", "a.png", "--size", "0x5"},
         "--size needs WIDTHxHEIGHT, each from 1 to 16384"},
        {{"render", "example:110", "--out", "a.png", "--paint-every", "0"},
         "--paint-every needs a whole number, 1 or more"},
        {{"render", "example:110", "--out", "a.png", "--frames", "0"}, "--frames needs a whole number, 1 or more"},
        {{"render", "example:110", "--out", "a.png", "--every", "2"}, "--every needs --frames"},
        {{"render", "example:110", "--out", "a.png", "--fps", "0"}, "--fps needs a whole number, 1 or more"},
        {{"render", "example:110", "--out", "a.png", "--fps", "1001"}, "--fps needs a whole number from 1 to 1000"},
        {{"render", "example:110", "--out", "a.png", "--fps", "30"},
         "--fps needs a video --out FILE (.mp4, .mkv or .webm)"},
        {{"bench", "--rounds", "0"}, "--rounds needs a whole number from 1 to 100"},
        {{"bench", "--rounds", "101"}, "--rounds needs a whole number from 1 to 100"},
        {{"bench", "--seconds", "3601"}, "--seconds needs a number of seconds above 0, at most 3600"},
        {{"bench", "--threads", "0"}, "--threads needs a whole number, 1 or more"},
        {{"bench", "--comment", "x"}, "--comment needs --print-submission"},
        {{"bench", "--json", "--comment"}, "--comment needs a value"},
        {{"bench", "example:111"}, "bench takes no SCENERY"},
        {{"info", "a", "b"}, "info takes one SCENERY"},
        {{"examples", "extra"}, "examples takes no arguments"},
    };
    for (const auto& c : cases) {
        Result r = cli(c.args);
        EXPECT_EQ(r.status, EXIT_USAGE) << testing::PrintToString(c.args);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "vantor-cli: " + c.message) << testing::PrintToString(c.args);
    }
}

// An option's value is the next argument, whatever it starts with.
TEST_F(CliTest, AValueMayStartWithADash) {
    Result r = cli({"run", "example:110", "--quiet", "--steps", "-0"});
    EXPECT_EQ(r.status, EXIT_DONE) << r.err;
    // Even an option's name: here a file named "--quiet" in the test's folder.
    const fs::path before = fs::current_path();
    fs::current_path(path(""));
    r = cli({"run", "example:110", "--steps", "0", "--out", "--quiet"});
    fs::current_path(before);
    EXPECT_EQ(r.status, EXIT_DONE) << r.err;
    EXPECT_TRUE(fs::exists(path("--quiet")));
    EXPECT_NE(r.out.find("Steps done:"), std::string::npos);  // --quiet was no flag here
}

TEST_F(CliTest, UnreadableSceneryNamesTheFileAndTheReason) {
    Result missing = cli({"run", path("missing.nbx")});
    EXPECT_EQ(missing.status, EXIT_FILE);
    EXPECT_NE(missing.err.find("missing.nbx"), std::string::npos);
    EXPECT_NE(missing.err.find("No such file"), std::string::npos);

    Result folder = cli({"info", dir_.string()});
    EXPECT_EQ(folder.status, EXIT_FILE);

    Result example = cli({"run", "example:999"});
    EXPECT_EQ(example.status, EXIT_FILE);
    EXPECT_NE(example.err.find("example:999"), std::string::npos);
}

TEST_F(CliTest, UnwritableOutputIsAFileError) {
    fs::create_directories(dir_ / "taken.nbx");
    Result r = cli({"run", "example:110", "--steps", "0", "--out", path("taken.nbx")});
    EXPECT_EQ(r.status, EXIT_FILE);
    EXPECT_NE(r.err.find("taken.nbx"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.nbx"));
}

TEST_F(CliTest, RunStepsAndWritesTheResult) {
    Result r = cli({"run", "example:110", "--steps", "25", "--out", path("out.nbx")});
    ASSERT_EQ(r.status, EXIT_DONE) << r.err;
    EXPECT_NE(r.out.find("Steps done:         25\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Workers:"), std::string::npos);
    EXPECT_NE(r.out.find("MCS:"), std::string::npos);

    World w;
    ASSERT_EQ(readScenery(w, 0, path("out.nbx").c_str()), 1);
    EXPECT_EQ(w.SIMULATION_TIME, 2500.0);  // 25 steps of 100 s
    EXPECT_EQ(w.OBJECTS_N, 10);
}

TEST_F(CliTest, UntilStopsAtTheSimulatedTime) {
    Result r = cli({"run", "example:110", "--until", "1050", "--out", path("out.nbx"), "--quiet"});
    ASSERT_EQ(r.status, EXIT_DONE) << r.err;
    EXPECT_EQ(r.out, "");
    World w;
    ASSERT_EQ(readScenery(w, 0, path("out.nbx").c_str()), 1);
    EXPECT_EQ(w.SIMULATION_TIME, 1100.0);
}

// Runs vantor-cli in a child process that an alarm ends should it hang;
// the status is -1 when it did not finish. Only the messages come back.
Result cliInChild(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe(fds) != 0) return {-1, "", "pipe failed"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        ::alarm(30);
        const Result r = cli(args);
        const bool sent = ::write(fds[1], r.err.data(), r.err.size()) == static_cast<ssize_t>(r.err.size());
        ::_exit(sent ? r.status : 99);
    }
    ::close(fds[1]);
    std::string err;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) err.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return {-1, "", err};
    return {WEXITSTATUS(status), "", err};
}

TEST_F(CliTest, UntilBeyondWhereTheTimeStopsAdvancingFails) {
    // At 1e20 s a step of 1 s is below the time's precision: t + dt == t.
    const std::string scenery = file("stuck.nbx",
                                     "[SIMULATION_TIME_STEP]=1.e+000\n[SIMULATION_TIME]=1.e+020\n[OBJECTS_N]=2\n"
                                     "[OBJECT_1_MASS]=1.e+000\n[OBJECT_2_MASS]=1.e+000\n[OBJECT_2_X]=1.e+009\n");
    const Result r = cliInChild({"run", scenery, "--until", "2e20", "--out", path("after.nbx")});
    ASSERT_NE(r.status, -1) << "the run did not end";
    EXPECT_EQ(r.status, EXIT_STUCK);
    EXPECT_EQ(r.err,
              "vantor-cli: the simulated time no longer advances (SIMULATION_TIME 1.e+020 s, time step "
              "1.e+000 s): --until 2e20 cannot be reached\n");
    EXPECT_FALSE(fs::exists(path("after.nbx")));
}

TEST_F(CliTest, ZeroStepsWritesTheSceneryBack) {
    Result r = cli({"run", "example:129", "--steps", "0", "--out", path("same.nbx"), "--quiet"});
    ASSERT_EQ(r.status, EXIT_DONE) << r.err;
    World loaded;
    readScenery(loaded, 129, nullptr);
    std::ifstream in(path("same.nbx"), std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, sceneryText(loaded));
}

TEST_F(CliTest, CollisionStopsWithStatusThreeAndStillWrites) {
    const std::string scenery = file("crash.nbx",
                                     "[OBJECTS_N]=3\n[OBJECT_1_MASS]=1.e+024\n[OBJECT_2_MASS]=1.e+024\n"
                                     "[OBJECT_3_MASS]=1.e+020\n[OBJECT_3_X]=5.e+008\n");
    Result r = cli({"run", scenery, "--steps", "10", "--out", path("after.nbx")});
    EXPECT_EQ(r.status, EXIT_COLLISION);
    EXPECT_NE(r.err.find("A collision has been detected. Simulation stopped."), std::string::npos);
    World w;
    ASSERT_EQ(readScenery(w, 0, path("after.nbx").c_str()), 1);
    EXPECT_EQ(w.SIMULATION_TIME, 10.0);
    EXPECT_EQ(w.objects[2].x, 5e8);  // the stopped step changed nothing

    // With collisions allowed the two are disabled and the run goes on.
    const std::string allowed =
        file("allowed.nbx",
             "[ALLOW_OBJECT_COLLISIONS]=1\n[OBJECTS_N]=3\n[OBJECT_1_MASS]=1.e+024\n[OBJECT_2_MASS]=1.e+024\n"
             "[OBJECT_3_MASS]=1.e+020\n[OBJECT_3_X]=5.e+008\n");
    Result ok = cli({"run", allowed, "--steps", "10"});
    EXPECT_EQ(ok.status, EXIT_DONE) << ok.err;
    EXPECT_NE(ok.out.find("Collision counter:  2"), std::string::npos) << ok.out;
}

TEST_F(CliTest, FewerThanTwoObjectsDoesNotStep) {
    const std::string lone = file("lone.nbx", "[OBJECTS_N]=1\n[OBJECT_1_MASS]=5.e+000\n");
    Result r = cli({"run", lone, "--steps", "100"});
    EXPECT_EQ(r.status, EXIT_DONE);
    EXPECT_NE(r.out.find("Steps done:         0\n"), std::string::npos) << r.out;
}

TEST_F(CliTest, ThreadsWithinTheLimitAreAccepted) {
    Result r = cli({"run", "example:127", "--threads", "1", "--steps", "2"});
    EXPECT_EQ(r.status, EXIT_DONE) << r.err;
    EXPECT_NE(r.out.find("Workers:            1\n"), std::string::npos) << r.out;
}

TEST_F(CliTest, ExamplesAndInfo) {
    Result list = cli({"examples"});
    ASSERT_EQ(list.status, EXIT_DONE);
    for (const char* n : {"111", "127", "110", "129", "130", "128", "131", "123", "124", "125"})
        EXPECT_NE(list.out.find(n), std::string::npos) << n;
    EXPECT_NE(list.out.find("Solar_system-heliocentric.nbx"), std::string::npos);

    Result info = cli({"info", "example:110"});
    ASSERT_EQ(info.status, EXIT_DONE) << info.err;
    EXPECT_NE(info.out.find("Solar system - heliocentric"), std::string::npos);
    EXPECT_NE(info.out.find("10 initial, 10 current"), std::string::npos);
    EXPECT_NE(info.out.find("object 1 (Sun)"), std::string::npos);
}

}  // namespace
}  // namespace vantor::cli
