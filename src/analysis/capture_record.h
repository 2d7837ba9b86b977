#pragma once
// One capture: raw converter counts, its kind and time base, the engine monitor
// values taken with it, and the traces and hole table derived from it.

#include <array>
#include <cstdint>
#include <vector>

#include "text/converter_counts.h"

namespace corvane::analysis {

inline constexpr int kRawCapacity = 4097;      // RawSamples indices 0..4096
inline constexpr int kChannelCapacity = 4000;  // Tach/Pressure/Angle indices 1..4000

struct FlyHole {
    std::int32_t Down = 0;
    std::int32_t Mid = 0;  // (Down + Up) div 2 - 1; also the hole's sample index
    std::int32_t Up = 0;
    std::int32_t Width = 0;
    double HoleAngle = 0.0;
};

// Counts to volts on the +-10 V range of a 12-bit converter, and back (halves
// to even; RangeError outside 0..65535). They live with the text helpers, which
// the capture file's fields need, and are the record's conversions.
using text::CountToVolts;
using text::VoltsToCount;

struct CaptureRecord {
    std::array<std::uint16_t, kRawCapacity> RawSamples{};
    // 1-based traces: element 0 is unused so that indices read as in the log.
    std::array<double, kChannelCapacity + 1> Tach{};
    std::array<double, kChannelCapacity + 1> Pressure{};
    std::array<double, kChannelCapacity + 1> Angle{};
    std::int32_t SampleCount = 0;
    double SamplePeriod = 0.0;
    double LoTemp = 0.0;
    double ResistorPower = 0.0;
    double HiTemp = 0.0;
    bool IsDyna = false;
    // 1-based like the traces (element 0 unused); grows with the capture.
    std::vector<FlyHole> FlyHoles = std::vector<FlyHole>(1);
    std::int32_t FlyHoleCount = 0;
};

}  // namespace corvane::analysis
