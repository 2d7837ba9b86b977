#pragma once
// Synthetic captures of a flywheel with 16 holes, one of them wide, for the
// analysis tests and benchmarks.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "analysis/capture_record.h"

namespace corvane::analysis::testing {

inline constexpr double kHighVolts = 4.0;
inline constexpr double kLowVolts = 0.5;

// Tachometer volts per sample k = 1..n from the flywheel's position in
// revolutions at that sample: hole n occupies the first `narrow` (or, for
// the wide hole every 16th, `wide`) fraction of its 1/16 revolution.
inline std::vector<double> TachFromPhase(int samples, const std::function<double(int)>& revs,
                                         double narrow = 0.25, double wide = 0.55) {
    std::vector<double> volts;
    for (int k = 1; k <= samples; ++k) {
        const double holes = revs(k) * 16;
        const double whole = std::floor(holes);
        const bool isWide = static_cast<long>(whole) % 16 == 0;
        const bool low = holes - whole < (isWide ? wide : narrow);
        volts.push_back(low ? kLowVolts : kHighVolts);
    }
    return volts;
}

// Tachometer volts per sample k = 1..n with sloping edges, as a light spot of
// finite size sees them: hole n is centred on n/16 revolution (hole 0, the
// wide one, on the whole revolution, crank angle 0), `narrow` or `wide` of
// the hole spacing across at mid-edge, each edge a straight ramp `ramp` of the
// hole spacing long. Both samples around a threshold crossing lie on the ramp
// when it spans two samples or more, so a linear reading of the crossing is exact.
inline std::vector<double> RampedTach(int samples, const std::function<double(int)>& revs,
                                      double narrow = 0.45, double wide = 0.7, double ramp = 0.3) {
    std::vector<double> volts;
    for (int k = 1; k <= samples; ++k) {
        const double holes = revs(k) * 16;
        const double nearest = std::round(holes);
        const double off = std::abs(holes - nearest);  // 0 .. 0.5 of the hole spacing
        const bool isWide = static_cast<long>(nearest) % 16 == 0;
        const double edge = (isWide ? wide : narrow) / 2;
        const double open = std::clamp((edge + ramp / 2 - off) / ramp, 0.0, 1.0);
        volts.push_back(kHighVolts - (kHighVolts - kLowVolts) * open);
    }
    return volts;
}

// A grab: channel 0 (pressure) and channel 1 (tachometer) interleaved.
inline std::unique_ptr<CaptureRecord> GrabRecord(const std::vector<double>& tach,
                                                 const std::vector<double>& pressure) {
    auto record = std::make_unique<CaptureRecord>();
    record->SamplePeriod = 0.001;
    record->IsDyna = false;
    for (std::size_t j = 0; j < tach.size(); ++j) {
        record->RawSamples[2 * j] = VoltsToCount(j < pressure.size() ? pressure[j] : 0.0);
        record->RawSamples[2 * j + 1] = VoltsToCount(tach[j]);
    }
    record->SampleCount = static_cast<std::int32_t>(2 * tach.size());
    return record;
}

inline std::unique_ptr<CaptureRecord> DynaRecord(const std::vector<double>& tach,
                                                 double period = 0.001) {
    auto record = std::make_unique<CaptureRecord>();
    record->SamplePeriod = period;
    record->IsDyna = true;
    for (std::size_t j = 0; j < tach.size(); ++j) record->RawSamples[j] = VoltsToCount(tach[j]);
    record->SampleCount = static_cast<std::int32_t>(tach.size());
    return record;
}

// A 2000-value grab of an engine turning at `rpm`, with a pressure wave
// lagging the volume so that the PV loop encloses an area.
inline std::unique_ptr<CaptureRecord> SteadyGrab(double rpm, double startRevs = 0.3) {
    const double revsPerSample = rpm / 60 / 1000;
    const auto revs = [=](int k) { return startRevs + k * revsPerSample; };
    std::vector<double> pressure;
    for (int k = 1; k <= 1000; ++k) {
        pressure.push_back(1.0 + 0.8 * std::sin(2 * std::numbers::pi * revs(k) - 0.6));
    }
    return GrabRecord(TachFromPhase(1000, revs), pressure);
}

// A 4000-sample dyna at 1 ms of an engine speeding up evenly from rpm0 to rpm1.
inline std::unique_ptr<CaptureRecord> AcceleratingDyna(double rpm0, double rpm1) {
    const double seconds = 4.0;
    const auto revs = [=](int k) {
        const double t = k * 0.001;
        return 0.3 + (rpm0 * t + (rpm1 - rpm0) * t * t / (2 * seconds)) / 60;
    };
    return DynaRecord(TachFromPhase(4000, revs, 0.2, 0.6));
}

}  // namespace corvane::analysis::testing
