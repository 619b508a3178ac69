// The process priorities: what each value gives the threads that compute,
// and a refusal by the system reported by value, never fatal.
#include <dirent.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "engine/gravity.h"
#include "engine/runcontrol.h"
#include "engine/world.h"
#include "platform/platform.h"

namespace vantor {
namespace {

constexpr uid_t kNobody = 65534;

std::vector<int64_t> threadsOfThisProcess() {
    std::vector<int64_t> ids;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] >= '0' && entry->d_name[0] <= '9') ids.push_back(std::atoll(entry->d_name));
        }
        closedir(dir);
    }
    return ids;
}

int niceOf(int64_t thread) {
    int nice = 99;
    return platform::threadNice(thread, nice) ? nice : 99;
}

// Runs `body` in a child process that cannot raise priorities: root gives
// up its rights for the nobody user. Either way the nice limit is 0, so
// that a raise is refused whatever the machine's limits allow. Returns the
// child's exit status, or -1 when it could not be set up.
int unprivileged(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit none{0, 0};
        if (::setrlimit(RLIMIT_NICE, &none) != 0) ::_exit(99);
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 99 ? -1 : WEXITSTATUS(status);
}

TEST(ProcessPriority, EachValueReachesTheCallingThreadAndEveryWorker) {
    if (::geteuid() != 0) GTEST_SKIP() << "raising a priority needs root";
    World w;
    newScenery(w);
    WorkerPool pool;
    ASSERT_EQ(createWorkerPool(pool, w, 3), 1);  // the calling thread and two workers
    // This program runs no threads besides those three: every one computes.
    ASSERT_EQ(threadsOfThisProcess().size(), 3u);
    const struct {
        int priority;
        int nice;
    } cases[] = {{3, -15}, {2, -10}, {1, 19}, {3, -15}, {0, 0}};
    for (auto c : cases) {
        EXPECT_EQ(setProcessPriority(pool, c.priority), 0) << c.priority;
        EXPECT_EQ(priorityInForce(), c.priority);
        EXPECT_EQ(niceOf(platform::currentThreadId()), c.nice) << "the calling thread at " << c.priority;
        for (int64_t thread : threadsOfThisProcess()) EXPECT_EQ(niceOf(thread), c.nice) << c.priority;
    }
    EXPECT_EQ(setProcessPriority(pool, 3), 0);
    EXPECT_EQ(restoreNormalPriority(pool), 0);
    EXPECT_EQ(priorityInForce(), 0);
    for (int64_t thread : threadsOfThisProcess()) EXPECT_EQ(niceOf(thread), 0);
}

// Without privileges raising is refused, lowering to Low is allowed and the
// way back from Low is refused; each refusal comes back as -1, and what stays
// in force can be read. The child's exit status is the first step that
// went wrong (0: none).
TEST(ProcessPriority, RefusalsAreReportedAndLeaveThePriorityInForce) {
    const int failedStep = unprivileged([] {
        World w;
        newScenery(w);
        WorkerPool pool;
        if (createWorkerPool(pool, w, 2) != 1) return 1;
        const struct {
            int priority;  // -2: back to normal, as at a pause
            int result;
            int inForce;
        } steps[] = {{2, -1, 0}, {3, -1, 0}, {1, 0, 1}, {0, -1, 1}, {2, -1, 1}, {-2, -1, 1}, {1, 0, 1}};
        int step = 2;
        for (auto s : steps) {
            const int result = s.priority == -2 ? restoreNormalPriority(pool) : setProcessPriority(pool, s.priority);
            if (result != s.result || priorityInForce() != s.inForce) return step;
            ++step;
        }
        return 0;
    });
    if (failedStep == -1) GTEST_SKIP() << "could not give up the rights to raise priorities";
    EXPECT_EQ(failedStep, 0);
}

TEST(ProcessPriority, RefusedTextNamesWhatStaysInForce) {
    const struct {
        int wanted, inForce;
        const char* text;
    } cases[] = {
        {2, 0, "Priority High refused; Normal stays in force"},
        {3, 0, "Priority Highest refused; Normal stays in force"},
        {0, 1, "Priority Normal refused; Low stays in force"},
        {2, -1, "Priority High refused"},
    };
    for (auto c : cases) EXPECT_EQ(priorityRefusedText(c.wanted, c.inForce), c.text);
}

}  // namespace
}  // namespace vantor
