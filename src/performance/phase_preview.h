#pragma once
// What a crank-phase calibration would do to the loop of the motored grab it
// is taken from: the averaged loop as evaluated and as the estimated offset
// corrects it, and the work of each. A motored loop corrected closes on
// itself: its work comes near zero.

#include <optional>
#include <vector>

#include "performance/performance.h"

namespace corvane::performance {

struct PhasePreview {
    PhaseEstimate estimate;
    std::vector<LoopPoint> before;  // at the offset the grab was evaluated with
    std::vector<LoopPoint> after;   // at the estimated offset
    double workBeforeMilliJ = 0.0;
    double workAfterMilliJ = 0.0;
};

// The averaged loop with its volumes at the holes' angle plus offsetDeg.
std::vector<LoopPoint> LoopAtOffset(const std::vector<LoopPoint>& loop, double offsetDeg);

// Work of a loop (volumes mm^3, pressures kPa), mJ.
double LoopWorkMilliJ(const std::vector<LoopPoint>& loop);

// Nothing when the grab gives no estimate (not evaluated, a dyna, no cycle).
std::optional<PhasePreview> PreviewPhaseCalibration(const PerformanceResult& motored);

}  // namespace corvane::performance
