// vantor-soak: a long run of the benchmark scenery and the 500-object
// example, autosaving both into separate files every few seconds, reading
// every autosave back, and reporting the memory in use. Not a test: run it
// by hand (make soak), best in the address-sanitizer build.
//
//   vantor-soak [--seconds N] [--folder DIR] [--autosave-period S] [--report-period S]
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/gravity.h"
#include "engine/runcontrol.h"
#include "scenery/examples.h"
#include "scenery/reader.h"
#include "scenery/writer.h"

namespace {

using namespace vantor;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Options {
    double seconds = 600;
    std::string folder = "soak";
    int autosavePeriod = 3;  // s; at least 1, so that two autosaves never share a time stamp
    int reportPeriod = 30;   // s
};

// One scenery being run and autosaved.
struct Run {
    int example = 0;
    std::string baseName;  // the scenery's own file name; autosaves add the time
    World world;
    WorkerPool pool;
    long long steps = 0;
    long long collisions = 0;          // collision stops, each followed by a reinitialise
    std::vector<std::string> written;  // autosave files, each also checked once at once
};

// Resident memory of this process in kB, from /proc/self/status.
long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

bool parseOptions(int argc, char** argv, Options& o) {
    for (int k = 1; k < argc; ++k) {
        const std::string a = argv[k];
        if (k + 1 >= argc) return false;
        const char* v = argv[++k];
        auto whole = [&](int& field, int least) {
            const char* end = v + std::strlen(v);
            const auto r = std::from_chars(v, end, field);
            return r.ec == std::errc() && r.ptr == end && field >= least;
        };
        if (a == "--seconds") {
            char* end = nullptr;
            o.seconds = std::strtod(v, &end);
            if (*end != '\0' || !(o.seconds > 0)) return false;
        } else if (a == "--folder") {
            o.folder = v;
        } else if (a == "--autosave-period") {
            if (!whole(o.autosavePeriod, 1)) return false;
        } else if (a == "--report-period") {
            if (!whole(o.reportPeriod, 1)) return false;
        } else {
            return false;
        }
    }
    return true;
}

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t;
}

// Whether the file reads back into the world whose text is `expected`.
bool readsBackAs(const std::string& path, const std::string& expected, std::string& why) {
    World back;
    newScenery(back);
    if (readScenery(back, 0, path.c_str(), &why) != 1) return false;
    if (sceneryText(back) != expected) {
        why = "read back differently";
        return false;
    }
    return true;
}

// Autosaves the run into a file of its own, as autosave into separate
// files does, and reads it straight back. False on any failure.
bool autosave(Run& r) {
    const std::string path = separateAutosaveName(r.baseName, localNow());
    if (fs::exists(path)) {
        std::fprintf(stderr, "vantor-soak: %s exists already: two autosaves in one second\n", path.c_str());
        return false;
    }
    std::string why;
    if (writeSceneryFile(r.world, path, &why) != 0) {
        std::fprintf(stderr, "vantor-soak: autosave to %s failed: %s\n", path.c_str(), why.c_str());
        return false;
    }
    if (!readsBackAs(path, sceneryText(r.world), why)) {
        std::fprintf(stderr, "vantor-soak: autosave %s: %s\n", path.c_str(), why.c_str());
        return false;
    }
    r.written.push_back(path);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parseOptions(argc, argv, o)) {
        std::fprintf(stderr,
                     "Usage: vantor-soak [--seconds N] [--folder DIR] [--autosave-period S] [--report-period S]\n");
        return 1;
    }
    std::error_code ec;
    fs::create_directories(o.folder, ec);
    if (ec || !fs::is_directory(o.folder)) {
        std::fprintf(stderr, "vantor-soak: cannot make the folder %s\n", o.folder.c_str());
        return 2;
    }

    std::vector<std::unique_ptr<Run>> runs;
    for (const auto& [number, name] : {std::pair{BENCHMARK_EXAMPLE, "benchmark.nbx"}, std::pair{127, "n500.nbx"}}) {
        auto r = std::make_unique<Run>();
        r->example = number;
        r->baseName = (fs::path(o.folder) / name).string();
        newScenery(r->world);
        if (readScenery(r->world, number, nullptr) != 1 || createWorkerPool(r->pool, r->world) != 1) {
            std::fprintf(stderr, "vantor-soak: cannot load example %d\n", number);
            return 2;
        }
        runs.push_back(std::move(r));
    }

    std::printf("%9s %12s %12s %10s %10s %10s\n", "seconds", "steps 111", "steps 127", "autosaves", "verified",
                "RSS kB");
    const Clock::time_point start = Clock::now();
    const auto autosaveEvery = std::chrono::seconds(o.autosavePeriod);
    const auto reportEvery = std::chrono::seconds(o.reportPeriod);
    Clock::time_point nextAutosave = start + autosaveEvery;
    Clock::time_point nextReport = start;
    long long autosaves = 0, verified = 0;
    bool failed = false;
    std::vector<long> rss;

    auto report = [&](double seconds) {
        rss.push_back(residentKb());
        std::printf("%9.0f %12lld %12lld %10lld %10lld %10ld\n", seconds, runs[0]->steps, runs[1]->steps, autosaves,
                    verified, rss.back());
        std::fflush(stdout);
    };

    for (;;) {
        const Clock::time_point now = Clock::now();
        const double elapsed = std::chrono::duration<double>(now - start).count();
        if (now >= nextReport) {
            report(elapsed);
            nextReport += reportEvery;
        }
        if (elapsed >= o.seconds) break;
        if (now >= nextAutosave) {
            for (auto& r : runs) {
                ++autosaves;
                if (autosave(*r)) ++verified;
                else failed = true;
            }
            // The next tick a whole period after this one ends, so that
            // no two autosaves of one scenery fall into the same second.
            nextAutosave = Clock::now() + autosaveEvery;
        }
        // A batch of steps for each scenery between the checks of the clock.
        for (auto& r : runs) {
            for (int k = 0; k < 10; ++k) {
                simulationStep(r->world, r->pool);
                ++r->steps;
                if (r->world.collisionDetected) {
                    // The program would pause; the soak starts the scenery afresh.
                    ++r->collisions;
                    reinitializeWorld(r->world, r->pool);
                }
            }
        }
    }

    // Every autosave once more at the end: none was overwritten by another.
    long long rereadFailures = 0;
    for (const auto& r : runs) {
        for (const std::string& path : r->written) {
            World back;
            newScenery(back);
            std::string why;
            if (readScenery(back, 0, path.c_str(), &why) != 1 || back.OBJECTS_N != r->world.OBJECTS_N) {
                std::fprintf(stderr, "vantor-soak: %s no longer reads: %s\n", path.c_str(), why.c_str());
                ++rereadFailures;
            }
        }
    }

    long least = rss.empty() ? 0 : rss[0], most = least;
    for (long v : rss) {
        least = std::min(least, v);
        most = std::max(most, v);
    }
    // Growth after warm-up: from the report nearest a tenth of the run to the last.
    const size_t warm = rss.size() / 10;
    std::printf("\nsteps: %lld (example %d, %lld collision stops), %lld (example %d, %lld collision stops)\n",
                runs[0]->steps, runs[0]->example, runs[0]->collisions, runs[1]->steps, runs[1]->example,
                runs[1]->collisions);
    std::printf("autosaves: %lld written, %lld read back at once, %lld failures reading them all again at the end\n",
                autosaves, verified, rereadFailures);
    if (!rss.empty()) {
        std::printf("RSS kB: first %ld, least %ld, most %ld, last %ld; after warm-up %+ld\n", rss.front(), least, most,
                    rss.back(), rss.back() - rss[warm]);
    }
    return failed || rereadFailures != 0 ? 1 : 0;
}
