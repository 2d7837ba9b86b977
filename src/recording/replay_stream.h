#pragma once
// Streams that replay a file instead of a board: a recording's samples (its
// lost scans given back as gaps), or a CSV of volts from another logger or a
// test. Either runs as fast as it is read, or paced to the clock.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include "daq/scan_stream.h"
#include "recording/recording_reader.h"

namespace corvane::recording {

// The CSV columns: pressure and tachometer, optionally the monitor channels.
inline constexpr std::string_view kTwoChannelHeader = "pressure_v,tach_v";
inline constexpr std::string_view kFiveChannelHeader =
    "pressure_v,tach_v,lo_temp_v,heater_v,hi_temp_v";

// A tenth of a second at a time, as a live board gives it.
long ChunkScans(long rate);

class RecordingStream : public daq::ScanStream {
public:
    // Throws RecordingError when the folder is not a readable recording.
    explicit RecordingStream(const std::string& folder);
    daq::StreamFormat Format() const override { return format_; }
    daq::StreamChunk Read() override;
    void Stop() override { stopped_ = true; }

private:
    std::size_t Channels() const;
    // Lost scans at the start of the counts.
    std::uint64_t LostScansFrom(std::span<const std::uint16_t> counts) const;

    daq::StreamFormat format_;
    SampleFile samples_;
    std::uint64_t next_ = 0;
    std::atomic<bool> stopped_{false};
};

class VoltsCsvStream : public daq::ScanStream {
public:
    // Throws RecordingError when the file cannot be opened or its header is
    // neither of the two.
    VoltsCsvStream(const std::string& path, long rate);
    daq::StreamFormat Format() const override { return format_; }
    // A line that is not a row of numbers ends the stream as Failed, its
    // message naming the file and line, after the scans before it.
    daq::StreamChunk Read() override;
    void Stop() override { stopped_ = true; }

private:
    bool ReadRow(const std::string& line, std::vector<std::uint16_t>& counts);

    std::string path_;
    std::ifstream in_;
    daq::StreamFormat format_;
    std::uint64_t next_ = 0;
    long line_ = 1;
    std::string failure_;
    bool ended_ = false;
    std::atomic<bool> stopped_{false};
};

// Gives the source's chunks no sooner than their scans' time since the first
// Read: a replay in real time.
class PacedStream : public daq::ScanStream {
public:
    explicit PacedStream(std::unique_ptr<daq::ScanStream> source);
    daq::StreamFormat Format() const override { return source_->Format(); }
    daq::StreamChunk Read() override;
    void Stop() override;

private:
    std::unique_ptr<daq::ScanStream> source_;
    std::optional<std::chrono::steady_clock::time_point> start_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopped_ = false;
};

// A recording folder or a CSV file of volts (rate: the CSV's scans per second).
std::unique_ptr<daq::ScanStream> OpenReplay(const std::string& source, long rate);

}  // namespace corvane::recording
