#pragma once
// The analysed engine cycle of a grab: crank angles of the holes and samples
// from the first wide hole to the second, cylinder volume, and the PV points.

#include <string>
#include <vector>

#include "analysis/analyse_capture.h"
#include "analysis/analysis_run.h"

namespace corvane::analysis {

inline constexpr double kDegreesPerHole = 22.5;

// Half the swept volume and the mean volume of the cylinder, mm^3.
double VolumeAmplitude();
inline constexpr double kMeanVolume = 69591.53944470869;

// Cylinder volume in mm^3 at a crank angle in degrees (largest at 0, the wide hole).
double CylinderVolumeAt(double angleDegrees);
// The same volume in double precision throughout (within 1e-10 mm^3 of it) and
// many times faster, for figures that need it at every sample of a capture.
double CylinderVolumeDouble(double angleDegrees);

// Hole angles, Angle[CycleStart..CycleEnd] (with one log line each when a log
// is given), and Rpm. Expects FirstWide/SecondWide and
// CycleStart/CycleEnd/CyclePeriod set.
void AssignCrankAngles(CaptureRecord& record, AnalysisRun& run, std::vector<std::string>* log);

// (CylinderVolume(i), Pressure[i]) for i = CycleStart .. CycleEnd - 1.
std::vector<Point> PvPoints(CaptureRecord& record, const AnalysisRun& run);

}  // namespace corvane::analysis
