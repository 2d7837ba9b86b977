#pragma once
// The [Recording] section of the settings file: how steady state is judged.
// A missing, empty, unreadable or non-positive value keeps its default.

#include "recording/steady_state.h"
#include "settings/ini_file.h"

namespace corvane::recording {

inline constexpr const char* kRecordingSection = "Recording";

SteadyCriteria LoadSteadyCriteria(const settings::IniFile& ini);
// Writes every criterion (so that the file shows what is in force).
void SaveSteadyCriteria(settings::IniFile& ini, const SteadyCriteria& criteria);

}  // namespace corvane::recording
