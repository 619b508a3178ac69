// Run control that needs no window: autosave file names and texts.
#pragma once

#include <ctime>
#include <string>

namespace vantor {

// The file an autosave into separate files writes for `path` at local time
// `t`: stem + "_YYYYMMDD-hhmmss" + extension, for example
// orbits_20060515-143005.nbx for orbits.nbx. The extension is split off the
// file name only, never off a folder name ("my.sims/run" gets no extension).
std::string separateAutosaveName(const std::string& path, const std::tm& t);

// "Autosave timestamp: 14:30h, 2006-5-15" (minutes without a leading zero).
std::string autosaveTimestampText(const std::tm& t);

}  // namespace vantor
