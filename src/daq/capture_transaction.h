#pragma once
// One live capture against the board, the same for the window's Grab and Dyna
// and for corvane-simulate: the capture is taken into a copy of the record
// (the kind, the engine monitor's reading, the plan's period and count), the
// plan's block is scanned into a buffer, the samples are copied out, and only
// then does the copy replace the record. A capture that fails leaves the
// record exactly as it was; the buffer is freed on every path.

#include <functional>
#include <memory>

#include "analysis/capture_plan.h"
#include "analysis/capture_record.h"
#include "daq/board.h"

namespace corvane::daq {

// The plan's scan into the buffer: board 0, +-10 V, options 0. Blocks until
// the block is in; returns the board's result.
int ScanPlan(Board& board, const analysis::CapturePlan& plan, BufferHandle buffer);

class CaptureTransaction {
public:
    // The copy of `record` the capture is taken into, marked with the plan's kind.
    CaptureTransaction(Board& board, const analysis::CapturePlan& plan,
                       analysis::CaptureRecord& record);
    // Frees the buffer, unless a scan left running still writes into it.
    ~CaptureTransaction();
    CaptureTransaction(const CaptureTransaction&) = delete;
    CaptureTransaction& operator=(const CaptureTransaction&) = delete;

    const analysis::CapturePlan& plan() const { return plan_; }
    // The capture under way (the record's copy).
    analysis::CaptureRecord& capture() { return *working_; }

    // The engine monitor's reading (channels 2, 3, 4) into the capture; false,
    // and the capture as it was, when channel 2 does not answer.
    bool ReadMonitor(const std::function<void()>& answered = {});
    // The plan's period and count into the capture, and the scan's buffer;
    // false when the board gives no buffer.
    bool TakeBuffer();
    BufferHandle buffer() const { return buffer_; }
    // The blocking scan of the plan into the buffer (also from a worker thread).
    int Scan();
    // A scan that never returned still writes into the buffer: it is not freed.
    void KeepBuffer() { keepBuffer_ = true; }
    // After a scan that delivered: the samples into the capture, and the
    // capture into the record. Returns the copy's result; on failure the
    // record stays as it was.
    int Commit();
    // The capture filled from elsewhere (a running recording's latest scans)
    // into the record, without a scan of the board.
    void CommitFilled();

private:
    Board& board_;
    const analysis::CapturePlan& plan_;
    analysis::CaptureRecord& record_;
    std::unique_ptr<analysis::CaptureRecord> working_;
    BufferHandle buffer_ = 0;
    bool keepBuffer_ = false;
};

// The whole transaction at once, as the capture buttons take it without a
// window: the monitor reading, then the scan of the kind's plan. Returns the
// scan's result (0: the capture is in the record); no buffer fails the capture.
int TakeCapture(Board& board, analysis::CaptureKind kind, analysis::CaptureRecord& record);

}  // namespace corvane::daq
