#pragma once
// The bench's calibrations in [Performance]: the transducer's two-point
// calibration, the loop-closure limit, and storing what a calibration found.
//   PressureScale=1            sensitivity over the nominal 0.4 V per kPa (> 0)
//   PressureZeroVolts=0        output at atmospheric pressure
//   LoopClosureLimitPercent=0.1  a cycle whose pressure misses by more is flagged (>= 0)
// The defaults change nothing; a key that is missing or out of range keeps its default.

#include "performance/performance.h"
#include "settings/ini_file.h"

namespace corvane::settings {

inline constexpr const char* kPressureScaleKey = "PressureScale";
inline constexpr const char* kPressureZeroKey = "PressureZeroVolts";
inline constexpr const char* kLoopClosureLimitKey = "LoopClosureLimitPercent";

// Reads the keys above into the bench's settings.
void LoadPressureSettings(const IniFile& ini, performance::BenchSettings& bench);

// Write a calibration's result into [Performance], in the shortest text that
// reads back as the same number; the caller saves the file.
void StorePressureCalibration(IniFile& ini, const performance::PressureCalibration& calibration);
void StorePhaseOffset(IniFile& ini, double offsetDeg);
// a and b with their uncertainties (FrictionA, FrictionB, FrictionAU, FrictionBU).
void StoreFriction(IniFile& ini, const performance::FrictionModel& friction);

}  // namespace corvane::settings
