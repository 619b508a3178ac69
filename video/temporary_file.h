// A file written under a temporary name beside its target and renamed over
// it once complete, so that the target is whole or absent, never half
// written.
#pragma once

#include <string>

namespace vantor::video {

// Creates "<target>.vantor-save-<pid>-<6 letters>" (the name scenery saves
// use, so that a leftover tells whose it was) empty and closed, with the
// usual rights of a new file. The path, or "" with the reason in *reason.
std::string createTemporaryBeside(const std::string& target, std::string* reason);

// rename(2) of the temporary over the target; false with the reason.
bool moveIntoPlace(const std::string& temporary, const std::string& target, std::string* reason);

}  // namespace vantor::video
