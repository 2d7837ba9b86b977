#include "performance/crank_phase.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "performance/performance.h"

namespace corvane::performance {

namespace {

constexpr double kDegPerRad = 180 / std::numbers::pi;

// The angle from a to b, wrapped into (-180, 180].
double Difference(double a, double b) {
    double d = std::fmod(b - a, 360.0);
    if (d > 180) d -= 360;
    if (d <= -180) d += 360;
    return d;
}

}  // namespace

Harmonic FirstHarmonic(const std::array<double, kDegreesPerCycle>& pressure) {
    Harmonic h;
    for (int d = 0; d < kDegreesPerCycle; ++d) {
        const double theta = d / kDegPerRad;
        h.cosKpa += pressure[static_cast<std::size_t>(d)] * std::cos(theta);
        h.sinKpa += pressure[static_cast<std::size_t>(d)] * std::sin(theta);
    }
    h.cosKpa *= 2.0 / kDegreesPerCycle;
    h.sinKpa *= 2.0 / kDegreesPerCycle;
    return h;
}

// p ~ -c cos(theta + phi) = -c cos(phi) cos(theta) + c sin(phi) sin(theta), c > 0.
double MotoredPhaseDeg(const Harmonic& harmonic) {
    return std::atan2(harmonic.sinKpa, -harmonic.cosKpa) * kDegPerRad;
}

std::optional<PhaseEstimate> EstimatePhaseOffset(const PerformanceResult& motored) {
    const std::vector<Harmonic>& cycles = motored.cycleHarmonics;
    if (motored.status != Status::Evaluated || cycles.empty()) return std::nullopt;
    Harmonic mean;
    for (const Harmonic& h : cycles) {
        mean.cosKpa += h.cosKpa;
        mean.sinKpa += h.sinKpa;
    }
    PhaseEstimate estimate;
    estimate.offsetDeg = MotoredPhaseDeg(mean);
    estimate.cycles = static_cast<int>(cycles.size());
    if (estimate.cycles < 2) return estimate;
    double squares = 0.0;
    for (const Harmonic& h : cycles) {
        const double d = Difference(estimate.offsetDeg, MotoredPhaseDeg(h));
        squares += d * d;
    }
    const double n = estimate.cycles;
    estimate.uncertaintyDeg = std::sqrt(squares / (n - 1) / n);
    return estimate;
}

}  // namespace corvane::performance
