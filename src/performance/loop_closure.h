#pragma once
// Whether a grab's loop closes on itself. A transducer whose zero drifts, or a
// charge that leaks, gives a pressure that does not come back to where it
// was one revolution later; its loop is then open and its area suspect.

#include <optional>
#include <span>

namespace corvane::performance {

struct PerformanceResult;

// A cycle whose closure exceeds this share of its pressure swing is flagged.
// Clean captures of the simulated engine (1 kHz, its noise) stay under 0.1 %
// at 300 to 900 rpm; a zero drifting by 2 % of the swing per second opens each
// cycle by 0.4 % at 300 rpm, 0.24 % at 500 rpm and 0.13 % at 900 rpm, where
// the noise over one revolution lets only part of them pass the limit.
inline constexpr double kDefaultLoopClosureLimitPercent = 0.15;

// The mean of the pressure over one revolution starting `revolution` samples
// later less its mean over the revolution from `start` (samples, the trace
// 1-based and linear between samples), as a percentage of the cycle's swing
// (highest less lowest pressure). Taken over whole revolutions of the run's
// mean length, the cycle's shape cancels and a slow drift remains; the two
// revolutions must lie within the trace. Nothing otherwise, or when the swing
// is not positive.
std::optional<double> LoopClosurePercent(std::span<const double> pressure, double start,
                                         double revolution, double swingKpa);

// Whether a cycle's closure (either sign) exceeds the limit.
bool IsLoopOpen(std::optional<double> closurePercent, double limitPercent);

// The cycles of an evaluated grab whose loop is open.
int OpenLoops(const PerformanceResult& result);

}  // namespace corvane::performance
