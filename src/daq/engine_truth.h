#pragma once
// What the simulated engine really did during a capture, for checking an
// analysis against: the numbers an ideal instrument would report.

#include <vector>

#include "daq/engine_model.h"

namespace corvane::daq {

struct GrabTruth {
    double rpm = 0.0;                 // mean speed over a revolution
    double workPerCycleMicroJ = 0.0;  // loop integral of p dV
    double indicatedPowerMilliW = 0.0;
};

// The dyna run sampled every step: speed, net accelerating torque I dw/dt and
// the shaft power that torque gives at that speed.
struct DynaTruth {
    double momentOfInertiaGm2 = 0.0;
    FrictionTruth friction;
    std::vector<double> tMs, rpm, torqueMilliNm, powerMilliW;
};

GrabTruth GrabTruthOf(const EngineModel& model);
// Samples at 0, step, 2 step, ... below durationMs.
DynaTruth DynaTruthOf(const EngineModel& model, double durationMs, double stepMs);

}  // namespace corvane::daq
