#include "daq/engine_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace corvane::daq {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRadPerDeg = kPi / 180.0;

// Cylinder: the volume the analysis computes from bore 15.9 mm and stroke 18.5 mm.
constexpr double kVolumeAmplitudeMm3 = 1836.6477146187074;
constexpr double kMeanVolumeMm3 = 69591.53944470869;
// Displacer: swept between the hot and the cold space, 90 degrees ahead of the piston.
constexpr double kDisplacerSweptMm3 = 40000.0;
constexpr double kRegeneratorMm3 = 5000.0;  // gas space between hot and cold ends
constexpr double kAtmosphereKPa = 101.325;  // the engine is charged with air at rest
constexpr double kTransducerVoltsPerKPa = 0.4;
constexpr int kWorkIntegrationSteps = 7200;
// A run rebuilds the model every second: the periodic trapezoidal sum is as
// exact with far fewer steps.
constexpr int kRunWorkIntegrationSteps = 720;

// Temperatures and heater.
constexpr double kLowTemperatureK = 295.0;
constexpr double kHeaterKelvinPerWatt = 14.0;
constexpr double kRunawayHeaterW = 6.5;  // a heater stuck at this power overheats the engine

// Speed ripple within a revolution (fraction of the mean speed).
constexpr double kSpeedRipple = 0.02;

// Dyna: a run starts at this fraction of the free-running speed.
constexpr double kDynaStartFraction = 0.4;
constexpr double kLoadShareOfTorqueMax = 0.9;

// Flywheel and tachometer.
constexpr int kHoles = 16;
constexpr double kDegPerHole = 360.0 / kHoles;
constexpr double kSmallHoleDeg = 10.0;
constexpr double kWideHoleDeg = 20.0;
constexpr double kBeamDeg = 3.0;  // the light spot's width gives the finite edges
constexpr int kMissedHole = 5;    // the hole a dirty or misaligned sensor fails to see
constexpr double kTachBetweenHolesV = 4.5;
constexpr double kTachInHoleV = 0.1;
constexpr FlywheelDisk kHub{50.0, 40.0};  // crank hub and shaft turning with the flywheel

double Wrap360(double deg) {
    const double wrapped = std::fmod(deg, 360.0);
    return wrapped < 0.0 ? wrapped + 360.0 : wrapped;
}

}  // namespace

double FlywheelDisk::MomentOfInertiaGm2() const {
    const double radiusM = diameterMm / 1000.0 / 2.0;
    return massG * radiusM * radiusM / 2.0;
}

double FrictionTruth::BMilliNmPerKrpm() const { return bMilliNmPerRadS * 1000.0 * 2.0 * kPi / 60.0; }

double DynaMotion::Omega(double t) const {
    if (timeConstant <= 0.0) return startOmega;
    if (t >= stopTime) return 0.0;
    return freeOmega + (startOmega - freeOmega) * std::exp(-t / timeConstant);
}

double DynaMotion::Acceleration(double t) const {
    if (timeConstant <= 0.0 || t >= stopTime) return 0.0;
    return (freeOmega - startOmega) / timeConstant * std::exp(-t / timeConstant);
}

double DynaMotion::Turned(double t) const {
    if (timeConstant <= 0.0) return startOmega * t;
    t = std::min(t, stopTime);
    return freeOmega * t +
           (startOmega - freeOmega) * timeConstant * (1.0 - std::exp(-t / timeConstant));
}

EngineModel::EngineModel(const EngineParameters& parameters) : parameters_(parameters) {
    heaterPowerW_ = parameters_.faults.tooHot ? std::max(parameters_.heaterPowerW, kRunawayHeaterW)
                                              : parameters_.heaterPowerW;
    Build(kLowTemperatureK + kHeaterKelvinPerWatt * heaterPowerW_, kWorkIntegrationSteps);
}

EngineModel::EngineModel(const EngineParameters& parameters, double highTemperatureK)
    : parameters_(parameters) {
    heaterPowerW_ = parameters_.faults.tooHot ? std::max(parameters_.heaterPowerW, kRunawayHeaterW)
                                              : parameters_.heaterPowerW;
    Build(highTemperatureK, kRunWorkIntegrationSteps);
}

void EngineModel::Build(double highTemperatureK, int workSteps) {
    highTemperatureK_ = highTemperatureK;
    // Charged with air at atmospheric pressure, cold, at mid-stroke.
    gasConstant_ = kAtmosphereKPa * kMeanVolumeMm3 / kLowTemperatureK;

    // The loop integral is periodic in the crank angle, so the trapezoidal sum
    // converges very fast; 7200 steps are exact to far below a microjoule.
    double work = 0.0;
    double lowest = PressureKPa(0.0), highest = lowest;
    const double step = 2.0 * kPi / workSteps;
    for (int i = 0; i < workSteps; ++i) {
        const double theta = i * step;
        const double dVdTheta = -VolumeAmplitudeMm3() * std::sin(theta);
        const double pressure = PressureKPa(theta / kRadPerDeg);
        work += pressure * dVdTheta * step;
        lowest = std::min(lowest, pressure);
        highest = std::max(highest, pressure);
    }
    workMicroJ_ = work;
    pressureSwingKPa_ = highest - lowest;

    BuildDyna();
}

// Dyna: I dw/dt = mean engine torque - load - c w, with c chosen so that the
// free-running speed is the configured one. The load and c w are the friction
// a coast-down measures.
void EngineModel::BuildDyna() {
    dyna_.freeOmega = parameters_.faults.stopped ? 0.0 : parameters_.rpm / 60.0 * 2.0 * kPi;
    dyna_.startOmega = kDynaStartFraction * dyna_.freeOmega;
    const double engineTorqueNm = workMicroJ_ * 1e-6 / (2.0 * kPi);
    const double loadNm = std::min(parameters_.loadMilliNm * 1e-3,
                                   kLoadShareOfTorqueMax * std::max(engineTorqueNm, 0.0));
    const double drivingNm = engineTorqueNm - loadNm;
    const double inertiaKgM2 = MomentOfInertiaGm2() * 1e-3;
    dyna_.timeConstant = (drivingNm > 0.0 && dyna_.freeOmega > 0.0)
                             ? inertiaKgM2 * dyna_.freeOmega / drivingNm
                             : 0.0;
    if (dyna_.timeConstant > 0.0) {
        friction_ = {loadNm * 1e3, drivingNm * 1e3 / dyna_.freeOmega};
        if (parameters_.coastDown) CoastDown(inertiaKgM2);
    }
}

// From the steady speed with nothing driving: I dw/dt = -(a + c w), the same
// exponential toward the speed -a/c where friction alone would stop it.
void EngineModel::CoastDown(double inertiaKgM2) {
    dyna_ = CoastDownMotion(friction_, inertiaKgM2, dyna_.freeOmega);
}

DynaMotion CoastDownMotion(const FrictionTruth& friction, double inertiaKgM2, double startOmega) {
    const double a = friction.aMilliNm * 1e-3;
    const double c = friction.bMilliNmPerRadS * 1e-3;
    DynaMotion motion;
    motion.startOmega = startOmega;
    if (!(c > 0.0)) return motion;  // timeConstant 0: nothing slows it
    motion.freeOmega = -a / c;
    motion.timeConstant = inertiaKgM2 / c;
    motion.stopTime = a > 0.0 ? motion.timeConstant * std::log(1.0 + startOmega * c / a)
                              : std::numeric_limits<double>::infinity();
    return motion;
}

double EngineModel::LowTemperatureK() const { return kLowTemperatureK; }
double EngineModel::HighTemperatureK() const { return highTemperatureK_; }
double EngineModel::HeaterPowerW() const { return heaterPowerW_; }

double EngineModel::CylinderVolumeMm3(double crankDeg) const {
    return kMeanVolumeMm3 + VolumeAmplitudeMm3() * std::cos(crankDeg * kRadPerDeg);
}

double EngineModel::VolumeAmplitudeMm3() const {
    return kVolumeAmplitudeMm3 * parameters_.sweptVolumeScale;
}

double EngineModel::PressureKPa(double crankDeg) const {
    const double theta = crankDeg * kRadPerDeg;
    const double volume = CylinderVolumeMm3(crankDeg);
    // The displacer leads by 90 degrees: the hot space is largest at 270 degrees,
    // half-way through the expansion.
    const double hot =
        kDisplacerSweptMm3 / 2.0 * (parameters_.displacerUnhooked ? 1.0 : 1.0 - std::sin(theta));
    const double cold = volume - hot - kRegeneratorMm3;
    const double regeneratorK = (highTemperatureK_ + kLowTemperatureK) / 2.0;
    return gasConstant_ /
           (hot / highTemperatureK_ + kRegeneratorMm3 / regeneratorK + cold / kLowTemperatureK);
}

double EngineModel::WorkPerCycleMicroJ() const { return workMicroJ_; }

double EngineModel::IndicatedPowerMilliW() const {
    if (parameters_.faults.stopped) return 0.0;
    return workMicroJ_ * parameters_.rpm / 60.0 / 1000.0;
}

double EngineModel::RippledAngle(double smoothRad) const {
    // Fastest at the wide hole, just after the expansion has pushed the flywheel.
    return smoothRad + kSpeedRipple * std::sin(smoothRad);
}

double EngineModel::RippledCrankDeg(double smoothDeg) const {
    return RippledAngle(smoothDeg * kRadPerDeg) / kRadPerDeg;
}

double EngineModel::SteadyCrankDeg(double t, double startDeg) const {
    if (parameters_.faults.stopped) return startDeg;
    const double omega = parameters_.rpm / 60.0 * 2.0 * kPi;
    return startDeg + RippledAngle(omega * t) / kRadPerDeg;
}

double EngineModel::DynaCrankDeg(double t, double startDeg) const {
    if (parameters_.faults.stopped) return startDeg;
    return startDeg + RippledAngle(dyna_.Turned(t)) / kRadPerDeg;
}

std::vector<FlywheelDisk> EngineModel::Disks() const {
    return {FlywheelDisk{parameters_.flywheelMassG, parameters_.flywheelDiameterMm}, kHub};
}

double EngineModel::MomentOfInertiaGm2() const {
    double total = 0.0;
    for (const auto& disk : Disks()) total += disk.MomentOfInertiaGm2();
    return total;
}

double EngineModel::ChannelVolts(int channel, double crankDeg) const {
    switch (channel) {
        case 0:
            return PressureTransducerVolts(crankDeg);
        case 1:
            return TachometerVolts(crankDeg);
        case 2:
            return LowTemperatureK() / 100.0;
        case 3:
            return std::sqrt(HeaterPowerW() / 4.0);
        case 4:
            return HighTemperatureK() / 100.0;
        default:
            return 0.0;
    }
}

double EngineModel::PressureTransducerVolts(double crankDeg) const {
    return parameters_.transducerZeroVolts + kTransducerVoltsPerKPa * parameters_.transducerScale *
                                                 (PressureKPa(crankDeg) - kAtmosphereKPa);
}

double EngineModel::TransducerDriftVolts(double t) const {
    return parameters_.transducerDriftPercentPerS / 100.0 * kTransducerVoltsPerKPa *
           parameters_.transducerScale * pressureSwingKPa_ * t;
}

double EngineModel::TachometerVolts(double crankDeg) const {
    const double angle = Wrap360(crankDeg - parameters_.phaseOffsetDeg);
    const int nearest = static_cast<int>(std::lround(angle / kDegPerHole)) % kHoles;
    if (parameters_.faults.missedHole && nearest == kMissedHole) return kTachBetweenHolesV;
    double offset = angle - nearest * kDegPerHole;
    if (offset > 180.0) offset -= 360.0;
    const double halfHole = (nearest == 0 ? kWideHoleDeg : kSmallHoleDeg) / 2.0;
    // Share of the light spot [offset - beam/2, offset + beam/2] over the hole.
    const double lo = std::max(offset - kBeamDeg / 2.0, -halfHole);
    const double hi = std::min(offset + kBeamDeg / 2.0, halfHole);
    const double open = std::clamp((hi - lo) / kBeamDeg, 0.0, 1.0);
    return kTachBetweenHolesV - (kTachBetweenHolesV - kTachInHoleV) * open;
}

}  // namespace corvane::daq
