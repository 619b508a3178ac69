#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "benchmark/submission.h"
#include "cli/cli.h"
#include "tests/support/cli_support.h"

namespace vantor::cli {
namespace {

TEST(BenchCommand, UsageErrorsExitWithOne) {
    const std::vector<std::vector<std::string>> cases = {
        {"bench", "--rounds"},
        {"bench", "--rounds", "0"},
        {"bench", "--rounds", "101"},
        {"bench", "--rounds", "two"},
        {"bench", "--seconds", "0"},
        {"bench", "--seconds", "-1"},
        {"bench", "--seconds", "3601"},
        {"bench", "--seconds", "nan"},
        {"bench", "--threads", "0"},
        {"bench", "--threads", "999"},
        {"bench", "--comment", "no submission asked for"},
        {"bench", "--fast"},
        {"bench", "example:111"},
    };
    for (const auto& args : cases) {
        Result r = cli(args);
        EXPECT_EQ(r.status, EXIT_USAGE) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << testing::PrintToString(args);
        EXPECT_TRUE(r.out.empty()) << testing::PrintToString(args);
    }
}

TEST(BenchCommand, ShortRunPrintsBothScoresAndTheSystem) {
    Result r = cli({"bench", "--rounds", "1", "--seconds", "0.2", "--threads", "1"});
    ASSERT_EQ(r.status, EXIT_DONE) << r.err;
    const std::regex expected(
        "NBXMark: [0-9]+\n"
        "MaxFPS: [0-9]+\n"
        "Steps per second: [0-9]+\n"
        "Pair interactions per second: [0-9]+\n"
        "System: .+, -?[0-9]+ MHz, [0-9]+ MB of RAM \\([0-9]+ MB free\\)\n");
    EXPECT_TRUE(std::regex_match(r.out, expected)) << r.out;
}

TEST(BenchCommand, JsonCarriesTheFiguresAndTheSubmissionAddress) {
    Result r =
        cli({"bench", "--rounds", "1", "--seconds", "0.2", "--json", "--print-submission", "--comment", "a \"b\""});
    ASSERT_EQ(r.status, EXIT_DONE) << r.err;
    const std::string address = std::string(WEB_SERVER) + "/nbx/benchmark/?action=view&info=";
    const std::regex expected(
        "\\{\"NBXMark\": [0-9]+, \"MaxFPS\": [0-9]+, \"steps_per_second\": [0-9.]+, \"pairs_per_second\": [0-9]+, "
        "\"system\": \"[^\"]+\", \"submission\": \"" +
        std::regex_replace(address, std::regex("[.?/]"), "\\$&") + "[a-z~0-9A-Z_]+\"\\}\n");
    EXPECT_TRUE(std::regex_match(r.out, expected)) << r.out;
}

}  // namespace
}  // namespace vantor::cli
