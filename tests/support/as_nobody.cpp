#include "tests/support/as_nobody.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantor::test {

int asNobody(const std::function<int()>& act, const std::vector<gid_t>& groups) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(99);
        }
        ::_exit(act());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -2;
    return WEXITSTATUS(status) == 99 ? -1 : WEXITSTATUS(status);
}

}  // namespace vantor::test
