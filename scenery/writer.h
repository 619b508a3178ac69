// Writes a whole scenery in the scenery-file layout.
#pragma once

#include <string>

#include "engine/world.h"
#include "platform/version.h"

namespace vantor {

// The file's full text, byte for byte as writeSceneryFile writes it.
std::string sceneryText(const World& world);

// Writes the scenery to path (through a symbolic link, to the file it names),
// which must be a regular file or not exist yet; a FIFO, device, socket or a
// file of the kernel's (/proc, /sys) is refused before anything is opened.
// The text goes to a temporary file "<path>.vantor-save-<pid>-XXXXXX" in the
// same folder that replaces the target only when every byte was written; it
// takes the old file's permission bits and, when run as root, its owner and
// group (without root, its group where the user belongs to it). Each save
// first removes the target's temporary files whose process is gone. Where
// the folder refuses a new file but the file itself is writable, the file is
// written in place instead, which a failure part way leaves damaged.
// Returns 0 on success (clears sceneryModified, sets sceneryOnDisk) and -1 on
// failure (the flags unchanged, and but for the in-place case any existing
// file untouched); *error gets the reason without the file name, such as
// "Permission denied" or "not a regular file (a FIFO)".
int writeSceneryFile(World& world, const std::string& path, std::string* error = nullptr);

// Writes bytes to path by the same rules as writeSceneryFile (regular files
// only, a temporary file synced and renamed over the target, the old file's
// owner and mode kept); for the other files the program writes. Returns 0,
// or -1 with the reason in *error.
int writeFileSafely(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// Replaces "[" and "]" by "(" and ")" and removes trailing blanks and line
// breaks; for every name and description a user types.
void sanitizeUserText(std::string& text);

}  // namespace vantor
