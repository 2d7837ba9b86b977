#include "truth_json.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace corvane::simulate {

namespace {

// Shortest text that reads back as the same double; JSON has no NaN or infinity.
std::string Number(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string Array(const std::vector<double>& values) {
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += ",";
        text += Number(values[i]);
    }
    return text + "]";
}

std::string Member(const char* key, const std::string& value) {
    return std::string("\"") + key + "\": " + value;
}

std::string Monitor(const daq::EngineModel& model) {
    return Member("low_temperature_k", Number(model.LowTemperatureK())) + ", " +
           Member("high_temperature_k", Number(model.HighTemperatureK())) + ", " +
           Member("heater_power_w", Number(model.HeaterPowerW())) + ", " +
           Member("seed", std::to_string(model.Parameters().seed));
}

}  // namespace

std::string GrabTruthJson(const daq::GrabTruth& truth, const daq::EngineModel& model) {
    return "{" + Member("kind", "\"grab\"") + ", " + Member("rpm", Number(truth.rpm)) + ", " +
           Member("indicated_power_mw", Number(truth.indicatedPowerMilliW)) + ", " +
           Member("work_per_cycle_uj", Number(truth.workPerCycleMicroJ)) + ", " + Monitor(model) +
           "}";
}

std::string DynaTruthJson(const daq::DynaTruth& truth, const daq::EngineModel& model) {
    return "{" + Member("kind", "\"dyna\"") + ", " +
           Member("moment_of_inertia_gm2", Number(truth.momentOfInertiaGm2)) + ", " +
           Member("free_running_rpm",
                  Number(model.Parameters().faults.stopped ? 0.0 : model.Parameters().rpm)) +
           ", " + Monitor(model) + ", " +
           Member("truth", "{" + Member("t_ms", Array(truth.tMs)) + ", " +
                               Member("rpm", Array(truth.rpm)) + ", " +
                               Member("torque_mnm", Array(truth.torqueMilliNm)) + ", " +
                               Member("power_mw", Array(truth.powerMilliW)) + "}") +
           "}";
}

}  // namespace corvane::simulate
