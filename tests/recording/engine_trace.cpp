#include "engine_trace.h"

#include <algorithm>
#include <cstdio>

#include "text/converter_counts.h"

namespace corvane::testing {

std::vector<std::uint16_t> EngineScans(const daq::EngineModel& model, long rate,
                                       std::uint64_t first, std::uint64_t count) {
    std::vector<std::uint16_t> counts;
    counts.reserve(static_cast<std::size_t>(count) * 5);
    for (std::uint64_t n = first; n < first + count; ++n) {
        const double crank = model.SteadyCrankDeg(static_cast<double>(n) / static_cast<double>(rate), 0.0);
        for (int channel = 0; channel < 5; ++channel) {
            counts.push_back(text::VoltsToCount(model.ChannelVolts(channel, crank)));
        }
    }
    return counts;
}

std::string EngineVoltsCsv(const daq::EngineModel& model, long rate, std::uint64_t count) {
    std::string csv = "pressure_v,tach_v,lo_temp_v,heater_v,hi_temp_v\n";
    const auto counts = EngineScans(model, rate, 0, count);
    char field[32];
    for (std::size_t i = 0; i < counts.size(); ++i) {
        std::snprintf(field, sizeof field, "%.6f", text::CountToVolts(counts[i]));
        csv += field;
        csv += i % 5 == 4 ? '\n' : ',';
    }
    return csv;
}

std::deque<daq::StreamChunk> ChunksOf(const std::vector<std::uint16_t>& counts, int channels,
                                      std::uint64_t first, std::size_t size) {
    std::deque<daq::StreamChunk> chunks;
    const std::size_t scans = counts.size() / static_cast<std::size_t>(channels);
    for (std::size_t at = 0; at < scans; at += size) {
        const std::size_t n = std::min(size, scans - at);
        daq::StreamChunk chunk;
        chunk.kind = daq::StreamChunk::Kind::Scans;
        chunk.firstScan = first + at;
        chunk.counts.assign(counts.begin() + static_cast<std::ptrdiff_t>(at * channels),
                            counts.begin() + static_cast<std::ptrdiff_t>((at + n) * channels));
        chunks.push_back(std::move(chunk));
    }
    return chunks;
}

}  // namespace corvane::testing
