#include "platform/platform.h"

#include <dirent.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

namespace vantor::platform {

int processorCount() {
    // The affinity mask tells what this process may really use (containers,
    // taskset); fall back to the hardware count.
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        int n = CPU_COUNT(&set);
        if (n > 0) return n;
    }
    unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? static_cast<int>(n) : 1;
}

int64_t currentThreadId() { return static_cast<int64_t>(syscall(SYS_gettid)); }

int setThreadNice(int64_t threadId, int nice) {
    return setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), nice) == 0 ? 0 : -1;
}

bool threadNice(int64_t threadId, int& nice) {
    // -1 is a valid niceness: only errno tells a failure.
    errno = 0;
    const int value = getpriority(PRIO_PROCESS, static_cast<id_t>(threadId));
    if (value == -1 && errno != 0) return false;
    nice = value;
    return true;
}

int setProcessNice(int nice) {
    // On Linux niceness belongs to each thread, so walk them all.
    DIR* dir = opendir("/proc/self/task");
    if (!dir) return setThreadNice(currentThreadId(), nice);
    int result = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        if (setThreadNice(std::atoll(entry->d_name), nice) != 0) result = -1;
    }
    closedir(dir);
    return result;
}

}  // namespace vantor::platform
