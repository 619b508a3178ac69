// Loading a scenery named on the command line: a path or "example:NUMBER".
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "engine/gravity.h"
#include "engine/world.h"

namespace vantor::cli {

// Resets the world and reads the scenery as opening it does. On failure
// returns false with a message naming the scenery and the reason. A file read
// only in part still loads; what was left out goes to *warnings.
bool loadScenery(World& world, const std::string& name, std::string& message, std::ostream* warnings = nullptr);

// Loads the scenery and makes the worker pool for it, as opening does.
// False after a message on err (the caller exits with EXIT_FILE).
bool loadForStepping(World& world, WorkerPool& pool, const std::string& name, std::ostream& err);

// Strict number parsing for options: the whole text must be the number.
std::optional<long long> parseWholeNumber(const std::string& text);
std::optional<double> parseNumber(const std::string& text);

}  // namespace vantor::cli
