#pragma once
// The pressure transducer's two-point calibration: two known gauge pressures
// applied to it (atmosphere and a water column, say) and the volts it gave.
// Nominally it gives 0.4 V per kPa and 0 V at atmospheric pressure; the
// calibration says by how much this transducer differs.

#include <optional>

namespace corvane::performance {

struct PressureCalibration {
    double scale = 1.0;      // sensitivity over the nominal 0.4 V per kPa
    double zeroVolts = 0.0;  // output at atmospheric pressure
};

// One known pressure and the transducer's reading there.
struct CalibrationPoint {
    double gaugeKpa = 0.0;  // above atmospheric pressure
    double volts = 0.0;
};

// The line through the two points; nothing when the pressures are the same,
// a value is not finite or the sensitivity it gives is not positive.
std::optional<PressureCalibration> TwoPointCalibration(CalibrationPoint a, CalibrationPoint b);

// A calibration the analysis can use: a finite positive scale and a finite zero.
bool IsUsable(const PressureCalibration& calibration);

// The gauge pressure (kPa) of a reading in volts.
double GaugeKpa(const PressureCalibration& calibration, double volts);

}  // namespace corvane::performance
