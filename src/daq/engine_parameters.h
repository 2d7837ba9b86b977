#pragma once
// What the simulated engine is told: its speed, heater, load, noise, faults,
// seed and timing. The defaults are a healthy engine at about 500 rpm.

#include <cstdint>
#include <vector>

namespace corvane::daq {

struct EngineFaults {
    bool unplugged = false;   // the USB cable is out: single reads and scans fail
    bool missedHole = false;  // the sensor does not see one of the small holes
    bool tooHot = false;      // the heater runs away: high temperature above 370 K
    bool stopped = false;     // the crank does not turn
};

// A change the experimenter makes during a run: from atS seconds on, the
// heater and the load take these values.
struct RunStep {
    double atS = 0.0;
    double heaterPowerW = 0.0;
    double loadMilliNm = 0.0;
};

// How the engine behaves over a continuous scan (a recording). Block scans
// (Grab, Dyna) and single readings always see the steady engine.
struct EngineRunSettings {
    bool warmUp = false;         // the heater is switched on as the scan starts, engine cold
    double warmUpMinutes = 4.0;  // time constant of the hot end's temperature
    double driftKPerHour = 0.0;  // slow drift of the hot end (room, mains voltage)
    std::vector<RunStep> steps;  // in time order
    double speedUp = 1.0;        // board seconds per real second
    // The board falls behind once: at overrunAtS (>= 0) of board time the
    // buffer is overrun and overrunS seconds of scans are lost.
    double overrunAtS = -1.0;
    double overrunS = 0.0;
    // A coast-down: from the first second of the run at or after coastDownAtS
    // (>= 0) the engine gives no more work (heater off, displacer unhooked) and
    // the flywheel slows against its friction alone, to a stop. < 0: never.
    double coastDownAtS = -1.0;
};

struct EngineParameters {
    double rpm = 500.0;         // steady speed; the free-running speed a dyna run approaches
    double heaterPowerW = 4.0;  // electrical power in the heater resistor
    double loadMilliNm = 1.0;   // constant friction torque of the bearings and any brake
    double noiseVolts = 0.01;   // standard deviation of the noise on every channel
    double flywheelMassG = 100.0;
    double flywheelDiameterMm = 100.0;
    std::uint64_t seed = 1;     // the same seed gives the same captures
    bool instantScans = false;  // scans return at once instead of taking the real time
    EngineFaults faults;
    EngineRunSettings run;
    // A real bench's imperfections, none by default. The crank angle from
    // maximum volume is the angle the holes give plus the phase offset.
    double phaseOffsetDeg = 0.0;
    double transducerScale = 1.0;      // sensitivity over the nominal 0.4 V per kPa
    double transducerZeroVolts = 0.0;  // output at atmospheric pressure
    // The zero creeping during a block scan: this share of the pressure swing
    // per second, from the scan's start.
    double transducerDriftPercentPerS = 0.0;
    double sweptVolumeScale = 1.0;     // the cylinder's swept volume over the nominal
    // A dyna taken as a coast-down: the engine stops giving work as the capture
    // starts (heater off, displacer unhooked) and the flywheel slows from the
    // steady speed against its friction alone.
    bool coastDown = false;
    // The displacer stands still at mid-stroke: the piston alone compresses
    // and expands the gas, and the loop encloses no work.
    bool displacerUnhooked = false;
};

}  // namespace corvane::daq
