#pragma once
// Crank-phase calibration from a motored capture. Turned with the heater off,
// the gas pressure follows the cylinder volume alone, so the true loop closes
// on itself: its pressure's first harmonic in crank angle is exactly opposite
// to the volume's. Where the holes' angle lags the true crank angle by phi
// (the crank angle from maximum volume is the holes' angle plus phi), the
// pressure's lowest harmonic peaks phi early; that shift is the offset.

#include <array>
#include <optional>

#include "performance/cycle_loop.h"

namespace corvane::performance {

struct PerformanceResult;

// The first harmonic of a pressure at whole degrees of crank angle:
// p ~ cos x cos(theta) + sin x sin(theta), kPa.
struct Harmonic {
    double cosKpa = 0.0;
    double sinKpa = 0.0;
};
Harmonic FirstHarmonic(const std::array<double, kDegreesPerCycle>& pressure);

// The offset in degrees, in (-180, 180], of a loop whose pressure falls as the
// volume V(theta + phi) rises.
double MotoredPhaseDeg(const Harmonic& harmonic);

struct PhaseEstimate {
    double offsetDeg = 0.0;
    std::optional<double> uncertaintyDeg;  // sd of the cycles' offsets / sqrt(n): two cycles or more
    int cycles = 0;
};

// From an evaluated grab of the engine turned with the heater off; nothing
// when it holds no cycle.
std::optional<PhaseEstimate> EstimatePhaseOffset(const PerformanceResult& motored);

}  // namespace corvane::performance
