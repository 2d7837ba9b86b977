#pragma once
// One scan of the board: its buffer, the busy cursor and the Acquiring flag,
// released on every way out (errors included), and the blocking scan call run
// on a worker thread while the window keeps repainting in a local event loop.

#include <functional>

#include "daq/board.h"

namespace corvane::ui {

class ScanSession {
public:
    // Allocates the buffer and shows the busy cursor.
    ScanSession(daq::Board& board, long count, bool& acquiring);
    // Clears Acquiring, restores the cursor, frees the buffer.
    ~ScanSession();
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    daq::BufferHandle buffer() const { return buffer_; }
    void setAcquiring() { acquiring_ = true; }

private:
    daq::Board& board_;
    bool& acquiring_;
    daq::BufferHandle buffer_;
};

// Calls scan() on a worker thread and handles this thread's events until it
// returns; progress(seconds elapsed) is called on this thread about ten times a
// second. Returns scan()'s result or rethrows its exception here.
int RunScanInBackground(const std::function<int()>& scan,
                        const std::function<void(double)>& progress);

}  // namespace corvane::ui
