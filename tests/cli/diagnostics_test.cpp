// vantor-cli run --diagnostics: the CSV of conservation figures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/world.h"
#include "scenery/reader.h"
#include "tests/support/cli_support.h"

namespace vantor::cli {
namespace {

const char* const kHeader =
    "time,steps,kinetic_energy,potential_energy,total_energy,energy_drift,momentum_x,momentum_y,momentum_z,"
    "angular_momentum_x,angular_momentum_y,angular_momentum_z";

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

std::vector<double> fields(const std::string& line) {
    std::vector<double> values;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');) values.push_back(std::strtod(field.c_str(), nullptr));
    return values;
}

using DiagnosticsTest = CliFileTest;

// A row before the first step, one every M steps, one after the last (not
// repeated when the last step falls on M); without --every about 100 rows.
TEST_F(DiagnosticsTest, HeaderAndRowCountsForStepsAndEvery) {
    struct Case {
        std::vector<std::string> options;
        size_t rows;
        std::vector<long long> stepsColumn;  // checked where given
    };
    const Case cases[] = {
        {{"--steps", "10", "--every", "3"}, 5, {0, 3, 6, 9, 10}},
        {{"--steps", "9", "--every", "3"}, 4, {0, 3, 6, 9}},
        {{"--steps", "7", "--every", "100"}, 2, {0, 7}},
        {{"--steps", "0", "--every", "5"}, 1, {0}},
        {{}, 2, {0, 1}},  // a run of one step
        {{"--steps", "40"}, 41, {}},
        {{"--steps", "1000"}, 101, {}},
        {{"--steps", "1050"}, 97, {0, 11, 22}},  // every 11: 95 rows, and the last
        {{"--until", "30000"}, 101, {0, 3, 6}},  // the example's 100 s steps: 300 steps
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"run", "example:110", "--quiet", "--diagnostics", path("d.csv")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(testing::PrintToString(args));
        const Result r = cli(args);
        ASSERT_EQ(r.status, EXIT_DONE) << r.err;
        const std::vector<std::string> text = lines(path("d.csv"));
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text[0], kHeader);
        EXPECT_EQ(text.size() - 1, c.rows);
        for (size_t k = 0; k < c.stepsColumn.size() && k + 1 < text.size(); ++k) {
            EXPECT_EQ(fields(text[k + 1]).at(1), c.stepsColumn[k]);
        }
        for (size_t k = 1; k < text.size(); ++k) EXPECT_EQ(fields(text[k]).size(), 12u) << text[k];
        EXPECT_EQ(fields(text[1]).at(5), 0.0);  // the drift of the reference row
    }
}

// The figures by plain loops over a scenery read back from its file.
struct Figures {
    double kinetic = 0, potential = 0;
    double p[3] = {0, 0, 0}, l[3] = {0, 0, 0};
};

Figures independentFigures(const World& w) {
    Figures f;
    for (int i = 0; i < w.OBJECTS_N; ++i) {
        const ObjectRecord& a = w.objects[i];
        if (a.disabled) continue;
        f.kinetic += a.mass * (a.vx * a.vx + a.vy * a.vy + a.vz * a.vz) / 2;
        f.p[0] += a.mass * a.vx, f.p[1] += a.mass * a.vy, f.p[2] += a.mass * a.vz;
        f.l[0] += a.mass * (a.y * a.vz - a.z * a.vy);
        f.l[1] += a.mass * (a.z * a.vx - a.x * a.vz);
        f.l[2] += a.mass * (a.x * a.vy - a.y * a.vx);
        for (int j = i + 1; j < w.OBJECTS_N; ++j) {
            const ObjectRecord& b = w.objects[j];
            if (b.disabled) continue;
            const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
            f.potential -= G * a.mass * b.mass / std::sqrt(dx * dx + dy * dy + dz * dz);
        }
    }
    return f;
}

// The last row describes the saved end state, the first the start; the
// numbers read back exactly (17 digits), so the drift column is the drift of
// the columns beside it.
TEST_F(DiagnosticsTest, RowsMatchAnIndependentComputationFromTheSavedScenery) {
    const Result r = cli({"run", "example:110", "--steps", "500", "--every", "125", "--quiet", "--out", path("end.nbx"),
                          "--diagnostics", path("d.csv")});
    ASSERT_EQ(r.status, EXIT_DONE) << r.err;
    World end, start;
    ASSERT_EQ(readScenery(end, 0, path("end.nbx").c_str()), 1);
    ASSERT_EQ(readScenery(start, 110, nullptr), 1);
    const std::vector<std::string> text = lines(path("d.csv"));
    ASSERT_EQ(text.size(), 6u);
    const std::vector<double> first = fields(text[1]), last = fields(text.back());
    for (const auto& [world, row] : {std::pair<const World*, const std::vector<double>*>{&start, &first},
                                     std::pair<const World*, const std::vector<double>*>{&end, &last}}) {
        const Figures f = independentFigures(*world);
        const std::vector<double>& v = *row;
        EXPECT_EQ(v[0], world->SIMULATION_TIME);
        EXPECT_NEAR(v[2], f.kinetic, 1e-13 * std::fabs(f.kinetic));
        EXPECT_NEAR(v[3], f.potential, 1e-13 * std::fabs(f.potential));
        EXPECT_EQ(v[4], v[2] + v[3]);
        const double pScale = std::fabs(f.p[0]) + std::fabs(f.p[1]) + std::fabs(f.p[2]) + 1e20;
        const double lScale = std::fabs(f.l[0]) + std::fabs(f.l[1]) + std::fabs(f.l[2]);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(v[6 + c], f.p[c], 1e-12 * pScale) << c;
            EXPECT_NEAR(v[9 + c], f.l[c], 1e-12 * lScale) << c;
        }
    }
    EXPECT_EQ(last[1], 500);
    EXPECT_EQ(last[5], (last[4] - first[4]) / std::fabs(first[4]));
    EXPECT_NE(last[5], 0.0);  // the integration does drift a little
}

// Bad options and unwritable files: a clear message; a target that is not
// a regular file is left as it was.
TEST_F(DiagnosticsTest, BadOptionsAndTargetsAreRefused) {
    struct Case {
        std::vector<std::string> extra;
        int status;
        std::string message;
    };
    ::mkfifo(path("pipe.csv").c_str(), 0644);
    const Case cases[] = {
        {{"--every", "5"}, EXIT_USAGE, "--every needs --diagnostics FILE.csv"},
        {{"--diagnostics", path("d.csv"), "--every", "0"}, EXIT_USAGE, "--every needs a whole number of steps"},
        {{"--diagnostics", path("d.csv"), "--every", "x"}, EXIT_USAGE, "--every needs a whole number of steps"},
        {{"--diagnostics"}, EXIT_USAGE, "--diagnostics needs a value"},
        {{"--diagnostics", ""}, EXIT_USAGE, "--diagnostics needs a file name"},
        {{"--diagnostics", path("missing/d.csv")}, EXIT_FILE, "No such file or directory"},
        {{"--diagnostics", path("pipe.csv")}, EXIT_FILE, "not a regular file (a FIFO)"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"run", "example:110", "--steps", "3", "--quiet"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        SCOPED_TRACE(testing::PrintToString(args));
        const Result r = cli(args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    struct stat st {};
    ASSERT_EQ(::stat(path("pipe.csv").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace vantor::cli
