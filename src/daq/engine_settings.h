#pragma once
// The simulated engine's section of the settings file, read at start-up.

#include "daq/engine_parameters.h"
#include "settings/ini_file.h"

namespace corvane::daq {

inline constexpr const char* kEngineSection = "SimulatedEngine";

// Keys: Rpm, HeaterPower (W), Load (mNm), Noise (V), FlywheelMass (g),
// FlywheelDiameter (mm), Seed, InstantScans, and the faults Unplugged,
// MissedHole, TooHot, Stopped (Yes/No); for a recording's run WarmUp (Yes/No),
// WarmUpMinutes, Drift (K per hour), RunSteps ("seconds heater_W load_mNm;..."),
// SpeedUp, OverrunAt and OverrunLength (s). Numbers use a point. A missing,
// unreadable or out-of-range value gives its default.
EngineParameters ReadEngineParameters(const settings::IniFile& ini);
// Writes every key of the section, so a teacher finds them all to edit.
void WriteEngineParameters(settings::IniFile& ini, const EngineParameters& parameters);

}  // namespace corvane::daq
