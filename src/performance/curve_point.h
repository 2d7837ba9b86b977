#pragma once
// One point of a dyna's power curve with its expanded uncertainties (k = 2).

namespace corvane::performance {

struct CurvePoint {
    double timeMs = 0.0;
    double rpm = 0.0;
    double torqueMilliNm = 0.0;
    double powerMilliW = 0.0;
    double torqueUMilliNm = 0.0;  // expanded, k = 2
    double powerUMilliW = 0.0;    // expanded, k = 2
};

}  // namespace corvane::performance
