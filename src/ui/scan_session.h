#pragma once
// One scan of the board: its buffer, the busy cursor and the Acquiring flag,
// released on every way out (errors included), and the blocking scan call run
// on a worker thread while the window keeps repainting in a local event loop.
//
// When the program closes during a scan it stops serving the window and waits
// for the scan without spinning; after a few seconds it asks the board to stop
// the scan, waits a little more, and at worst leaves the scan behind.

#include <functional>
#include <memory>

#include "daq/board.h"

namespace corvane::ui {

class ScanSession {
public:
    // Allocates the buffer and shows the busy cursor.
    ScanSession(daq::Board& board, long count, bool& acquiring);
    // Clears Acquiring, restores the cursor, frees the buffer (unless kept).
    ~ScanSession();
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    daq::BufferHandle buffer() const { return buffer_; }
    void setAcquiring() { acquiring_ = true; }
    // A scan left behind still writes into the buffer: it is not freed.
    void keepBuffer() { keepBuffer_ = true; }

private:
    daq::Board& board_;
    bool& acquiring_;
    daq::BufferHandle buffer_;
    bool keepBuffer_ = false;
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
    // The worker thread: the scan, its result or exception handed over, the
    // window's loop woken.
    static void Work(std::shared_ptr<State> state, std::function<int()> scan);
    // Repaints the window (and reports the progress) until the scan is in or the window closes.
    void serveWindow(const std::function<void(double)>& progress);
    // The window closes during the scan: waits for its end, asks the board to
    // stop it, waits again; false when it still runs.
    bool awaitEndAfterClosing();
    std::function<int()> scan_;
    std::function<void()> stop_;
    ClosingWait wait_;
    std::shared_ptr<State> state_;
    bool closing_ = false;
};

}  // namespace corvane::ui
