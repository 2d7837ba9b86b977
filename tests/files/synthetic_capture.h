#pragma once
// Captures of a simulated engine for tests and benchmarks: a tachometer that
// sees 16 flywheel holes per revolution (hole 0 wide) and a pressure that
// swings once per revolution.

#include <memory>

#include "analysis/capture_record.h"

namespace corvane::testing {

struct EngineRun {
    double startRpm = 300.0;
    double endRpm = 300.0;  // reached linearly at the last sample
    double loTemp = 295.25;
    double hiTemp = 352.8;
    double resistorPower = 3.6;
};

// A live Grab: `scans` pairs of pressure and tachometer counts at 1 ms.
std::unique_ptr<analysis::CaptureRecord> MakeGrab(const EngineRun& run, int scans = 1000);
// A live Dyna: `samples` tachometer counts at 1 ms.
std::unique_ptr<analysis::CaptureRecord> MakeDyna(const EngineRun& run, int samples = 4000);

}  // namespace corvane::testing
