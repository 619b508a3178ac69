// vantor-cli: the headless front end. Each command writes its results to
// `out` and its messages to `err` and returns the process exit status.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vantor::cli {

enum ExitStatus {
    EXIT_DONE = 0,
    EXIT_USAGE = 1,      // bad command line: a message and the usage
    EXIT_FILE = 2,       // a file that cannot be read or written
    EXIT_COLLISION = 3,  // a run stopped by a collision
    EXIT_BENCHMARK = 4,  // a benchmark that did not complete
    EXIT_STUCK = 1,      // a run whose simulated time no longer advances, so --until cannot be reached
};

// Prints the message and the usage; returns EXIT_USAGE.
int usageError(std::ostream& err, const std::string& message);

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int examplesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int infoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int benchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int renderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vantor::cli
