// VANTOR_ASSERT(condition): a precondition that the code relies on, checked
// in debug builds (VANTOR_CHECKS) and free in release builds, where the
// step's loops cannot afford it.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace vantor::platform {

[[noreturn]] inline void assertionFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: precondition failed: %s\n", file, line, condition);
    std::abort();
}

}  // namespace vantor::platform

#if defined(VANTOR_CHECKS) && VANTOR_CHECKS
#define VANTOR_ASSERT(condition) \
    ((condition) ? static_cast<void>(0) : ::vantor::platform::assertionFailed(#condition, __FILE__, __LINE__))
#else
#define VANTOR_ASSERT(condition) static_cast<void>(sizeof(condition))
#endif
