// The help and the manual page describe every command and every option that
// the command-line parsers accept: the options are read from the parsers'
// own sources, so that a new one cannot go undocumented.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "cli/cli.h"
#include "scenery/writer.h"
#include "tests/support/cli_support.h"

namespace vantor::cli {
namespace {

std::string readSource(const std::string& relative) {
    std::ifstream in(std::string(VANTOR_SOURCE_DIR) + "/" + relative, std::ios::binary);
    EXPECT_TRUE(in) << relative;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every "--option" string literal of the parsers.
std::set<std::string> parsedOptions() {
    std::set<std::string> options;
    const std::regex literal("\"(--[a-z][a-z-]*)\"");
    for (const char* file : {"cli/cli.cpp", "cli/run.cpp", "cli/bench.cpp", "cli/render.cpp", "cli/info.cpp"}) {
        const std::string text = readSource(file);
        for (auto m = std::sregex_iterator(text.begin(), text.end(), literal); m != std::sregex_iterator(); ++m) {
            options.insert((*m)[1]);
        }
    }
    return options;
}

// The manual page's text with its escapes undone ("\-" is a minus).
std::string manualPage() { return std::regex_replace(readSource("packaging/vantor-cli.1"), std::regex("\\\\-"), "-"); }

TEST(CliHelp, HelpAndManualPageCoverEveryCommandAndOption) {
    const std::set<std::string> options = parsedOptions();
    for (const char* known : {"--steps", "--until", "--paint-every", "--print-submission", "--version"}) {
        EXPECT_TRUE(options.count(known)) << "the parsers' options were not found: " << known;
    }
    const Result help = cli({"--help"});
    EXPECT_EQ(help.status, EXIT_DONE);
    const std::string page = manualPage();
    for (const std::string& option : options) {
        // Described on a line of its own, not only named in the usage.
        EXPECT_TRUE(std::regex_search(help.out, std::regex("\n +" + option + " "))) << option;
        EXPECT_TRUE(std::regex_search(page, std::regex("\n\\.TP\n\\.BI? " + option + "[ \n]"))) << option;
    }
    for (const std::string command : {"examples", "info", "run", "bench", "render"}) {
        EXPECT_TRUE(std::regex_search(help.out, std::regex("\n  " + command + " "))) << command;
        EXPECT_TRUE(std::regex_search(page, std::regex("\n\\.TP\n\\.BI? " + command + "[ \n]"))) << command;
    }
}

TEST(CliHelp, HelpAfterACommandIsTheHelp) {
    const std::string help = cli({"--help"}).out;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"render", "--help"}, {"run", "example:110", "-h"}, {"bench", "--help"}}) {
        const Result r = cli(args);
        EXPECT_EQ(r.status, EXIT_DONE) << args[0];
        EXPECT_EQ(r.out, help) << args[0];
        EXPECT_EQ(r.err, "") << args[0];
    }
}

TEST(CliHelp, VersionIsTheProgramsVersion) {
    const Result r = cli({"--version"});
    EXPECT_EQ(r.status, EXIT_DONE);
    EXPECT_EQ(r.out, std::string("vantor-cli ") + PROGRAM_VERSION + "\n");
    EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace vantor::cli
