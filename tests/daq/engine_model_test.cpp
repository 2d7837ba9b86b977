#include "daq/engine_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "daq/engine_truth.h"

namespace corvane::daq {
namespace {

// Falling edges through the 2 V threshold over one revolution, and the widths
// (in degrees below the threshold) of the holes found.
std::vector<double> HoleWidths(const EngineModel& model) {
    std::vector<double> widths;
    constexpr double step = 0.01;
    double below = 0.0;
    bool inHole = false;
    // Start half-way between the wide hole and its neighbour, outside any hole.
    for (double deg = 11.25; deg < 11.25 + 360.0; deg += step) {
        const bool low = model.TachometerVolts(deg) < 2.0;
        if (low) below += step;
        if (inHole && !low) {
            widths.push_back(below);
            below = 0.0;
        }
        inHole = low;
    }
    return widths;
}

TEST(EngineModel, FlywheelHasSixteenHolesWithTheWideOneAtTheLargestVolume) {
    const EngineModel model{EngineParameters{}};
    const auto widths = HoleWidths(model);
    ASSERT_EQ(widths.size(), 16u);
    const double wide = widths.back();  // the revolution ends with the wide hole
    for (std::size_t i = 0; i + 1 < widths.size(); ++i) {
        EXPECT_NEAR(wide / widths[i], 2.0, 0.3) << "hole " << i + 1;
    }
    EXPECT_LT(model.TachometerVolts(0.0), 0.5) << "in the wide hole";
    EXPECT_NEAR(model.TachometerVolts(11.25), 4.5, 0.01) << "between holes";
    EXPECT_GT(model.CylinderVolumeMm3(0.0), model.CylinderVolumeMm3(1.0));
    EXPECT_GT(model.CylinderVolumeMm3(0.0), model.CylinderVolumeMm3(-1.0));
    EXPECT_NEAR(model.CylinderVolumeMm3(0.0), 71428.18716, 1e-4);
    EXPECT_NEAR(model.CylinderVolumeMm3(180.0), 67754.89173, 1e-4);

    EngineParameters dirty;
    dirty.faults.missedHole = true;
    EXPECT_EQ(HoleWidths(EngineModel(dirty)).size(), 15u);
}

TEST(EngineModel, WorkComesFromTheTemperatureDifference) {
    struct Case {
        double heaterW;
        bool positive;
    };
    double previous = -1.0;
    for (const auto& c : {Case{0.0, false}, Case{2.0, true}, Case{4.0, true}, Case{8.0, true}}) {
        EngineParameters parameters;
        parameters.heaterPowerW = c.heaterW;
        const EngineModel model(parameters);
        const double work = model.WorkPerCycleMicroJ();
        if (c.positive) {
            EXPECT_GT(work, previous) << "more heat, more work: " << c.heaterW << " W";
        } else {
            EXPECT_NEAR(work, 0.0, 1e-6) << "no temperature difference, no net work";
        }
        previous = work;

        // The loop integral of p dV equals minus that of V dp (integration by parts).
        double vdp = 0.0;
        constexpr int steps = 3600;
        for (int i = 0; i < steps; ++i) {
            const double a = 360.0 * i / steps, b = 360.0 * (i + 1) / steps;
            vdp += (model.CylinderVolumeMm3(a) + model.CylinderVolumeMm3(b)) / 2.0 *
                   (model.PressureKPa(b) - model.PressureKPa(a));
        }
        EXPECT_NEAR(work, -vdp, 1e-3 * std::max(1.0, std::abs(work)));
    }
    EngineParameters parameters;
    const EngineModel model(parameters);
    EXPECT_NEAR(model.IndicatedPowerMilliW(), model.WorkPerCycleMicroJ() * 500.0 / 60.0 / 1000.0,
                1e-9);
    // Pressure peaks while the gas expands (270 degrees), not while it is compressed.
    EXPECT_GT(model.PressureKPa(270.0), model.PressureKPa(90.0));
}

TEST(EngineModel, MonitorChannelsFollowTheHeater) {
    const EngineModel healthy{EngineParameters{}};
    EXPECT_NEAR(healthy.ChannelVolts(2, 0.0) * 100.0, 295.0, 1e-9);
    EXPECT_LT(healthy.ChannelVolts(4, 0.0) * 100.0, 370.0);
    const double heater = healthy.ChannelVolts(3, 0.0);
    EXPECT_NEAR(4.0 * heater * heater, 4.0, 1e-9);

    EngineParameters hot;
    hot.faults.tooHot = true;
    EXPECT_GT(EngineModel(hot).ChannelVolts(4, 0.0) * 100.0, 370.0);
    EXPECT_EQ(healthy.ChannelVolts(6, 0.0), 0.0);
}

TEST(EngineModel, SteadyRunningKeepsTheMeanSpeedWithARipple) {
    EngineParameters parameters;
    parameters.rpm = 600.0;
    const EngineModel model(parameters);
    const double revolution = 60.0 / 600.0;
    EXPECT_NEAR(model.SteadyCrankDeg(revolution, 30.0), 390.0, 1e-9);
    EXPECT_NEAR(model.SteadyCrankDeg(5 * revolution, 0.0), 1800.0, 1e-9);
    // Instantaneous speed differs from the mean within a revolution.
    const double dt = 1e-5;
    const double fast = (model.SteadyCrankDeg(dt, 0.0) - model.SteadyCrankDeg(0.0, 0.0)) / dt;
    const double slow = (model.SteadyCrankDeg(revolution / 2 + dt, 0.0) -
                         model.SteadyCrankDeg(revolution / 2, 0.0)) /
                        dt;
    EXPECT_GT(fast, 3600.0 * 1.01);
    EXPECT_LT(slow, 3600.0 * 0.99);

    parameters.faults.stopped = true;
    EXPECT_EQ(EngineModel(parameters).SteadyCrankDeg(0.7, 42.0), 42.0);
}

TEST(EngineModel, DynaRunAcceleratesTowardsTheFreeSpeedWithConsistentTruth) {
    EngineParameters parameters;
    parameters.rpm = 500.0;
    const EngineModel model(parameters);
    const auto truth = DynaTruthOf(model, 4000.0, 10.0);
    ASSERT_EQ(truth.tMs.size(), 400u);
    EXPECT_EQ(truth.rpm.size(), 400u);
    EXPECT_EQ(truth.torqueMilliNm.size(), 400u);
    EXPECT_EQ(truth.powerMilliW.size(), 400u);
    EXPECT_EQ(truth.tMs.back(), 3990.0);
    EXPECT_NEAR(truth.rpm.front(), 200.0, 1e-9);
    for (std::size_t i = 1; i < truth.rpm.size(); ++i) {
        ASSERT_GT(truth.rpm[i], truth.rpm[i - 1]);
        ASSERT_LT(truth.rpm[i], 500.0);
        // Torque is I times the slope of the speed curve.
        const double slope =
            (truth.rpm[i] - truth.rpm[i - 1]) / 60.0 * 2.0 * std::numbers::pi / 0.010;
        const double meanTorque = (truth.torqueMilliNm[i] + truth.torqueMilliNm[i - 1]) / 2.0;
        ASSERT_NEAR(truth.momentOfInertiaGm2 * slope, meanTorque, 1e-3 * meanTorque);
        ASSERT_NEAR(truth.powerMilliW[i],
                    truth.torqueMilliNm[i] * truth.rpm[i] / 60.0 * 2.0 * std::numbers::pi, 1e-9);
    }
    // The crank turns by the integral of the speed.
    const auto& motion = model.Dyna();
    double turned = 0.0;
    for (int i = 0; i < 4000; ++i)
        turned += (motion.Omega(i / 1000.0) + motion.Omega((i + 1) / 1000.0)) / 2000.0;
    EXPECT_NEAR(motion.Turned(4.0), turned, 1e-6 * turned);
    // Flywheel disks add up to the model's moment of inertia.
    double sum = 0.0;
    for (const auto& disk : model.Disks())
        sum += 0.5 * disk.massG * std::pow(disk.diameterMm / 2000.0, 2);
    EXPECT_NEAR(sum, model.MomentOfInertiaGm2(), 1e-12);
}

// A dirty sensor misses the fifth small hole after the wide one, always the
// same, so a simulated capture with the fault is the same capture every time;
// its neighbours and the wide hole are still seen.
TEST(EngineModel, ADirtySensorMissesTheFifthSmallHoleOnly) {
    EngineParameters dirty;
    dirty.faults.missedHole = true;
    const EngineModel healthyModel{EngineParameters{}}, dirtyModel{dirty};
    struct Case {
        double deg;
        bool dirtySeesIt;
    } cases[] = {{0.0, true}, {90.0, true}, {112.5, false}, {135.0, true}, {337.5, true}};
    for (const Case& c : cases) {
        EXPECT_LT(healthyModel.TachometerVolts(c.deg), 0.5) << c.deg << " deg";
        EXPECT_EQ(dirtyModel.TachometerVolts(c.deg) < 0.5, c.dirtySeesIt) << c.deg << " deg";
    }
}

// A dyna run starts at 0.4 of the free-running speed, where the friction that
// holds that speed takes 0.4 of the torque the load leaves: the flywheel is
// driven by the remaining 0.6 of (engine torque - load). A load above 0.9 of
// the engine's torque is held there, so that the run still reaches its speed.
TEST(EngineModel, ADynaStartsWithSixTenthsOfTheTorqueTheLoadLeaves) {
    for (const double loadMilliNm : {0.0, 1.0, 2.5, 100.0}) {
        EngineParameters parameters;
        parameters.loadMilliNm = loadMilliNm;
        const EngineModel model(parameters);
        const double engineMilliNm = model.WorkPerCycleMicroJ() / 1000.0 / (2.0 * std::numbers::pi);
        ASSERT_GT(engineMilliNm, 2.5 / 0.9) << "the loads below the cap are below the engine's";
        const double load = std::min(loadMilliNm, 0.9 * engineMilliNm);
        const auto truth = DynaTruthOf(model, 10.0, 10.0);
        EXPECT_NEAR(truth.torqueMilliNm.front(), 0.6 * (engineMilliNm - load), 1e-9)
            << loadMilliNm << " mN m";
    }
}

// The tachometer reads 0.1 V in a hole and 4.5 V between holes; where half of
// the 3-degree light spot is over a hole (its edge) it reads half-way, 2.3 V.
// Small holes are 10 degrees wide, the wide one 20.
TEST(EngineModel, TheTachometerReadsHalfWayAtTheEdgeOfAHole) {
    const EngineModel model{EngineParameters{}};
    const struct {
        double deg;
        double volts;
    } cases[] = {
        {22.5, 0.1}, {27.5, 2.3}, {17.5, 2.3}, {33.75, 4.5}, {0.0, 0.1}, {10.0, 2.3}, {350.0, 2.3},
    };
    for (const auto& c : cases) EXPECT_NEAR(model.TachometerVolts(c.deg), c.volts, 1e-12) << c.deg;
}

}  // namespace
}  // namespace corvane::daq
