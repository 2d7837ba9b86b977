// The simulated engine's coast-down: the flywheel slowing against the same
// friction that sets its free-running speed, and stopping where it runs out.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "daq/engine_model.h"

namespace corvane::daq {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(CoastDown, SlowsAgainstItsFrictionAndStops) {
    for (const double load : {0.0, 1.0, 2.5}) {
        EngineParameters parameters;
        parameters.rpm = 600;
        parameters.loadMilliNm = load;
        const EngineModel running(parameters);
        parameters.coastDown = true;
        const EngineModel coasting(parameters);
        const FrictionTruth& f = coasting.Friction();
        // The same friction as the engine running: at its free-running speed
        // the friction takes exactly the engine's torque.
        EXPECT_EQ(f.aMilliNm, running.Friction().aMilliNm);
        EXPECT_EQ(f.bMilliNmPerRadS, running.Friction().bMilliNmPerRadS);
        EXPECT_DOUBLE_EQ(f.aMilliNm, load);
        const double omega0 = 600 * 2 * kPi / 60;
        EXPECT_NEAR(f.aMilliNm + f.bMilliNmPerRadS * omega0,
                    running.WorkPerCycleMicroJ() / (2 * kPi * 1000), 1e-9);
        EXPECT_NEAR(f.BMilliNmPerKrpm(), f.bMilliNmPerRadS * 1000 * 2 * kPi / 60, 1e-12);

        const DynaMotion& m = coasting.Dyna();
        const double inertia = coasting.MomentOfInertiaGm2();
        EXPECT_DOUBLE_EQ(m.Omega(0), omega0);
        for (const double t : {0.0, 1.0, 2.5}) {
            if (t >= m.stopTime) continue;
            // I dw/dt = -(a + b w): g m^2 x rad/s^2 is mN m.
            EXPECT_NEAR(inertia * m.Acceleration(t), -(f.aMilliNm + f.bMilliNmPerRadS * m.Omega(t)),
                        1e-9)
                << load << " at " << t;
        }
        if (load == 0.0) {
            EXPECT_TRUE(std::isinf(m.stopTime));
            continue;
        }
        EXPECT_NEAR(m.Omega(m.stopTime * (1 - 1e-12)), 0.0, 1e-6) << load;
        const double after = m.stopTime + 1;
        EXPECT_EQ(m.Omega(after), 0.0);
        EXPECT_EQ(m.Acceleration(after), 0.0);
        EXPECT_EQ(m.Turned(after), m.Turned(m.stopTime));
    }
}

// A running engine's dyna is as it was: no stop, the coast-down's friction unused.
TEST(CoastDown, RunningDynaUnchanged) {
    const EngineModel model{EngineParameters{}};
    EXPECT_TRUE(std::isinf(model.Dyna().stopTime));
    EXPECT_NEAR(model.Dyna().startOmega, 0.4 * model.Dyna().freeOmega, 1e-12);
    EngineParameters stopped;
    stopped.faults.stopped = true;
    EXPECT_EQ(EngineModel(stopped).Friction().bMilliNmPerRadS, 0.0);
}

}  // namespace
}  // namespace corvane::daq
