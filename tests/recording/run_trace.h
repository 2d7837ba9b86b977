#pragma once
// Cycle rows of an engine run as a recording would hold them: each quantity
// follows its own course in time (a warm-up, a ramp, a step) with the
// scatter of real cycles, one row per revolution.

#include <functional>
#include <random>
#include <vector>

#include "recording/cycle_tracker.h"

namespace corvane::testing {

struct RunCourse {
    std::function<double(double)> rpm, powerMilliW, hiTempK;  // of the time in seconds
    double rpmSd = 1.0, powerPercentSd = 1.0, hiTempSd = 0.1;
};

inline std::vector<recording::CycleRow> RunCycles(const RunCourse& course, double seconds,
                                                  unsigned seed = 7) {
    std::mt19937 random(seed);
    std::normal_distribution<double> scatter(0.0, 1.0);
    std::vector<recording::CycleRow> cycles;
    for (double t = 0.0; t < seconds;) {
        if (course.rpm(t) < 30) {  // hardly turning: no cycle is completed
            t += 1.0;
            continue;
        }
        recording::CycleRow row;
        row.timeS = t;
        row.rpm = course.rpm(t) + course.rpmSd * scatter(random);
        row.indicatedPowerMilliW =
            course.powerMilliW(t) * (1 + course.powerPercentSd / 100 * scatter(random));
        row.workMilliJ = row.indicatedPowerMilliW * 60 / row.rpm;
        row.hiTempK = course.hiTempK(t) + course.hiTempSd * scatter(random);
        row.loTempK = 295.0;
        row.heaterPowerW = 4.0;
        cycles.push_back(row);
        t += 60.0 / row.rpm;
    }
    return cycles;
}

}  // namespace corvane::testing
