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
    text += "]";
    return text;
}

// One JSON object, its members written in order as "key": value, separated by
// ", ". Built by appending only: GCC 12 at -O3 reports a false overlap
// (-Wrestrict) for a literal prepended to a temporary string.
class Object {
public:
    Object& add(const char* key, const std::string& value) {
        if (text_.size() > 1) text_ += ", ";
        text_ += '"';
        text_ += key;
        text_ += "\": ";
        text_ += value;
        return *this;
    }
    Object& add(const char* key, double value) { return add(key, Number(value)); }
    std::string text() const { return text_ + "}"; }

private:
    std::string text_ = "{";
};

void AddMonitor(Object& object, const daq::EngineModel& model) {
    object.add("low_temperature_k", model.LowTemperatureK())
        .add("high_temperature_k", model.HighTemperatureK())
        .add("heater_power_w", model.HeaterPowerW())
        .add("seed", std::to_string(model.Parameters().seed));
}

}  // namespace

std::string GrabTruthJson(const daq::GrabTruth& truth, const daq::EngineModel& model) {
    Object object;
    object.add("kind", "\"grab\"")
        .add("rpm", truth.rpm)
        .add("indicated_power_mw", truth.indicatedPowerMilliW)
        .add("work_per_cycle_uj", truth.workPerCycleMicroJ);
    AddMonitor(object, model);
    return object.text();
}

std::string DynaTruthJson(const daq::DynaTruth& truth, const daq::EngineModel& model) {
    Object curves;
    curves.add("t_ms", Array(truth.tMs))
        .add("rpm", Array(truth.rpm))
        .add("torque_mnm", Array(truth.torqueMilliNm))
        .add("power_mw", Array(truth.powerMilliW));
    Object object;
    object.add("kind", "\"dyna\"")
        .add("moment_of_inertia_gm2", truth.momentOfInertiaGm2)
        .add("free_running_rpm", model.Parameters().faults.stopped ? 0.0 : model.Parameters().rpm)
        .add("coast_down", model.Parameters().coastDown ? "true" : "false")
        .add("friction_a_mnm", truth.friction.aMilliNm)
        .add("friction_b_mnm_per_krpm", truth.friction.BMilliNmPerKrpm());
    AddMonitor(object, model);
    object.add("truth", curves.text());
    return object.text();
}

}  // namespace corvane::simulate
