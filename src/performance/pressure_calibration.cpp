#include "performance/pressure_calibration.h"

#include <cmath>

namespace corvane::performance {

namespace {

constexpr double kNominalVoltsPerKpa = 0.4;

}  // namespace

std::optional<PressureCalibration> TwoPointCalibration(CalibrationPoint a, CalibrationPoint b) {
    for (double v : {a.gaugeKpa, a.volts, b.gaugeKpa, b.volts}) {
        if (!std::isfinite(v)) return std::nullopt;
    }
    if (a.gaugeKpa == b.gaugeKpa) return std::nullopt;
    const double voltsPerKpa = (b.volts - a.volts) / (b.gaugeKpa - a.gaugeKpa);
    PressureCalibration calibration;
    calibration.scale = voltsPerKpa / kNominalVoltsPerKpa;
    calibration.zeroVolts = a.volts - voltsPerKpa * a.gaugeKpa;
    if (!IsUsable(calibration)) return std::nullopt;
    return calibration;
}

bool IsUsable(const PressureCalibration& calibration) {
    return std::isfinite(calibration.scale) && calibration.scale > 0 &&
           std::isfinite(calibration.zeroVolts);
}

double GaugeKpa(const PressureCalibration& calibration, double volts) {
    return (volts - calibration.zeroVolts) / (kNominalVoltsPerKpa * calibration.scale);
}

}  // namespace corvane::performance
