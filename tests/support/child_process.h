#pragma once
// Runs a piece of a test in a forked child, so that a fault it guards against
// (memory without bound, a file size limit) cannot harm the test process, and
// reports what the child used.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <functional>

namespace corvane::testing {

// AddressSanitizer reserves terabytes of address space, so an address-space
// limit cannot be set under it; the peak memory is still measured.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

struct ChildRun {
    int exitCode = -1;  // -1: the child did not exit normally
    long peakKiB = 0;   // its largest resident set
};

// fn's result becomes the child's exit code. addressLimit (bytes, 0: none)
// caps the child's address space, so runaway memory ends in std::bad_alloc.
inline ChildRun RunInChild(const std::function<int()>& fn, std::size_t addressLimit = 0) {
    const pid_t child = ::fork();
    if (child < 0) return {};
    if (child == 0) {
        if (addressLimit > 0 && !kAddressSanitizer) {
            const rlimit limit{addressLimit, addressLimit};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        ::_exit(fn());
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

}  // namespace corvane::testing
