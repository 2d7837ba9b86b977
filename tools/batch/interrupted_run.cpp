#include "interrupted_run.h"

#include <pthread.h>
#include <signal.h>

#include <thread>
#include <utility>

#include "files/atomic_file.h"

namespace corvane::tools {

namespace {

sigset_t Interruptions() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

// Runs on a thread of its own, so the clean-up is ordinary code and not a
// signal handler's.
[[noreturn]] void WaitAndClean(const std::vector<std::string>& targets) {
    const sigset_t signals = Interruptions();
    int received = 0;
    while (::sigwait(&signals, &received) != 0) {
    }
    for (const std::string& target : targets) files::AtomicFile::RemoveLeftovers(target);
    // End by the signal itself, so that the shell sees what happened.
    ::signal(received, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, received);
    ::pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    ::raise(received);
    for (;;) ::pause();
}

}  // namespace

void RemoveTemporariesWhenInterrupted(std::vector<std::string> targets) {
    const sigset_t signals = Interruptions();
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(WaitAndClean, std::move(targets)).detach();
}

}  // namespace corvane::tools
