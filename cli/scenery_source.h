// Loading a scenery named on the command line: a path or "example:NUMBER".
#pragma once

#include <optional>
#include <string>

#include "engine/world.h"

namespace vantor::cli {

// Resets the world and reads the scenery as opening it does. On failure
// returns false with a message naming the scenery and the reason.
bool loadScenery(World& world, const std::string& name, std::string& message);

// Strict number parsing for options: the whole text must be the number.
std::optional<long long> parseWholeNumber(const std::string& text);
std::optional<double> parseNumber(const std::string& text);

}  // namespace vantor::cli
