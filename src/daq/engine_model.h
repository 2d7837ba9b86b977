#pragma once
// The physical model behind the simulated board: a small heat engine with a
// displacer leading the power piston by 90 degrees (isothermal Schmidt model),
// a flywheel with sixteen holes read by an optical tachometer, a heater and two
// temperature sensors. Everything here is deterministic; the noise and the
// timing of the board are added by the scan.

#include <limits>
#include <vector>

#include "daq/engine_parameters.h"

namespace corvane::daq {

struct FlywheelDisk {
    double massG = 0.0;
    double diameterMm = 0.0;
    double MomentOfInertiaGm2() const;  // half the mass times the radius squared
};

// How fast the crank turns during a dyna run: starting at a low speed, the
// flywheel is driven by the engine's mean torque against friction
// (constant plus speed-proportional), approaching the free-running speed.
struct DynaMotion {
    double startOmega = 0.0;    // rad/s at t = 0
    double freeOmega = 0.0;     // rad/s approached as t grows
    double timeConstant = 1.0;  // s; 0 when nothing drives it: the speed stays
    // A coast-down's flywheel stands still from here on (s).
    double stopTime = std::numeric_limits<double>::infinity();
    double Omega(double t) const;
    double Acceleration(double t) const;  // rad/s^2
    double Turned(double t) const;        // radians turned since t = 0
};

// The friction the flywheel turns against: a + b w (w in rad/s), the load
// included; the truth a coast-down is checked against.
struct FrictionTruth {
    double aMilliNm = 0.0;
    double bMilliNmPerRadS = 0.0;
    double BMilliNmPerKrpm() const;  // b per 1000 rpm
};

// The flywheel slowing from startOmega (rad/s) with nothing driving it:
// I dw/dt = -(a + b w), an exponential toward -a/b, standing still once it
// reaches zero. Without a speed-dependent part (b = 0) the speed stays.
DynaMotion CoastDownMotion(const FrictionTruth& friction, double inertiaKgM2, double startOmega);

class EngineModel {
public:
    explicit EngineModel(const EngineParameters& parameters);
    // The engine at a moment of a run, its hot end at highTemperatureK
    // (warming up or drifting) instead of the heater's steady temperature.
    EngineModel(const EngineParameters& parameters, double highTemperatureK);

    const EngineParameters& Parameters() const { return parameters_; }

    // Engine monitor quantities.
    double LowTemperatureK() const;
    double HighTemperatureK() const;
    double HeaterPowerW() const;

    // Cycle: crank angle in degrees, 0 at the wide hole where the volume is largest.
    double CylinderVolumeMm3(double crankDeg) const;
    double PressureKPa(double crankDeg) const;  // absolute gas pressure
    double WorkPerCycleMicroJ() const;          // loop integral of p dV
    double IndicatedPowerMilliW() const;        // at the steady speed

    // Crank angle of steady running t seconds after a crank angle of startDeg,
    // with the small speed ripple the power stroke causes within each revolution.
    double SteadyCrankDeg(double t, double startDeg) const;
    // Crank angle of a dyna run t seconds after it started at startDeg.
    double DynaCrankDeg(double t, double startDeg) const;
    const DynaMotion& Dyna() const { return dyna_; }
    // Nothing (zeros) when the engine cannot turn on its own.
    const FrictionTruth& Friction() const { return friction_; }
    // The crank angle for an angle turned at a smooth speed, with the ripple.
    double RippledCrankDeg(double smoothDeg) const;

    // Flywheel: the disks the user would enter in the disk table.
    std::vector<FlywheelDisk> Disks() const;
    double MomentOfInertiaGm2() const;

    // Noise-free channel voltages at a crank angle (channels 0..4; others 0 V).
    double ChannelVolts(int channel, double crankDeg) const;
    double TachometerVolts(double crankDeg) const;
    double PressureTransducerVolts(double crankDeg) const;
    // The transducer's drift t seconds into a block scan, volts.
    double TransducerDriftVolts(double t) const;
    double PressureSwingKPa() const { return pressureSwingKPa_; }  // highest less lowest

private:
    void Build(double highTemperatureK, int workSteps);
    void BuildDyna();
    void CoastDown(double inertiaKgM2);
    double RippledAngle(double smoothRad) const;
    double VolumeAmplitudeMm3() const;

    EngineParameters parameters_;
    double highTemperatureK_ = 0.0;
    double heaterPowerW_ = 0.0;
    double gasConstant_ = 0.0;  // m R of the charge, kPa mm^3 / K
    double workMicroJ_ = 0.0;
    double pressureSwingKPa_ = 0.0;
    DynaMotion dyna_;
    FrictionTruth friction_;
};

}  // namespace corvane::daq
