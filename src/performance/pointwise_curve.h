#pragma once
// A dyna's power curve point by point, each with its expanded uncertainty
// (k = 2): the local fit's own scatter and the flywheel's moment of inertia.
// The window's "Save curve…" and corvane-batch --curves write it as CSV.

#include <string>
#include <vector>

#include "performance/curve_point.h"
#include "performance/performance.h"

namespace corvane::performance {

// The points of an evaluated dyna in time order; none for a grab or a dyna
// that was not evaluated. AnalysePerformance keeps them in the result's curve.
std::vector<CurvePoint> PointwiseCurve(const PerformanceResult& result,
                                       const UncertaintyBudget& budget);

inline constexpr const char* kCurveHeader =
    "time_ms,rpm,torque_mnm,power_mw,torque_u_mnm,power_u_mw";

// The header and a line per point, point decimal, each line ended by CR LF.
// Digits: time and power to 0.01, rpm to 0.1, torque to 0.001.
std::string CurveCsv(const std::vector<CurvePoint>& points);

}  // namespace corvane::performance
