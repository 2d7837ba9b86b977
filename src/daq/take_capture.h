#pragma once
// One Grab or Dyna capture without a window, as the capture buttons take it:
// an engine monitor reading (channels 2, 3, 4) into the record, then the scan
// with the capture's fixed constants. For the tools and the tests.

#include "analysis/capture_record.h"
#include "daq/board.h"

namespace corvane::daq {

enum class CaptureKind { Grab, Dyna };

// The monitor reading: LoTemp, ResistorPower, HiTemp from channels 2, 3, 4.
// A failed channel-2 read leaves the record's values as they were; returns
// the channel-2 result.
int ReadMonitorInto(Board& board, analysis::CaptureRecord& record);

// Returns the scan's result (0: the samples are in the record). A buffer that
// cannot be allocated fails the capture; the buffer is freed on every path.
// On failure RawSamples keeps the previous capture.
int TakeCapture(Board& board, CaptureKind kind, analysis::CaptureRecord& record);

}  // namespace corvane::daq
