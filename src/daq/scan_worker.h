#pragma once
// The blocking scan call on a thread of its own, so that its caller can keep
// serving the user meanwhile, and the way a scan is wound up when the program
// closes: wait, ask the board to stop, wait again, and at worst leave the scan
// behind with its board. Plain threads: the window wakes its event loop from
// `ended`, and the tools and tests can use it as it is.

#include <exception>
#include <functional>
#include <memory>
#include <thread>

namespace corvane::daq {

class ScanWorker {
public:
    // Starts scan on a new thread; `ended` runs on that thread once the scan
    // has returned or thrown.
    explicit ScanWorker(std::function<int()> scan, std::function<void()> ended = {});
    // Waits for the scan, unless it was left behind.
    ~ScanWorker();
    ScanWorker(const ScanWorker&) = delete;
    ScanWorker& operator=(const ScanWorker&) = delete;

    bool Finished() const;
    // True when the scan has ended within ms milliseconds.
    bool WaitFor(int ms) const;
    // Once finished: the scan's result, or its exception rethrown here.
    int Result();
    // Closing: waits scanEndMs for the scan, then asks `stop` (its exception
    // ignored) and waits stopMs; a scan that still runs is left behind (its
    // thread detached: it keeps the board and buffer it uses). True when the
    // scan ended.
    bool WindUp(const std::function<void()>& stop, int scanEndMs, int stopMs);

private:
    struct State;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace corvane::daq
