#include "settings/board_settings.h"

#include <charconv>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "daq/simulated_board.h"

namespace corvane::settings {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

template <typename Number>
Number ReadNumber(const IniFile& ini, const char* key, Number fallback) {
    const std::string stored = ini.ReadString(kEngineSection, key, "");
    const std::string_view text = Trimmed(stored);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return fallback;
    return value;
}

template <typename Number>
void WriteNumber(IniFile& ini, const char* key, Number value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    ini.WriteString(kEngineSection, key, error == std::errc{} ? std::string(buffer, end) : "");
}

// Steps as "seconds heater_W load_mNm" separated by semicolons; an entry that
// is not three numbers makes the whole list unreadable.
std::vector<daq::RunStep> ReadSteps(const IniFile& ini) {
    std::istringstream entries(ini.ReadString(kEngineSection, "RunSteps", ""));
    std::vector<daq::RunStep> steps;
    for (std::string entry; std::getline(entries, entry, ';');) {
        if (Trimmed(entry).empty()) continue;
        std::istringstream fields(entry);
        daq::RunStep step;
        std::string extra;
        if (!(fields >> step.atS >> step.heaterPowerW >> step.loadMilliNm) || fields >> extra)
            return {};
        steps.push_back(step);
    }
    return steps;
}

std::string StepsText(const std::vector<daq::RunStep>& steps) {
    std::string text;
    for (const daq::RunStep& step : steps) {
        if (!text.empty()) text += ';';
        for (double value : {step.atS, step.heaterPowerW, step.loadMilliNm}) {
            char buffer[64];
            const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
            if (error == std::errc{}) text += std::string(buffer, end) + ' ';
        }
        text.pop_back();
    }
    return text;
}

daq::EngineRunSettings ReadRun(const IniFile& ini) {
    const daq::EngineRunSettings defaults;
    daq::EngineRunSettings run;
    run.warmUp = ini.ReadYesNo(kEngineSection, "WarmUp", defaults.warmUp);
    run.warmUpMinutes = ReadNumber(ini, "WarmUpMinutes", defaults.warmUpMinutes);
    run.driftKPerHour = ReadNumber(ini, "Drift", defaults.driftKPerHour);
    run.steps = ReadSteps(ini);
    run.speedUp = ReadNumber(ini, "SpeedUp", defaults.speedUp);
    run.overrunAtS = ReadNumber(ini, "OverrunAt", defaults.overrunAtS);
    run.overrunS = ReadNumber(ini, "OverrunLength", defaults.overrunS);
    run.coastDownAtS = ReadNumber(ini, "CoastDownAt", defaults.coastDownAtS);
    return run;
}

void WriteRun(IniFile& ini, const daq::EngineRunSettings& run) {
    ini.WriteYesNo(kEngineSection, "WarmUp", run.warmUp);
    WriteNumber(ini, "WarmUpMinutes", run.warmUpMinutes);
    WriteNumber(ini, "Drift", run.driftKPerHour);
    ini.WriteString(kEngineSection, "RunSteps", StepsText(run.steps));
    WriteNumber(ini, "SpeedUp", run.speedUp);
    WriteNumber(ini, "OverrunAt", run.overrunAtS);
    WriteNumber(ini, "OverrunLength", run.overrunS);
    WriteNumber(ini, "CoastDownAt", run.coastDownAtS);
}

}  // namespace

daq::BoardSettings ReadBoardSettings(const IniFile& ini) {
    daq::BoardSettings board;
    board.board = ini.ReadString(kDaqSection, "Board", "");
    board.device = ini.ReadString(kDaqSection, "Device", "");
    board.engine = ReadEngineParameters(ini);
    return board;
}

daq::EngineParameters ReadEngineParameters(const IniFile& ini) {
    const daq::EngineParameters defaults;
    daq::EngineParameters parameters;
    parameters.rpm = ReadNumber(ini, "Rpm", defaults.rpm);
    parameters.heaterPowerW = ReadNumber(ini, "HeaterPower", defaults.heaterPowerW);
    parameters.loadMilliNm = ReadNumber(ini, "Load", defaults.loadMilliNm);
    parameters.noiseVolts = ReadNumber(ini, "Noise", defaults.noiseVolts);
    parameters.flywheelMassG = ReadNumber(ini, "FlywheelMass", defaults.flywheelMassG);
    parameters.flywheelDiameterMm =
        ReadNumber(ini, "FlywheelDiameter", defaults.flywheelDiameterMm);
    parameters.seed = ReadNumber(ini, "Seed", defaults.seed);
    parameters.instantScans = ini.ReadYesNo(kEngineSection, "InstantScans", defaults.instantScans);
    parameters.faults.unplugged = ini.ReadYesNo(kEngineSection, "Unplugged", false);
    parameters.faults.missedHole = ini.ReadYesNo(kEngineSection, "MissedHole", false);
    parameters.faults.tooHot = ini.ReadYesNo(kEngineSection, "TooHot", false);
    parameters.faults.stopped = ini.ReadYesNo(kEngineSection, "Stopped", false);
    parameters.run = ReadRun(ini);
    return daq::CheckedParameters(parameters);
}

void WriteEngineParameters(IniFile& ini, const daq::EngineParameters& parameters) {
    WriteNumber(ini, "Rpm", parameters.rpm);
    WriteNumber(ini, "HeaterPower", parameters.heaterPowerW);
    WriteNumber(ini, "Load", parameters.loadMilliNm);
    WriteNumber(ini, "Noise", parameters.noiseVolts);
    WriteNumber(ini, "FlywheelMass", parameters.flywheelMassG);
    WriteNumber(ini, "FlywheelDiameter", parameters.flywheelDiameterMm);
    WriteNumber(ini, "Seed", parameters.seed);
    ini.WriteYesNo(kEngineSection, "InstantScans", parameters.instantScans);
    ini.WriteYesNo(kEngineSection, "Unplugged", parameters.faults.unplugged);
    ini.WriteYesNo(kEngineSection, "MissedHole", parameters.faults.missedHole);
    ini.WriteYesNo(kEngineSection, "TooHot", parameters.faults.tooHot);
    ini.WriteYesNo(kEngineSection, "Stopped", parameters.faults.stopped);
    WriteRun(ini, parameters.run);
}

}  // namespace corvane::settings
