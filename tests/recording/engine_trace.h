#pragma once
// Known signals for the recording tests: the simulated engine's five channels
// scan by scan (noise-free, steady), a CSV of their volts, and a stream that
// gives scripted chunks.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "daq/engine_model.h"
#include "daq/scan_stream.h"

namespace corvane::testing {

// Scans first .. first + count - 1 of a steady run at `rate`, channels 0..4.
std::vector<std::uint16_t> EngineScans(const daq::EngineModel& model, long rate,
                                       std::uint64_t first, std::uint64_t count);

// The same scans as the CSV corvane-record replays (five columns of volts).
std::string EngineVoltsCsv(const daq::EngineModel& model, long rate, std::uint64_t count);

class ScriptedStream : public daq::ScanStream {
public:
    ScriptedStream(daq::StreamFormat format, std::deque<daq::StreamChunk> chunks)
        : format_(format), chunks_(std::move(chunks)) {}
    daq::StreamFormat Format() const override { return format_; }
    daq::StreamChunk Read() override {
        if (stopped_ || chunks_.empty()) return {};
        daq::StreamChunk chunk = std::move(chunks_.front());
        chunks_.pop_front();
        return chunk;
    }
    void Stop() override { stopped_ = true; }

private:
    daq::StreamFormat format_;
    std::deque<daq::StreamChunk> chunks_;
    bool stopped_ = false;
};

// The scans cut into chunks of `size` scans, numbered from `first`.
std::deque<daq::StreamChunk> ChunksOf(const std::vector<std::uint16_t>& counts, int channels,
                                      std::uint64_t first, std::size_t size);

}  // namespace corvane::testing
