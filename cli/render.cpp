// vantor-cli render: load a scenery, step it, paint frames as the view
// would show them and write them as PNG files or as one video. Frames
// painted on the way (--paint-every) let trails accumulate as they do in the
// program.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>

#include "cli/cli.h"
#include "cli/options.h"
#include "cli/progress_bar.h"
#include "cli/scenery_source.h"
#include "engine/gravity.h"
#include "render/camera.h"
#include "render/painter.h"
#include "render/png.h"
#include "render/static_scenery.h"
#include "scenery/realtext.h"
#include "video/video_writer.h"

namespace vantor::cli {

namespace {

constexpr int MAX_FRAME_SIDE = 16384;  // pixels; keeps a typo from asking for gigabytes
constexpr int MAX_FPS = 1000;

struct RenderOptions {
    std::string scenery;
    std::string outFile;
    int width = 600, height = 350;  // the program's view at start-up
    std::optional<long long> steps;
    std::optional<double> until;
    std::string untilText;     // as given, for messages
    long long paintEvery = 0;  // 0: no frames painted on the way
    std::optional<long long> frames;
    std::optional<long long> every;
    std::optional<long long> fps;
};

bool parseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    std::optional<long long> w = parseWholeNumber(text.substr(0, x)), h = parseWholeNumber(text.substr(x + 1));
    if (!w || !h || *w < 1 || *h < 1 || *w > MAX_FRAME_SIDE || *h > MAX_FRAME_SIDE) return false;
    width = static_cast<int>(*w);
    height = static_cast<int>(*h);
    return true;
}

std::optional<std::string> parseRenderOptions(const std::vector<std::string>& args, RenderOptions& o) {
    OptionParser options;
    options.text("--out", o.outFile)
        .text("--size",
              [&](const std::string& v) -> Problem {
                  if (parseSize(v, o.width, o.height)) return std::nullopt;
                  return "--size needs WIDTHxHEIGHT, each from 1 to " + std::to_string(MAX_FRAME_SIDE);
              })
        .wholeNumber("--steps", o.steps, 0)
        .number(
            "--until", [](double s) { return s < 0; }, "--until needs a number of seconds, 0 or more",
            [&](double s, const std::string& text) {
                o.until = s;
                o.untilText = text;
            })
        .wholeNumber(
            "--paint-every", [&](long long n) { o.paintEvery = n; }, 1)
        .wholeNumber("--frames", o.frames, 1)
        .wholeNumber("--every", o.every, 0)
        .wholeNumber("--fps", o.fps, 1, MAX_FPS, "--fps needs a whole number, 1 or more")
        .operand(oneScenery(o.scenery));
    if (Problem problem = options.parse(args)) return problem;
    if (o.scenery.empty()) return "render needs a SCENERY";
    if (o.outFile.empty()) return "render needs --out FILE";
    if (o.every && !o.frames) return "--every needs --frames";
    if (o.fps && !video::isVideoFile(o.outFile)) return "--fps needs a video --out FILE (.mp4, .mkv or .webm)";
    return std::nullopt;
}

// FILE.png -> FILE-0001.png (the number before the extension).
std::string numberedPath(const std::string& file, long long number) {
    namespace fs = std::filesystem;
    const fs::path p(file);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-%04lld", number);
    return (p.parent_path() / (p.stem().string() + suffix + p.extension().string())).string();
}

// The signal that interrupted a video export, 0 while none has.
volatile std::sig_atomic_t interruptSignal = 0;

extern "C" void noteInterrupt(int signal) { interruptSignal = signal; }

// While a video is written, SIGINT and SIGTERM end the export between
// frames, so that the frames so far become a complete file.
class InterruptCatcher {
public:
    InterruptCatcher() {
        interruptSignal = 0;
        struct sigaction action {};
        action.sa_handler = noteInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &oldInt_);
        ::sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~InterruptCatcher() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

private:
    struct sigaction oldInt_ {
    }, oldTerm_{};
};

enum class Stepped { Done, Collision, Stuck };

// Steps as the run loop does, `steps` of them (none: no limit) or until the
// simulated time reaches `until`, and paints a frame after every
// `paintEvery` steps on the way. An interrupt ends the steps early.
Stepped stepScenery(World& world, WorkerPool& pool, std::optional<long long> steps, std::optional<double> until,
                    long long paintEvery, const std::function<void()>& paint) {
    if (!steps && !until) return Stepped::Done;
    for (long long k = 0; (!steps || k < *steps) && world.OBJECTS_N >= 2 && !interruptSignal; ++k) {
        if (until && world.SIMULATION_TIME >= *until) break;
        const double before = world.SIMULATION_TIME;
        simulationStep(world, pool);
        if (world.collisionDetected) return Stepped::Collision;
        // Far enough out, a step is below the time's precision: --until
        // would never be reached.
        if (until && !(world.SIMULATION_TIME > before)) return Stepped::Stuck;
        if (paintEvery > 0 && (k + 1) % paintEvery == 0) paint();
    }
    return Stepped::Done;
}

struct Frames {
    World& world;
    WorkerPool& pool;
    render::View& view;
    render::Surface& surface;
    const RenderOptions& o;

    void paint() const { render::paintFrame(world, view, surface); }
    // A frame painted on the way only lets trails accumulate. Its status
    // display would pile up under the written frame's (after a year the
    // time line read as all zeros), so only written frames carry one.
    void paintOnTheWay() const {
        const int osd = world.displayOSD;
        world.displayOSD = 0;
        paint();
        world.displayOSD = osd;
    }
    // The steps before the first frame; a stuck run is reported and gives
    // its exit status.
    std::optional<int> stepToFirstFrame(bool& running, std::ostream& err) const {
        const Stepped stepped = stepScenery(world, pool, o.steps, o.until, o.paintEvery, [this] { paintOnTheWay(); });
        if (stepped == Stepped::Stuck) {
            err << "vantor-cli: the simulated time no longer advances (SIMULATION_TIME "
                << formatReal(world.SIMULATION_TIME) << " s, time step " << formatReal(world.SIMULATION_TIME_STEP)
                << " s): --until " << o.untilText << " cannot be reached\n";
            return EXIT_STUCK;
        }
        running = stepped == Stepped::Done;
        return std::nullopt;
    }
    bool stepBetweenFrames(long long every) const {
        const auto paint = [this] { paintOnTheWay(); };
        return stepScenery(world, pool, every, std::nullopt, o.paintEvery, paint) == Stepped::Done;
    }
};

int collisionStop(std::ostream& err) {
    err << "A collision has been detected. Simulation stopped.\n";
    return EXIT_COLLISION;
}

int writePngFrames(const Frames& f, const RenderOptions& o, std::ostream& out, std::ostream& err) {
    bool running = true;
    if (std::optional<int> stuck = f.stepToFirstFrame(running, err)) return *stuck;
    const long long frames = o.frames ? *o.frames : 1;
    const long long every = o.every ? *o.every : 1;
    for (long long k = 1; k <= frames; ++k) {
        if (k > 1 && running) running = f.stepBetweenFrames(every);
        f.paint();
        const std::string path = o.frames ? numberedPath(o.outFile, k) : o.outFile;
        std::string reason;
        if (!render::writePng(f.surface, path, &reason)) {
            err << "vantor-cli: cannot write '" << path << "': " << reason << "\n";
            return EXIT_FILE;
        }
        out << path << "\n";
        if (!running) break;  // the frame where the run stopped is the last
    }
    return running ? EXIT_DONE : collisionStop(err);
}

// The same frames as writePngFrames, encoded into one video. A failure or
// an interrupt before the first frame leaves no file; an interrupt later
// completes the file with the frames so far.
int writeVideo(const Frames& f, const RenderOptions& o, std::ostream& out, std::ostream& err, bool showProgress) {
    video::VideoWriter writer;
    video::VideoSettings settings;
    settings.width = o.width;
    settings.height = o.height;
    settings.framesPerSecond = static_cast<int>(o.fps ? *o.fps : 30);
    std::string reason;
    const auto failed = [&] {
        err << "vantor-cli: cannot write '" << o.outFile << "': " << reason << "\n";
        return EXIT_FILE;
    };
    if (!writer.open(o.outFile, settings, &reason)) return failed();
    InterruptCatcher catcher;
    ProgressBar bar(showProgress);
    bool running = true;
    if (std::optional<int> stuck = f.stepToFirstFrame(running, err)) {
        writer.abandon();
        return *stuck;
    }
    const long long frames = o.frames ? *o.frames : 1;
    const long long every = o.every ? *o.every : 1;
    for (long long k = 1; k <= frames && !interruptSignal; ++k) {
        if (k > 1 && running) running = f.stepBetweenFrames(every);
        if (interruptSignal) break;
        f.paint();
        if (!writer.addFrame(f.surface.pixels(), f.surface.width(), f.surface.height(), f.surface.bytesPerLine(),
                             &reason)) {
            return failed();
        }
        bar.update(static_cast<double>(k) / static_cast<double>(frames));
        if (!running) break;
    }
    if (interruptSignal && writer.framesWritten() == 0) {
        writer.abandon();
        err << "vantor-cli: interrupted before the first frame; no video written\n";
        return 128 + interruptSignal;
    }
    if (!writer.finish(&reason)) return failed();
    out << o.outFile << "\n";
    if (interruptSignal) {
        err << "vantor-cli: interrupted; '" << o.outFile << "' holds the first " << writer.framesWritten() << " of "
            << frames << " frames\n";
        return 128 + interruptSignal;
    }
    return running ? EXIT_DONE : collisionStop(err);
}

}  // namespace

int renderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    RenderOptions o;
    if (std::optional<std::string> problem = parseRenderOptions(args, o)) return usageError(err, *problem);

    World world;
    WorkerPool pool;
    if (!loadForStepping(world, pool, o.scenery, err)) return EXIT_FILE;

    render::View view;
    render::afterSceneryLoaded(world, view);
    render::updateViewSize(world, view, o.width, o.height);
    view.blinkPhase = 1;  // a still frame shows the blinking captions
    render::Surface surface;
    if (render::clearBackBuffer(view, surface) != 1) {
        err << "vantor-cli: no memory for a frame of " << o.width << "x" << o.height << " pixels\n";
        return EXIT_FILE;
    }

    const Frames f{world, pool, view, surface, o};
    if (!video::isVideoFile(o.outFile)) return writePngFrames(f, o, out, err);
    return writeVideo(f, o, out, err, &err == &std::cerr && isatty(STDERR_FILENO));
}

}  // namespace vantor::cli
