#include "performance/phase_preview.h"

#include "analysis/crank_cycle.h"
#include "performance/cycle_loop.h"

namespace corvane::performance {

std::vector<LoopPoint> LoopAtOffset(const std::vector<LoopPoint>& loop, double offsetDeg) {
    std::vector<LoopPoint> moved = loop;
    for (LoopPoint& p : moved) p.volumeMm3 = analysis::CylinderVolumeDouble(p.angleDeg + offsetDeg);
    return moved;
}

double LoopWorkMilliJ(const std::vector<LoopPoint>& loop) {
    std::vector<double> volume, pressure;
    for (const LoopPoint& p : loop) {
        volume.push_back(p.volumeMm3);
        pressure.push_back(p.pressureKpa);
    }
    return LoopWorkMicroJ(volume, pressure) / 1000;
}

std::optional<PhasePreview> PreviewPhaseCalibration(const PerformanceResult& motored) {
    if (motored.isDyna) return std::nullopt;
    const auto estimate = EstimatePhaseOffset(motored);
    if (!estimate) return std::nullopt;
    PhasePreview preview;
    preview.estimate = *estimate;
    preview.before = motored.averagedLoop;
    preview.after = LoopAtOffset(motored.averagedLoop, estimate->offsetDeg);
    preview.workBeforeMilliJ = LoopWorkMilliJ(preview.before);
    preview.workAfterMilliJ = LoopWorkMilliJ(preview.after);
    return preview;
}

}  // namespace corvane::performance
