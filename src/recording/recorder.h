#pragma once
// The recording pipeline: scans from a stream into the recording folder,
// every cycle evaluated on the way. Written scans reach the system every
// half second of the stream (a killed program loses no more) and the disk
// every second of the clock (a power cut loses no more).

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "daq/scan_stream.h"
#include "recording/cycle_tracker.h"
#include "recording/recording_writer.h"
#include "recording/steady_state.h"

namespace corvane::recording {

struct RecordingStatus {
    double seconds = 0.0;  // stream time recorded
    std::uint64_t scans = 0;
    std::uint64_t lostScans = 0;
    std::uint64_t gaps = 0;
    std::uint64_t cycles = 0;
    std::optional<CycleRow> lastCycle;
    std::uint64_t bytes = 0;
};

struct RecordingEnd {
    bool failed = false;  // the source failed or a file could not be written
    std::string message;  // why, when failed
    RecordingStatus status;
};

struct RecorderOptions {
    std::optional<std::uint64_t> scanLimit;  // stop once this many scans (lost ones too) are in
    std::function<void(const RecordingStatus&)> everySecond;  // by the clock, on this thread
    std::function<void(const CycleRow&)> cycle;               // each cycle as it is evaluated
    // Each cycle's loop, thinned for drawing, right after its row.
    std::function<void(const CycleLoop&)> loop;
    SteadyCriteria steady;  // how each cycle's `steady` flag is judged
    // Asked after every chunk: texts the user marked since, each noted as an
    // event at the stream's present time.
    std::function<std::vector<std::string>()> marks;
};

// Runs until the stream ends, fails, or the limit is reached; the folder is
// then closed cleanly (a "stop" event, everything on the disk). Never throws
// for a failing stream or disk: the end says so.
RecordingEnd Record(daq::ScanStream& stream, RecordingWriter& writer,
                    const RecorderOptions& options);

}  // namespace corvane::recording
