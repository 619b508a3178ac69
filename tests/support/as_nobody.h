// Permission bits do not stop root, and the tests run as root in CI: a test
// that needs a refusal runs its action as the nobody user in a child process.
#pragma once

#include <sys/types.h>

#include <functional>
#include <vector>

namespace vantor::test {

inline constexpr uid_t kNobody = 65534;

// Runs `act` in a child process that has given up root for the nobody user,
// with the supplementary `groups`; returns the child's exit status (act's
// result), -1 when root could not be given up, -2 when the child did not
// exit normally.
int asNobody(const std::function<int()>& act, const std::vector<gid_t>& groups = {});

}  // namespace vantor::test
