#pragma once
// One Grab or Dyna capture without a window, as the capture buttons take it:
// an engine monitor reading (channels 2, 3, 4) into the record, then the
// scan of the kind's plan. For the tools and the tests.

#include "analysis/capture_record.h"
#include "daq/board.h"
#include "analysis/capture_plan.h"

namespace corvane::daq {

// The plan's scan into the buffer: board 0, +-10 V, options 0. Blocks until
// the block is in; returns the board's result.
int ScanPlan(Board& board, const analysis::CapturePlan& plan, BufferHandle buffer);

// Returns the scan's result (0: the capture is in the record). A buffer that
// cannot be allocated fails the capture; the buffer is freed on every path.
// A capture that fails leaves the record exactly as it was.
int TakeCapture(Board& board, analysis::CaptureKind kind, analysis::CaptureRecord& record);

}  // namespace corvane::daq
