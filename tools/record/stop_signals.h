#pragma once
// SIGINT and SIGTERM end a recording cleanly: they are taken by a thread of
// their own (never inside a signal handler), which asks the stream to stop.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <ctime>
#include <thread>

#include "daq/scan_stream.h"

namespace corvane::record {

// Blocks the two signals for every thread made after it; call first in main.
inline void BlockStopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

// While it lives, either signal stops the stream.
class StopOnSignal {
public:
    explicit StopOnSignal(daq::ScanStream& stream)
        : watcher_([this, &stream] { Watch(stream); }) {}
    ~StopOnSignal() {
        done_ = true;
        watcher_.join();
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

    bool Signalled() const { return signalled_; }

private:
    void Watch(daq::ScanStream& stream) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        const timespec tenth{0, 100'000'000};
        while (!done_) {
            if (sigtimedwait(&set, nullptr, &tenth) > 0) {
                signalled_ = true;
                stream.Stop();
            }
        }
    }

    std::atomic<bool> done_{false};
    std::atomic<bool> signalled_{false};
    std::thread watcher_;
};

}  // namespace corvane::record
