#include "cli/cli.h"

namespace vantor::cli {

namespace {

const char* const kUsage =
    "Usage:\n"
    "  vantor-cli examples\n"
    "  vantor-cli info SCENERY\n"
    "  vantor-cli run SCENERY [--steps N] [--until SECONDS] [--threads W] [--out FILE] [--quiet]\n"
    "                 [--diagnostics FILE.csv [--every M]]\n"
    "  vantor-cli bench [--rounds R] [--seconds S] [--threads W] [--json] [--print-submission [--comment TEXT]]\n"
    "  vantor-cli render SCENERY --out FILE.png [--size WxH] [--steps N] [--frames K --every M]\n"
    "  vantor-cli render SCENERY --out FILE.mp4 [--size WxH] [--steps N] [--frames K --every M] [--fps R]\n"
    "      (.mp4, .mkv or .webm: the frames as one video at R frames per second, 30 unless given)\n"
    "\n"
    "SCENERY is a scenery file (.nbx) or a built-in example as example:NUMBER,\n"
    "for example example:110 (vantor-cli examples lists them).\n";

}  // namespace

int usageError(std::ostream& err, const std::string& message) {
    err << "vantor-cli: " << message << "\n\n" << kUsage;
    return EXIT_USAGE;
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usageError(err, "no command given");
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return EXIT_DONE;
    }
    if (command == "examples") return examplesCommand(rest, out, err);
    if (command == "info") return infoCommand(rest, out, err);
    if (command == "run") return runCommand(rest, out, err);
    if (command == "bench") return benchCommand(rest, out, err);
    if (command == "render") return renderCommand(rest, out, err);
    return usageError(err, "unknown command '" + command + "'");
}

}  // namespace vantor::cli
