#include "daq/engine_truth.h"

#include <numbers>

namespace corvane::daq {

GrabTruth GrabTruthOf(const EngineModel& model) {
    GrabTruth truth;
    const bool turning = !model.Parameters().faults.stopped;
    truth.rpm = turning ? model.Parameters().rpm : 0.0;
    truth.workPerCycleMicroJ = model.WorkPerCycleMicroJ();
    truth.indicatedPowerMilliW = model.IndicatedPowerMilliW();
    return truth;
}

DynaTruth DynaTruthOf(const EngineModel& model, double durationMs, double stepMs) {
    DynaTruth truth;
    truth.momentOfInertiaGm2 = model.MomentOfInertiaGm2();
    truth.friction = model.Friction();
    const auto& motion = model.Dyna();
    for (int i = 0; i * stepMs < durationMs; ++i) {
        const double tMs = i * stepMs;
        const double t = tMs / 1000.0;
        const double omega = motion.Omega(t);
        // g m^2 times rad/s^2 is mN m; mN m times rad/s is mW.
        const double torque = truth.momentOfInertiaGm2 * motion.Acceleration(t);
        truth.tMs.push_back(tMs);
        truth.rpm.push_back(omega * 60.0 / (2.0 * std::numbers::pi));
        truth.torqueMilliNm.push_back(torque);
        truth.powerMilliW.push_back(torque * omega);
    }
    return truth;
}

}  // namespace corvane::daq
