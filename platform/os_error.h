// The wording for a failed system call, for every layer that reports one
// (thread-safe, unlike strerror).
#pragma once

#include <string>
#include <system_error>

namespace vantor {

// The reason an errno value gives, such as "Permission denied".
inline std::string reason(int err) { return std::generic_category().message(err); }

}  // namespace vantor
