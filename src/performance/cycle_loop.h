#pragma once
// One engine cycle as a closed loop of volume against pressure: its work, and
// its pressure at every whole degree of crank angle.

#include <array>
#include <span>

namespace corvane::performance {

inline constexpr int kDegreesPerCycle = 360;

// The work of a loop of (volume mm^3, pressure kPa) points in the order the
// engine ran through them, in microjoules (kPa x mm^3): the trapezoidal sum
// of p dV from each point to the next, the last joined back to the first.
// Positive when the loop runs clockwise, that is when the engine gives work.
double LoopWorkMicroJ(std::span<const double> volume, std::span<const double> pressure);

// The cycle's pressure at the whole degrees 0..359, linear between its samples
// taken as a closed loop (the last sample leads round to the first). The
// samples' crank angles rise within [0, 360); there is at least one.
std::array<double, kDegreesPerCycle> PressureAtWholeDegrees(std::span<const double> angle,
                                                            std::span<const double> pressure);

}  // namespace corvane::performance
