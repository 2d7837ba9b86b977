#include "daq/engine_run.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <numbers>
#include <string>

namespace corvane::daq {

namespace {

constexpr double kSecondsPerHour = 3600.0;

double NetTorqueNm(double workMicroJ, double loadMilliNm) {
    return workMicroJ * 1e-6 / (2.0 * std::numbers::pi) - loadMilliNm * 1e-3;
}

// A first-order lag over one step toward target.
double Lagged(double value, double target, double timeConstantS) {
    if (!(timeConstantS > 0.0)) return target;
    return target + (value - target) * std::exp(-kRunStepS / timeConstantS);
}

double Within(double value, double lowest, double highest, double fallback) {
    return (std::isfinite(value) && value >= lowest && value <= highest) ? value : fallback;
}

bool Sensible(const RunStep& step) {
    return Within(step.atS, 0.0, 1e7, -1.0) >= 0.0 &&
           Within(step.heaterPowerW, 0.0, 20.0, -1.0) >= 0.0 &&
           Within(step.loadMilliNm, 0.0, 1000.0, -1.0) >= 0.0;
}

std::string Number(double value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc{} ? std::string(buffer, end) : std::string("nan");
}

}  // namespace

EngineRunSettings CheckedRun(const EngineRunSettings& run) {
    const EngineRunSettings defaults;
    EngineRunSettings checked = run;
    checked.warmUpMinutes = Within(run.warmUpMinutes, 0.0, 600.0, defaults.warmUpMinutes);
    checked.driftKPerHour = Within(run.driftKPerHour, -100.0, 100.0, defaults.driftKPerHour);
    checked.speedUp = Within(run.speedUp, 0.01, 100000.0, defaults.speedUp);
    checked.overrunAtS = Within(run.overrunAtS, 0.0, 1e7, defaults.overrunAtS);
    checked.overrunS = Within(run.overrunS, 0.0, 3600.0, defaults.overrunS);
    checked.coastDownAtS = Within(run.coastDownAtS, 0.0, 1e7, defaults.coastDownAtS);
    checked.steps.clear();
    std::copy_if(run.steps.begin(), run.steps.end(), std::back_inserter(checked.steps), Sensible);
    std::stable_sort(checked.steps.begin(), checked.steps.end(),
                     [](const RunStep& a, const RunStep& b) { return a.atS < b.atS; });
    return checked;
}

EngineRun::EngineRun(const EngineParameters& parameters)
    : parameters_(parameters), model_(parameters) {
    // Worked out as every state of the run is, so that a steady run keeps its speed exactly.
    const EngineModel reference(parameters_, model_.HighTemperatureK());
    referenceWorkMicroJ_ = reference.WorkPerCycleMicroJ();
    referenceTorqueNm_ = NetTorqueNm(referenceWorkMicroJ_, parameters_.loadMilliNm);
    flywheelLagS_ = model_.Dyna().timeConstant;
    frictionBMilliNmPerRadS_ = model_.Friction().bMilliNmPerRadS;
    state_.heaterPowerW = parameters_.heaterPowerW;
    state_.loadMilliNm = parameters_.loadMilliNm;
    TakeSteps(0.0);
    laggedHighK_ = parameters_.run.warmUp ? model_.LowTemperatureK() : targetHighK_;
    const double startRpm = parameters_.run.warmUp ? 0.0 : -1.0;  // -1: settled at once
    Take(0.0, startRpm);
}

void EngineRun::Advance() {
    const double t = state_.timeS + kRunStepS;
    const double rpm = RpmAt(t);  // where the second now over ended
    TakeSteps(t);
    laggedHighK_ = Lagged(laggedHighK_, targetHighK_, parameters_.run.warmUpMinutes * 60.0);
    Take(t, rpm);
}

double EngineRun::RpmAt(double t) const {
    if (!coasting_) return state_.rpm;
    return coast_.Omega(t - state_.timeS) * 60.0 / (2.0 * std::numbers::pi);
}

FrictionTruth EngineRun::Friction() const {
    if (!(frictionBMilliNmPerRadS_ > 0.0)) return {};
    return {state_.loadMilliNm, frictionBMilliNmPerRadS_};
}

EngineParameters EngineRun::Settled(double heaterPowerW, double loadMilliNm) const {
    EngineParameters settled = parameters_;
    settled.heaterPowerW = heaterPowerW;
    settled.loadMilliNm = loadMilliNm;
    settled.displacerUnhooked = coasting_;
    return settled;
}

// The heater and load steps due by t, and the temperature the heater now aims at.
void EngineRun::TakeSteps(double t) {
    const auto& steps = parameters_.run.steps;
    const bool first = targetHighK_ == 0.0;
    bool changed = first;
    for (; nextStep_ < steps.size() && steps[nextStep_].atS <= t; ++nextStep_) {
        state_.heaterPowerW = steps[nextStep_].heaterPowerW;
        state_.loadMilliNm = steps[nextStep_].loadMilliNm;
        changed = true;
    }
    // From the coast-down on the heater stays off, whatever the steps say.
    if (parameters_.run.coastDownAtS >= 0.0 && t >= parameters_.run.coastDownAtS) {
        changed = changed || !coasting_;
        coasting_ = true;
        state_.heaterPowerW = 0.0;
    }
    if (changed)
        targetHighK_ =
            EngineModel(Settled(state_.heaterPowerW, state_.loadMilliNm)).HighTemperatureK();
}

// Speed the engine settles at: the configured speed scaled by the torque it
// has to spare against its load (friction rising with speed takes the rest).
double EngineRun::SettledRpm(double workMicroJ, double loadMilliNm) const {
    if (parameters_.faults.stopped || !(referenceWorkMicroJ_ > 0.0)) return 0.0;
    const double share = referenceTorqueNm_ > 0.0
                             ? NetTorqueNm(workMicroJ, loadMilliNm) / referenceTorqueNm_
                             : workMicroJ / referenceWorkMicroJ_;
    return parameters_.rpm * std::max(share, 0.0);
}

// The state from t on: the hot end with its drift, the speed lagging behind
// the settled speed by the flywheel's time constant (rpm < 0: settled at once).
void EngineRun::Take(double t, double rpm) {
    const double highK = laggedHighK_ + parameters_.run.driftKPerHour * t / kSecondsPerHour;
    model_ = EngineModel(Settled(state_.heaterPowerW, state_.loadMilliNm), highK);
    const double work = model_.WorkPerCycleMicroJ();
    const double settled = SettledRpm(work, state_.loadMilliNm);
    state_.timeS = t;
    state_.highTemperatureK = highK;
    state_.workMicroJ = work;
    if (coasting_) {
        // Nothing drives the flywheel: it slows from where it was against its
        // friction (a run coasting from its start: from the steady speed).
        state_.rpm = rpm < 0.0 ? SettledRpm(referenceWorkMicroJ_, parameters_.loadMilliNm) : rpm;
        coast_ = CoastDownMotion(Friction(), model_.MomentOfInertiaGm2() * 1e-3,
                                 state_.rpm * 2.0 * std::numbers::pi / 60.0);
        return;
    }
    state_.rpm = rpm < 0.0 ? settled : Lagged(rpm, settled, flywheelLagS_);
}

std::vector<RunTruthRow> RunTruthOf(const EngineParameters& parameters, double seconds) {
    std::vector<RunTruthRow> rows;
    EngineRun run(parameters);
    for (; run.State().timeS < seconds; run.Advance()) {
        const RunState& state = run.State();
        rows.push_back({state.timeS, state.rpm, state.workMicroJ / 1000.0});
    }
    return rows;
}

void WriteRunTruthCsv(std::ostream& out, const std::vector<RunTruthRow>& rows) {
    out << "time_s,rpm,work_mj\n";
    for (const auto& row : rows)
        out << Number(row.timeS) << ',' << Number(row.rpm) << ',' << Number(row.workMilliJ) << '\n';
}

}  // namespace corvane::daq
