#pragma once
// Friction from a coast-down: a dyna taken while the engine slows with nothing
// driving it (heater off, or the engine stopped from giving work), so that the
// flywheel's deceleration is the friction's doing alone: I |alpha| = a + b n,
// n in rpm. With friction known, a grab's indicated power splits into the
// shaft power and the power friction takes.

#include <optional>
#include <string_view>

#include "performance/mechanical_efficiency.h"
#include "performance/performance.h"

namespace corvane::performance {

struct FrictionFit {
    FrictionModel model;
    double rpmFrom = 0.0;  // the fitted points' speeds, highest first as the engine slowed
    double rpmTo = 0.0;
    int points = 0;
};

enum class FrictionFitStatus {
    Fitted,
    NotADyna,       // a grab: a coast-down is a dyna capture
    NotEvaluated,   // the dyna gave no curve
    NotSlowing,     // the flywheel did not lose speed on the whole
    NoSpeedRange,   // too few points, or all at one speed
};
std::string_view FrictionFitStatusText(FrictionFitStatus status);

struct FrictionFitResult {
    FrictionFitStatus status = FrictionFitStatus::NotEvaluated;
    std::optional<FrictionFit> fit;
};

// A straight line through the retarding torque (minus the curve's torque)
// against speed, least squares over every point of the curve, each weighted
// by its torque's scatter; a and b with their standard uncertainties from the
// points' scatter about the line (the flywheel's moment of inertia, which
// scales both, is left to the uncertainty budget).
FrictionFitResult FitFriction(const PerformanceResult& coastDown);

}  // namespace corvane::performance
