#pragma once
// A Grab or a Dyna taken from a running recording's latest scans instead of
// a scan of its own, in the shape the board's capture gives: the plan's
// channels interleaved, its period and count, the kind, and the engine
// monitor's values as the means of channels 2, 3 and 4 over the capture.
// A Grab is the newest second (not before a given scan, so that continuous
// grabs follow each other); a Dyna the plan's seconds from the scan the
// stream has reached when it is asked for. The engine monitor's display reads
// the newest scans the same way.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

#include "analysis/capture_plan.h"
#include "analysis/capture_record.h"
#include "daq/engine_monitor.h"
#include "recording/latest_scans.h"

namespace corvane::recording {

enum class StreamWait {
    Taken,      // the capture's scans are there
    Ended,      // the recording ended first
    Failed,     // its stream failed, or no scans came in time
    Lost,       // scans of a dyna's stretch were lost
    Cancelled,  // Cancel was called
    Unsuited,   // the stream does not hold the plan's channels at its rate
};

class StreamCapture {
public:
    // The plan's stretch is chosen from `scans` now (a Dyna's start) or
    // once Wait has it (a Grab's newest second, from scan `notBefore` on).
    StreamCapture(const LatestScans& scans, const analysis::CapturePlan& plan,
                  std::uint64_t notBefore = 0);

    // Blocks until the stretch is in, at most the plan's length and `slack`
    // more. May run on another thread than the rest.
    StreamWait Wait(std::chrono::milliseconds slack = std::chrono::seconds(5));
    // From any thread: a Wait under way returns Cancelled soon.
    void Cancel();
    // After Taken: the stretch into the record (samples, period, count, kind,
    // monitor means); false, and the record as it was, when it is no longer kept.
    bool Into(analysis::CaptureRecord& record) const;
    // The stretch (valid after Taken): where a following grab may begin.
    ScanSpan Stretch() const { return span_; }
    // The stream the stretch belongs to.
    std::uint64_t Session() const { return session_; }

private:
    StreamWait Newest(std::chrono::steady_clock::time_point deadline);
    StreamWait Next(std::chrono::steady_clock::time_point deadline);
    StreamWait NotTaken() const;

    const LatestScans& scans_;
    const analysis::CapturePlan& plan_;
    std::uint64_t notBefore_;
    std::uint64_t session_;
    bool suited_;
    ScanSpan span_;
    std::atomic<bool> cancelled_{false};
};

// The monitor's values (means of channels 2, 3, 4) over the newest `seconds`
// of the stream; nothing when it holds none of them or no scan has come.
std::optional<daq::EngineReading> NewestReading(const LatestScans& scans, double seconds = 0.2);
// The monitor timer's values: the temperatures as above, the newest pressure count.
std::optional<daq::MonitorTick> NewestTick(const LatestScans& scans, double seconds = 0.2);

}  // namespace corvane::recording
