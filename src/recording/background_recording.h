#pragma once
// A recording run on a thread of its own, so that a window never waits for
// the board or the disk: the window takes the cycles evaluated since it last
// asked, the status of the last second and, at the end, how it ended; marks
// and the stop go the other way.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "daq/scan_stream.h"
#include "recording/cycle_loops.h"
#include "recording/recorder.h"
#include "recording/recording_writer.h"

namespace corvane::recording {

class BackgroundRecording {
public:
    // Starts recording at once. Throws RecordingError when the folder cannot
    // be made (nothing is started then).
    BackgroundRecording(std::unique_ptr<daq::ScanStream> stream, const std::string& folder,
                        Manifest manifest, const SteadyCriteria& steady,
                        std::size_t lastLoops = kLastLoops);
    // Stops and waits for the folder to be closed.
    ~BackgroundRecording();
    BackgroundRecording(const BackgroundRecording&) = delete;
    BackgroundRecording& operator=(const BackgroundRecording&) = delete;

    // The cycles evaluated since the last call, in order; none is skipped.
    std::vector<CycleRow> TakeCycles();
    // The loops of the last cycles (as many as asked for at the start),
    // oldest first, consecutive; with the count of loops ever evaluated.
    std::vector<CycleLoop> RecentLoops() const;
    std::uint64_t LoopsEvaluated() const;
    // Counts as of the last second (scans, gaps, cycles, bytes).
    RecordingStatus Status() const;
    // Noted in events.csv at the time the stream has reached.
    void Mark(const std::string& text);
    // Asks the stream to end; the folder is closed on the recording's thread.
    void Stop();
    // How it ended, once it has.
    std::optional<RecordingEnd> End() const;
    const std::string& Folder() const { return folder_; }

private:
    void Run();

    std::unique_ptr<daq::ScanStream> stream_;
    std::string folder_;
    RecordingWriter writer_;
    RecorderOptions options_;
    mutable std::mutex mutex_;
    std::vector<CycleRow> cycles_;
    LoopRing loops_;
    std::vector<std::string> marks_;
    RecordingStatus status_;
    std::optional<RecordingEnd> end_;
    std::thread thread_;
};

}  // namespace corvane::recording
