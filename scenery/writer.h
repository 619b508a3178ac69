// Writes a whole scenery in the scenery-file layout.
#pragma once

#include <string>

#include "engine/world.h"

namespace vantor {

constexpr const char* PROGRAM_VERSION = "6.05.16";

// The file's full text, byte for byte as writeSceneryFile writes it.
std::string sceneryText(const World& world);

// Writes the scenery to path through a temporary file in the same folder
// that replaces the target only when every byte was written. Returns 0 on
// success (clears sceneryModified, sets sceneryOnDisk) and -1 on failure
// (nothing changed, any existing file untouched; *error gets the reason).
int writeSceneryFile(World& world, const std::string& path, std::string* error = nullptr);

// Replaces "[" and "]" by "(" and ")" and removes trailing blanks and line
// breaks; for every name and description a user types.
void sanitizeUserText(std::string& text);

}  // namespace vantor
