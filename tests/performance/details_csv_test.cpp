#include "performance/details_csv.h"

#include <gtest/gtest.h>

namespace corvane::performance {
namespace {

PerformanceResult Grab() {
    PerformanceResult r;
    r.status = Status::Evaluated;
    r.summary = CycleSummary{7, 500.04, 29.905, 249.196, 1.2345, 0.4954};
    r.efficiency = {4.0, 6.229875, 15.954415954, 39.04};
    return r;
}

PerformanceResult Dyna() {
    PerformanceResult r;
    r.isDyna = true;
    r.status = Status::Evaluated;
    r.dynaPoints.resize(3);
    r.dyna = DynaSummary{0.135, 412.36, 49.5194, 250.55, 1.8875, 351.3};
    r.efficiency.heaterPowerW = 3.6;
    r.efficiency.carnotPercent = 18.0;
    return r;
}

TEST(DetailsCsv, HeaderAndOneLinePerKindOfCapture) {
    EXPECT_EQ(DetailsHeader(),
              "file,kind,cycles,rpm,work_mj,indicated_power_mw,indicated_power_sd_mw,cov_percent,"
              "heater_power_w,indicated_efficiency_percent,carnot_percent,max_power_mw,"
              "rpm_at_max_power,torque_at_max_power_mnm,work_u_mj,indicated_power_u_mw,rpm_u,"
              "indicated_efficiency_u_percent,carnot_u_percent,max_power_u_mw,"
              "torque_at_max_power_u_mnm,friction_power_mw,shaft_power_mw,"
              "mechanical_efficiency_percent,friction_power_u_mw,shaft_power_u_mw,"
              "mechanical_efficiency_u_percent\r\n");

    const PerformanceResult grab = Grab(), dyna = Dyna();
    PerformanceResult oneCycle = Grab();
    oneCycle.summary->cycles = 1;
    oneCycle.summary->indicatedPowerSdMilliW.reset();
    oneCycle.summary->covPercent.reset();
    PerformanceResult coldHeater = Grab();
    coldHeater.efficiency = {};
    PerformanceResult failed = Grab();
    failed.status = Status::NoCompleteRevolution;
    PerformanceResult negative = Dyna();
    negative.dyna->maxPowerMilliW = -0.004;  // a coasting run rounds to zero without a sign
    negative.dyna->torqueAtMaxPowerMilliNm = -1.256;
    PerformanceResult sureGrab = Grab();
    sureGrab.uncertainty.workMilliJ = UncertainFigure{29.905, 0.3149, {}};
    sureGrab.uncertainty.indicatedPowerMilliW = UncertainFigure{249.196, 2.626, {}};
    sureGrab.uncertainty.rpm = UncertainFigure{500.04, 0.449, {}};
    sureGrab.uncertainty.carnotPercent = UncertainFigure{15.95, 0.4551, {}};
    PerformanceResult sureDyna = Dyna();
    sureDyna.uncertainty.maxPowerMilliW = UncertainFigure{49.52, 1.004, {}};
    sureDyna.uncertainty.torqueAtMaxPowerMilliNm = UncertainFigure{1.89, 0.0351, {}};
    PerformanceResult chained = sureGrab;  // 20 mW of friction at 500 rpm
    chained.energy = EnergyChainOf({0.38197, 0}, 500.04, 249.196, 4.0);
    chained.uncertainty.frictionPowerMilliW = UncertainFigure{20, 1.234, {}};
    chained.uncertainty.shaftPowerMilliW = UncertainFigure{229.2, 2.914, {}};
    chained.uncertainty.mechanicalEfficiencyPercent = UncertainFigure{91.97, 0.506, {}};
    PerformanceResult failedButSure = sureGrab;
    failedButSure.status = Status::HolesMissed;

    const struct {
        const char* name;
        const char* file;
        bool dyna;
        const PerformanceResult* result;
        const char* line;
    } cases[] = {
        {"grab", "run1.CSV", false, &grab,
         "run1.CSV,grab,7,500.0,29.91,249.20,1.23,0.50,4.00,6.23,15.95,,,,,,,,,,,,,,,,\r\n"},
        {"dyna", "accel.CSV", true, &dyna,
         "accel.CSV,dyna,,412.4,,,,,3.60,,18.00,49.52,250.6,1.89,,,,,,,,,,,,,\r\n"},
        {"one cycle has no spread", "one.csv", false, &oneCycle,
         "one.csv,grab,1,500.0,29.91,249.20,,,4.00,6.23,15.95,,,,,,,,,,,,,,,,\r\n"},
        {"no monitor values", "cold.csv", false, &coldHeater,
         "cold.csv,grab,7,500.0,29.91,249.20,1.23,0.50,,,,,,,,,,,,,,,,,,,\r\n"},
        {"not evaluated", "bad.csv", false, &failed, "bad.csv,grab,,,,,,,,,,,,,,,,,,,,,,,,,\r\n"},
        {"no result at all", "gone.csv", true, nullptr,
         "gone.csv,dyna,,,,,,,,,,,,,,,,,,,,,,,,,\r\n"},
        {"negative figures", "down.csv", true, &negative,
         "down.csv,dyna,,412.4,,,,,3.60,,18.00,0.00,250.6,-1.26,,,,,,,,,,,,,\r\n"},
        {"grab with uncertainties", "u.csv", false, &sureGrab,
         "u.csv,grab,7,500.0,29.91,249.20,1.23,0.50,4.00,6.23,15.95,,,,0.31,2.63,0.4,,0.46,,,,,,,,"
         "\r\n"},
        {"dyna with uncertainties", "u.csv", true, &sureDyna,
         "u.csv,dyna,,412.4,,,,,3.60,,18.00,49.52,250.6,1.89,,,,,,1.00,0.04,,,,,,\r\n"},
        {"grab with its energy chain", "e.csv", false, &chained,
         "e.csv,grab,7,500.0,29.91,249.20,1.23,0.50,4.00,6.23,15.95,,,,0.31,2.63,0.4,,0.46,,,"
         "20.00,229.19,91.97,1.23,2.91,0.51\r\n"},
        {"no uncertainty without figures", "u.csv", false, &failedButSure,
         "u.csv,grab,,,,,,,,,,,,,,,,,,,,,,,,,\r\n"},
        {"a comma in the name", "run 1,2.csv", false, &failed,
         "\"run 1,2.csv\",grab,,,,,,,,,,,,,,,,,,,,,,,,,\r\n"},
        {"quotes in the name", "the \"best\".csv", false, &failed,
         "\"the \"\"best\"\".csv\",grab,,,,,,,,,,,,,,,,,,,,,,,,,\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(DetailsLine(c.file, c.dyna, c.result), c.line) << c.name;
}

}  // namespace
}  // namespace corvane::performance
