#pragma once
// Shaft torque and power from the flywheel's angular acceleration between
// speed points, their moving averages, and results rows 6 and 7.

#include <vector>

#include "analysis/analyse_capture.h"

namespace corvane::analysis {

inline constexpr int kSmoothingHalfWidth = 6;  // window of 12 raw points

struct TorquePower {
    double torque = 0.0;  // N*m
    double power = 0.0;   // W
};

// The interval from (tPrev ms, nPrev rpm) to (t ms, n rpm) with the moment of
// inertia in g*m^2; zero for an interval of exactly zero duration.
TorquePower PowerTorqueStep(double t, double tPrev, double n, double nPrev, double inertia);

// Mean of the twelve values from six before to five after each point, for
// points 6 .. m - 7; placed at the point's own time.
std::vector<Point> Smoothed(const std::vector<Point>& raw);

// Fills the power and torque series, the averages, rows 6 and 7 and the
// advice flag from result.rpmPoints and the disk table.
void ComputePowerTorque(const AnalysisInputs& inputs, AnalysisResult& result);

}  // namespace corvane::analysis
