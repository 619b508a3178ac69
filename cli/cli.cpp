#include "cli/cli.h"

#include "cli/options.h"
#include "scenery/writer.h"

namespace vantor::cli {

namespace {

const char* const kUsage =
    "Usage:\n"
    "  vantor-cli examples\n"
    "  vantor-cli info SCENERY\n"
    "  vantor-cli run SCENERY [--steps N] [--until SECONDS] [--threads W] [--out FILE] [--quiet]\n"
    "                 [--diagnostics FILE.csv [--every M]]\n"
    "  vantor-cli bench [--rounds R] [--seconds S] [--threads W] [--json] [--print-submission [--comment TEXT]]\n"
    "  vantor-cli render SCENERY --out FILE.png [--size WxH] [--steps N] [--until SECONDS] [--paint-every M]\n"
    "                    [--frames K --every M]\n"
    "  vantor-cli render SCENERY --out FILE.mp4 [--size WxH] [--steps N] [--until SECONDS] [--paint-every M]\n"
    "                    [--frames K --every M] [--fps R]\n"
    "      (.mp4, .mkv or .webm: the frames as one video at R frames per second, 30 unless given)\n"
    "  vantor-cli --help | --version\n"
    "\n"
    "SCENERY is a scenery file (.nbx) or a built-in example as example:NUMBER,\n"
    "for example example:110 (vantor-cli examples lists them).\n";

// The whole help: the usage, then every command and option.
const char* const kHelp =
    "\n"
    "Commands:\n"
    "  examples            List the built-in examples: number, item, category, object counts.\n"
    "  info SCENERY        Describe a scenery: name, description, settings and objects.\n"
    "  run SCENERY         Step a scenery as the program's run loop does and report the speed.\n"
    "    --steps N           Stop after N steps (with neither --steps nor --until: one step).\n"
    "    --until SECONDS     Stop when the simulated time reaches SECONDS.\n"
    "    --threads W         Compute with W worker threads (1 up to the number chosen for the scenery).\n"
    "    --out FILE          Save the result as a scenery file.\n"
    "    --quiet             Print no summary.\n"
    "    --diagnostics FILE.csv  Write the energies, momentum and angular momentum as CSV: a row before\n"
    "                        the first step, every M steps (--every M; default about 100 rows) and after\n"
    "                        the last.\n"
    "  bench               Score the computer as the benchmark dialog does (NBXMark and MaxFPS).\n"
    "    --rounds R          Rounds of runs, 1 to 100 (default 3); the best counts.\n"
    "    --seconds S         Seconds per run, above 0 and at most 3600 (default 10).\n"
    "    --threads W         Compute with W worker threads.\n"
    "    --json              Print the results as one JSON object.\n"
    "    --print-submission  Also print the address that submits the results to the project's web site.\n"
    "    --comment TEXT      A comment to send with the submission.\n"
    "  render SCENERY      Paint frames as the program's view shows them and write them as PNG files\n"
    "                      or as one video.\n"
    "    --out FILE.png      The picture to write; FILE.mp4, FILE.mkv or FILE.webm: one video of the frames.\n"
    "    --size WxH          Frame size in pixels (default 600x350, the program's view at start-up).\n"
    "    --steps N           Step N times before the frame.\n"
    "    --until SECONDS     Step until the simulated time reaches SECONDS before the frame.\n"
    "    --paint-every M     Paint a frame every M steps on the way, so that trails accumulate as\n"
    "                        they do in the program (for sceneries that show trails).\n"
    "    --frames K          Write K numbered frames, FILE-0001.png and on.\n"
    "    --every M           Step M times between two numbered frames (needs --frames).\n"
    "    --fps R             Frames per second of a video (default 30).\n"
    "  --help              Print this help (also after a command: vantor-cli run --help).\n"
    "  --version           Print the program's version.\n"
    "\n"
    "Exit status: 0 done, 1 bad command line or an --until the time cannot reach, 2 a file that cannot be\n"
    "read or written, 3 a run stopped by a collision, 4 a benchmark that did not complete; a video export\n"
    "ended by a signal: 128 plus the signal's number.\n";

}  // namespace

int usageError(std::ostream& err, const std::string& message) {
    err << "vantor-cli: " << message << "\n\n" << kUsage;
    return EXIT_USAGE;
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usageError(err, "no command given");
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "help" || asksForHelp(args)) {
        out << kUsage << kHelp;
        return EXIT_DONE;
    }
    if (command == "--version") {
        out << "vantor-cli " << PROGRAM_VERSION << "\n";
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
