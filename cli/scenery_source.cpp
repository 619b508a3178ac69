#include "cli/scenery_source.h"

#include <charconv>
#include <cmath>

#include "scenery/examples.h"
#include "scenery/reader.h"

namespace vantor::cli {

std::optional<long long> parseWholeNumber(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

std::optional<double> parseNumber(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty() || !std::isfinite(value)) return std::nullopt;
    return value;
}

bool loadScenery(World& world, const std::string& name, std::string& message, std::ostream* warnings) {
    newScenery(world);
    static const std::string prefix = "example:";
    if (name.rfind(prefix, 0) == 0) {
        std::optional<long long> number = parseWholeNumber(name.substr(prefix.size()));
        const ExampleScenery* example = number ? findExample(static_cast<int>(*number)) : nullptr;
        if (!example || *number != example->number) {
            message = "no built-in example '" + name + "' (see: vantor-cli examples)";
            return false;
        }
        readScenery(world, example->number, nullptr);
        world.currentFileName = example->itemText;
        return true;
    }
    std::string reason;
    ReadReport report;
    if (readScenery(world, 0, name.c_str(), &reason, &report) != 1) {
        message = "cannot read '" + name + "': " + reason;
        return false;
    }
    if (warnings && !report.complete()) {
        *warnings << "vantor-cli: warning: '" << name << "' was read only in part:\n";
        for (const std::string& note : report.notes) *warnings << "  " << note << "\n";
    }
    world.currentFileName = name;
    return true;
}

bool loadForStepping(World& world, WorkerPool& pool, const std::string& name, std::ostream& err) {
    std::string message;
    if (!loadScenery(world, name, message, &err)) {
        err << "vantor-cli: " << message << "\n";
        return false;
    }
    if (createWorkerPool(pool, world) != 1) {
        err << "vantor-cli: the worker threads could not be started\n";
        return false;
    }
    return true;
}

}  // namespace vantor::cli
