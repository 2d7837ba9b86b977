#pragma once
// The dyna's angular speed and acceleration at each flywheel hole, from a
// centred local fit of crank angle against time.
//
// The fit is a cubic in time plus the first two harmonics of the crank
// angle. The engine's single power stroke makes the flywheel speed up and slow
// down within every revolution; that ripple is locked to the crank angle, and
// the harmonic terms take it up, so that it does not leak into the
// acceleration. The window reaches a quarter of a second each side, and at
// least one revolution (16 holes): the holes' times carry the converter's step,
// and a second derivative from a short window magnifies it (at 600 rpm one
// revolution each side gave points scattering 7 % rms about the truth; a
// quarter of a second, under 1 %, while the curve's bend over the window stays
// below 1 % of the torque down to 250 rpm). The window shrinks at the ends of a
// run down to three quarters of a revolution.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "performance/performance.h"

namespace corvane::performance {

inline constexpr std::size_t kFitReachHoles = 16;
inline constexpr std::size_t kFitLeastHoles = 12;
inline constexpr double kFitReachSeconds = 0.25;

// Holes of a run of whole revolutions: centre times in seconds and the crank
// angle of each hole in radians, unwrapped (rising by 2 pi / 16 per hole, 0 at
// a wide hole). Equally long.
struct HoleTrack {
    std::span<const double> seconds;
    std::span<const double> angle;
};

struct Motion {
    double angularSpeed = 0.0;         // rad/s
    double angularAcceleration = 0.0;  // rad/s^2
    // Standard uncertainty of the acceleration from the holes' scatter about the fit.
    double accelerationSd = 0.0;
};

// The motion at hole i from the holes i - halfWidth .. i + halfWidth, which
// must lie in the track; nothing when they do not determine it (too few).
std::optional<Motion> LocalMotion(const HoleTrack& track, std::size_t i, std::size_t halfWidth);

// A point at every hole whose window reaches at least kFitLeastHoles each
// side; torque and power from the moment of inertia in g m^2.
std::vector<DynaPoint> DynaPoints(const HoleTrack& track, double momentOfInertiaGm2);

}  // namespace corvane::performance
