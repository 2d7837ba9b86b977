#pragma once
// Working values of one analysis run and the bound-checked access to the
// record's tables: an index beyond a bound ends the analysis with RangeError.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/capture_record.h"
#include "text/errors.h"

namespace corvane::analysis {

struct AnalysisRun {
    double MeanPressureVolts = 0.0;
    std::int32_t ChannelLength = 0;
    std::vector<std::int32_t> WideHoles = std::vector<std::int32_t>(1);  // 1-based, grows
    std::int32_t WideCount = 0;
    std::int32_t FirstWide = 0;
    std::int32_t SecondWide = 0;
    std::int32_t CycleStart = 0;
    std::int32_t CycleEnd = 0;
    double CyclePeriod = 0.0;
    double Rpm = 0.0;
};

// RawSamples, indices 0..4096.
inline std::uint16_t RawAt(const CaptureRecord& record, long i) {
    if (i < 0 || i >= kRawCapacity) throw RangeError();
    return record.RawSamples[static_cast<std::size_t>(i)];
}

// Tach, Pressure and Angle, indices 1..4000.
template <typename Trace>
auto& TraceAt(Trace& trace, long i) {
    if (i < 1 || i > kChannelCapacity) throw RangeError();
    return trace[static_cast<std::size_t>(i)];
}

// FlyHoles, indices 1..FlyHoleCount (the table grows with the capture).
inline FlyHole& HoleAt(CaptureRecord& record, long i) {
    if (i < 1 || i > record.FlyHoleCount || static_cast<std::size_t>(i) >= record.FlyHoles.size()) {
        throw RangeError();
    }
    return record.FlyHoles[static_cast<std::size_t>(i)];
}

}  // namespace corvane::analysis
