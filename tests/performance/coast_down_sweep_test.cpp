// Friction recovered from coast-downs of the simulated engine, against the
// friction the engine was given; the pointwise curve's band over the same runs.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "daq/capture_transaction.h"
#include "daq/engine_model.h"
#include "daq/simulated_board.h"
#include "performance/friction_fit.h"
#include "performance/performance.h"

namespace corvane::performance {
namespace {

analysis::DiskTable DisksOf(const daq::EngineModel& model) {
    analysis::DiskTable table(5);
    const auto disks = model.Disks();
    for (std::size_t row = 0; row < disks.size(); ++row) {
        char mass[32], diameter[32];
        *std::to_chars(mass, mass + 31, disks[row].massG).ptr = '\0';
        *std::to_chars(diameter, diameter + 31, disks[row].diameterMm).ptr = '\0';
        table[row] = {mass, diameter, ""};
    }
    return table;
}

// Speed, load (the constant part) and seed: a and b within 5 % of the truth,
// and the truth within the fit's expanded uncertainty (k = 2) in most runs.
TEST(CoastDownAccuracy, FrictionWithinFivePercent) {
    std::printf(
        "coast-down friction fit\n   rpm  load    a truth   a fit    b truth   b fit"
        "      speeds         u(a)    u(b)\n");
    int runs = 0, aCovered = 0, bCovered = 0;
    const struct {
        double rpm, loadMilliNm;
    } cases[] = {{500, 1.0}, {800, 1.0}, {900, 0.5}, {600, 2.0}, {400, 1.5}};
    for (const auto& c : cases) {
        for (std::uint64_t seed = 1; seed <= 2; ++seed) {
            daq::EngineParameters parameters;
            parameters.rpm = c.rpm;
            parameters.loadMilliNm = c.loadMilliNm;
            parameters.coastDown = true;
            parameters.seed = seed;
            parameters.instantScans = true;
            daq::SimulatedBoard board(parameters);
            auto record = std::make_unique<analysis::CaptureRecord>();
            ASSERT_EQ(daq::TakeCapture(board, analysis::CaptureKind::Dyna, *record), 0);
            const daq::EngineModel model(board.Parameters());
            const PerformanceResult r =
                AnalysePerformance(*record, DisksOf(model), text::PointComma());
            const FrictionFitResult f = FitFriction(r);
            ASSERT_EQ(f.status, FrictionFitStatus::Fitted) << c.rpm << " rpm";
            const daq::FrictionTruth& truth = model.Friction();
            const double a = f.fit->model.aMilliNm, b = f.fit->model.bMilliNmPerKrpm;
            EXPECT_NEAR(a, truth.aMilliNm, 0.05 * truth.aMilliNm) << c.rpm << " rpm " << seed;
            EXPECT_NEAR(b, truth.BMilliNmPerKrpm(), 0.05 * truth.BMilliNmPerKrpm())
                << c.rpm << " rpm " << seed;
            const double aU = f.fit->model.aUMilliNm, bU = f.fit->model.bUMilliNmPerKrpm;
            ++runs;
            aCovered += std::abs(a - truth.aMilliNm) <= 2 * aU;
            bCovered += std::abs(b - truth.BMilliNmPerKrpm()) <= 2 * bU;
            std::printf(
                "  %4.0f  %4.1f  %7.3f  %7.3f  %8.3f  %7.3f  %6.1f..%5.1f rpm  %6.4f  %6.4f\n",
                c.rpm, c.loadMilliNm, truth.aMilliNm, a, truth.BMilliNmPerKrpm(), b, f.fit->rpmFrom,
                f.fit->rpmTo, aU, bU);
        }
    }
    std::printf("truth within 2 u: a %d, b %d of %d runs\n", aCovered, bCovered, runs);
    EXPECT_GE(aCovered, 0.8 * runs);
    EXPECT_GE(bCovered, 0.8 * runs);
}

}  // namespace
}  // namespace corvane::performance
