#pragma once
// Root may write anything, so a test of a refused write runs its attempt as an
// ordinary user: in a child process switched to "nobody" when the tests run as root.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace corvane::testing {

// attempt returns 0 when the write was refused as expected, another code otherwise.
// 3: the child could not switch user; 4: no child; 5: the child did not exit normally.
inline int OutcomeAsOrdinaryUser(const std::function<int()>& attempt) {
    if (::geteuid() != 0) return attempt();
    const pid_t child = ::fork();
    if (child < 0) return 4;
    if (child == 0) {
        int outcome = 3;
        if (::setgid(65534) == 0 && ::setuid(65534) == 0) outcome = attempt();
        ::_exit(outcome);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 5;
}

}  // namespace corvane::testing
