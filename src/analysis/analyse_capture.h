#pragma once
// The analysis run after every capture, import and batch file: everything the
// window shows, computed from one capture record.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "text/number_format.h"

namespace corvane::analysis {

struct Point {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct TimeRange {
    double min = 0.0;
    double max = 0.0;
};

// 500 x 500 picture of the measured PV loop; true = white.
struct PvPicture {
    static constexpr int kSize = 500;
    std::vector<std::uint8_t> white = std::vector<std::uint8_t>(kSize * kSize, 1);
    bool at(int x, int y) const { return white[static_cast<std::size_t>(y) * kSize + x] != 0; }
};

struct AnalysisInputs {
    DiskTable disks;                      // MOISG cell texts
    text::NumberFormat format;            // for the table and log texts
    std::optional<TimeRange> speedRange;  // Chart4's range when not automatic
    std::vector<Point> rpmPoints;         // RPMDataSeries before this run (accumulates)
    std::function<void()> processEvents;  // where the window lets pending events run
    // The text window's lines (every hole, search window and crank angle):
    // built only where someone can see them; a headless evaluation does not.
    bool buildLog = true;
};

struct AnalysisResult {
    std::string status;                                 // lError: "", "Only one cycle", ...
    std::array<std::array<std::string, 2>, 8> table{};  // SG[row][col]
    std::vector<double> series1;                        // pressure, x = point number
    std::vector<Point> series2;                         // tachometer
    std::vector<Point> series3;                         // PV points (in the order added)
    std::vector<Point> series4;                         // hole marks
    std::vector<Point> series5;                         // wide-hole spikes
    std::vector<Point> rpmPoints;                       // RPMDataSeries after this run
    std::vector<Point> powerSeries, torqueSeries;
    std::vector<Point> smoothedPowerSeries, smoothedTorqueSeries;
    bool powerTorqueComputed =
        false;                     // ComputePowerTorque ran: its four series replace the graph's
    std::vector<std::string> log;  // Memo1 lines (none unless inputs.buildLog)
    std::optional<PvPicture> pvPicture;  // set when PVLoopWork ran
    long whiteCount = 0;
    double rpm = 0.0;
    double indicatedPowerMicroW = 0.0;
    double averagePower = 0.0;   // mW
    double averageTorque = 0.0;  // mNm
    bool dynaAdvice = false;     // show kDynaAdvice
    std::optional<std::string>
        error;  // a range error ended the analysis here; results so far stand
};

// The advice a dyna analysis gives when both averages come out zero.
inline constexpr const char* kDynaAdvice = "Please consult Help for proper Dynamometer methodology";

AnalysisResult AnalyseCapture(CaptureRecord& record, const AnalysisInputs& inputs);
// The same, taking over the speed graph's points instead of copying them: the
// graph of a long run of grabs holds many, and each grab adds only a few.
AnalysisResult AnalyseCapture(CaptureRecord& record, AnalysisInputs&& inputs);

}  // namespace corvane::analysis
