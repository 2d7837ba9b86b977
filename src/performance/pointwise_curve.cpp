#include "performance/pointwise_curve.h"

#include <cmath>

#include "text/decimal_text.h"

namespace corvane::performance {

namespace {

CurvePoint PointOf(const DynaPoint& p, double inertiaShare) {
    CurvePoint c;
    c.timeMs = p.timeMs;
    c.rpm = p.rpm;
    c.torqueMilliNm = p.torqueMilliNm;
    c.powerMilliW = p.powerMilliW;
    c.torqueUMilliNm =
        kCoverageFactor * std::hypot(p.torqueSdMilliNm, p.torqueMilliNm * inertiaShare);
    c.powerUMilliW = c.torqueUMilliNm * std::abs(p.angularSpeed);
    return c;
}

std::string Number(double value, int decimals) { return text::FixedText(value, decimals, ".", ""); }

}  // namespace

std::vector<CurvePoint> PointwiseCurve(const PerformanceResult& result,
                                       const UncertaintyBudget& budget) {
    std::vector<CurvePoint> curve;
    if (!result.isDyna || result.status != Status::Evaluated) return curve;
    curve.reserve(result.dynaPoints.size());
    for (const DynaPoint& p : result.dynaPoints) {
        curve.push_back(PointOf(p, budget.inertiaPercent / 100));
    }
    return curve;
}

std::string CurveCsv(const std::vector<CurvePoint>& points) {
    std::string csv = std::string(kCurveHeader) + "\r\n";
    for (const CurvePoint& p : points) {
        csv += Number(p.timeMs, 2) + ',' + Number(p.rpm, 1) + ',' + Number(p.torqueMilliNm, 3) +
               ',' + Number(p.powerMilliW, 2) + ',' + Number(p.torqueUMilliNm, 3) + ',' +
               Number(p.powerUMilliW, 2) + "\r\n";
    }
    return csv;
}

}  // namespace corvane::performance
