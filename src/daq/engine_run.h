#pragma once
// The simulated engine over a whole run: the hot end warming up toward the
// heater's steady temperature with a time constant of minutes, the speed
// following the torque the engine has to spare against its load (with the
// flywheel's lag), the heater and load steps of the run and a slow drift,
// and a coast-down: the engine giving no work and the flywheel slowing
// against its friction, a + b w, smoothly within each second.
// The state is held for a second at a time; the same parameters always give
// the same run. Its truth (speed and loop work against time) is what a
// recording of the run is checked against.

#include <ostream>
#include <vector>

#include "daq/engine_model.h"
#include "daq/engine_parameters.h"

namespace corvane::daq {

struct RunState {
    double timeS = 0.0;  // the state holds from here for kRunStepS
    double heaterPowerW = 0.0;
    double loadMilliNm = 0.0;
    double highTemperatureK = 0.0;
    double rpm = 0.0;
    double workMicroJ = 0.0;  // loop integral of p dV per cycle
};

inline constexpr double kRunStepS = 1.0;

class EngineRun {
public:
    explicit EngineRun(const EngineParameters& parameters);

    const RunState& State() const { return state_; }
    // The engine as it runs during the current state: its pressure, its
    // channels (its speed is State().rpm).
    const EngineModel& Model() const { return model_; }
    // The speed t seconds into the run, within the current state's second:
    // the state's speed, or the speed slowing during a coast-down.
    double RpmAt(double t) const;
    // The friction the flywheel turns against now (the load is its constant
    // part); the truth a coast-down is checked against. Zeros when the engine
    // cannot turn on its own.
    FrictionTruth Friction() const;
    bool CoastingDown() const { return coasting_; }
    // On to the next second of the run.
    void Advance();

private:
    EngineParameters Settled(double heaterPowerW, double loadMilliNm) const;
    void TakeSteps(double t);
    double SettledRpm(double workMicroJ, double loadMilliNm) const;
    void Take(double t, double rpm);

    EngineParameters parameters_;
    double referenceTorqueNm_ = 0.0;  // to spare against the load at the configured speed
    double referenceWorkMicroJ_ = 0.0;
    double flywheelLagS_ = 0.0;
    double targetHighK_ = 0.0;  // where the heater drives the hot end
    double laggedHighK_ = 0.0;  // the hot end without the drift
    std::size_t nextStep_ = 0;
    double frictionBMilliNmPerRadS_ = 0.0;  // the engine model's, for the whole run
    bool coasting_ = false;
    DynaMotion coast_;  // from the current state's start, while coasting
    RunState state_;
    EngineModel model_;
};

// The run settings with every value outside its sensible range (or not a
// number) replaced by its default, steps out of range left out, the rest in
// time order.
EngineRunSettings CheckedRun(const EngineRunSettings& run);

// One row of the run's truth per second.
struct RunTruthRow {
    double timeS = 0.0;
    double rpm = 0.0;
    double workMilliJ = 0.0;
};

// The truth of the first seconds of the run the parameters describe.
std::vector<RunTruthRow> RunTruthOf(const EngineParameters& parameters, double seconds);
// As a CSV file: the header time_s,rpm,work_mj and a line per row, point decimal.
void WriteRunTruthCsv(std::ostream& out, const std::vector<RunTruthRow>& rows);

}  // namespace corvane::daq
