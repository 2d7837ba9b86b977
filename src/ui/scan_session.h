#pragma once
// One scan of the board: the busy cursor and the Acquiring flag, released on
// every way out (errors included; the buffer is the capture transaction's),
// and the blocking scan call run on a worker thread while the window keeps
// repainting in a local event loop.
//
// When the program closes during a scan it stops serving the window and waits
// for the scan without spinning; after a few seconds it asks the board to stop
// the scan, waits a little more, and at worst leaves the scan behind.

#include <functional>
#include <memory>

#include "daq/board.h"
#include "daq/scan_worker.h"

namespace corvane::ui {

class ScanSession {
public:
    // Shows the busy cursor.
    explicit ScanSession(bool& acquiring);
    // Clears Acquiring and restores the cursor.
    ~ScanSession();
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    void setAcquiring() { acquiring_ = true; }

private:
    bool& acquiring_;
};

// How long a closing program gives a running scan.
struct ClosingWait {
    int scanEndMs = 3000;  // before it asks the board to stop the scan
    int stopMs = 2000;     // after that, before it leaves the scan behind
};

struct ScanOutcome {
    int result = daq::kNoErrors;  // the board's result, when it returned
    bool closing = false;         // the program is closing: the capture ends here
    bool leftBehind = false;      // the board never returned: its thread still runs
};

class BackgroundScan {
public:
    // scan runs on the worker thread; stop asks the board, from this thread, to
    // end it (cbStopBackground).
    BackgroundScan(std::function<int()> scan, std::function<void()> stop, ClosingWait wait = {});
    ~BackgroundScan();
    BackgroundScan(const BackgroundScan&) = delete;
    BackgroundScan& operator=(const BackgroundScan&) = delete;

    // Runs the scan and handles this thread's events until it returns, the
    // window closes (closing()) or the application quits; progress(seconds
    // elapsed) is called about ten times a second. Rethrows the scan's
    // exception here unless the program is closing.
    ScanOutcome run(const std::function<void(double)>& progress);
    // The window closes: stop serving it and wind the scan up.
    void closing();

private:
    struct State;
    // This thread's events until the scan is in or the window closes.
    void serve(const daq::ScanWorker& worker, const std::function<void(double)>& progress);

    std::function<int()> scan_;
    std::function<void()> stop_;
    ClosingWait wait_;
    std::shared_ptr<State> state_;
    bool closing_ = false;
};

}  // namespace corvane::ui
