// The few operating-system services the core needs.
#pragma once

#include <cstdint>

namespace vantor::platform {

// Processors available to this process (at least 1).
int processorCount();

// Kernel id of the calling thread, for per-thread priorities.
int64_t currentThreadId();

// Niceness: -20 (most favoured) .. 19 (least). Raising a priority may be
// refused without privileges; the result is then -1 and nothing fails.
int setThreadNice(int64_t threadId, int nice);

// The niceness a thread has now; false when it cannot be read.
bool threadNice(int64_t threadId, int& nice);

// Applies a niceness to every thread of the process; -1 if any was refused.
int setProcessNice(int nice);

}  // namespace vantor::platform
