#pragma once
// The board's sections of the settings file, read at start-up: "DAQ" (which
// board, which device) and the simulated engine's parameters. The board's own
// code takes the plain values.

#include "daq/board_factory.h"
#include "daq/engine_parameters.h"
#include "settings/ini_file.h"

namespace corvane::settings {

inline constexpr const char* kDaqSection = "DAQ";
inline constexpr const char* kEngineSection = "SimulatedEngine";

// [DAQ] Board and Device as written, and the simulated engine's section.
daq::BoardSettings ReadBoardSettings(const IniFile& ini);

// Keys: Rpm, HeaterPower (W), Load (mNm), Noise (V), FlywheelMass (g),
// FlywheelDiameter (mm), Seed, InstantScans, and the faults Unplugged,
// MissedHole, TooHot, Stopped (Yes/No); for a recording's run WarmUp (Yes/No),
// WarmUpMinutes, Drift (K per hour), RunSteps ("seconds heater_W load_mNm;..."),
// SpeedUp, OverrunAt and OverrunLength (s). Numbers use a point. A missing,
// unreadable or out-of-range value gives its default.
daq::EngineParameters ReadEngineParameters(const IniFile& ini);
// Writes every key of the section, so a teacher finds them all to edit.
void WriteEngineParameters(IniFile& ini, const daq::EngineParameters& parameters);

}  // namespace corvane::settings
