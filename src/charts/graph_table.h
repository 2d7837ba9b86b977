#pragma once
// The five graphs of the main window in one table: their check boxes, keys in
// the settings file, titles, axes and series, designed state, the arrangements
// a Grab and a Dyna switch to, how each is filled, cleared and laid out.
// Everything that lists the graphs loops over this table: a graph is a row
// here and its fill function (chart_data.h).

#include <QRgb>
#include <array>
#include <span>
#include <string_view>

#include "charts/chart_data.h"

namespace corvane::charts {

// The graphs by their place in the stack and in kGraphs.
enum ChartIndex { kChart1 = 0, kChart2, kChart3, kChart4, kChart5, kChartCount };

enum class SeriesKind { Line, Squares };

struct SeriesLook {
    SeriesKind kind;
    QRgb colour;
    double width;  // the pen's width, or the side of a square marker
    bool dotted = false;
    bool rightAxis = false;
    const char* name = "";  // the series' name in the lab's documents
};

// Which preparation empties a graph's series: every one that clears the traces
// (a Grab outside continuous mode, a Dyna), or only a Dyna's, which clears all.
enum class ClearedWith { Traces, AllSeries };

// How the stack gives a visible graph its height: the share every visible graph
// gets, or all the room the graphs above it leave (the last graph only).
enum class GraphHeight { Share, Rest };

using FillFunction = void (*)(QCustomPlot& plot, const ChartInput& input);

struct GraphEntry {
    const char* chartName;     // the graph's object name
    const char* checkBoxName;  // the check box in "Enable Graphs"
    const char* caption;       // the check box's caption
    const char* settingsKey;   // its key in the settings file's [Graphs]
    const char* title;
    const char* horizontalTitle;
    bool timeAxis;  // the horizontal axis is time: plot areas line up
    int designHeight;
    bool designVisible;
    bool grabVisible;  // after PrepareGrab
    bool dynaVisible;  // after PrepareDyna
    std::span<const SeriesLook> series;
    FillFunction fill;
    ClearedWith cleared;
    GraphHeight height = GraphHeight::Share;
    const char* leftTitle = "";  // "" for none
    QRgb leftTitleColour = qRgb(0, 0, 0);
    const char* rightTitle = "";  // "" for no right axis; its labels are grouped by thousands
    QRgb rightTitleColour = qRgb(0, 0, 0);
};

namespace graph_series {
inline constexpr QRgb kRed = qRgb(255, 0, 0);
inline constexpr QRgb kBlack = qRgb(0, 0, 0);
inline constexpr QRgb kGreen = qRgb(0, 128, 0);
inline constexpr QRgb kGrey = qRgb(128, 128, 128);
inline constexpr QRgb kBlue = qRgb(0, 0, 255);

// Each graph's series in the order they are added to it (SeriesId::index).
inline constexpr SeriesLook kPressure[] = {{SeriesKind::Line, kRed, 1.0, false, false, "Series1"}};
inline constexpr SeriesLook kTachometer[] = {
    {SeriesKind::Line, kBlack, 1.0, false, false, "Series2"},
    {SeriesKind::Squares, kGreen, 5.0, false, false, "Series4"},  // flywheel holes
    {SeriesKind::Line, kRed, 1.0, false, false, "Series5"},       // wide holes
};
inline constexpr SeriesLook kPressureVolume[] = {
    {SeriesKind::Squares, kRed, 4.0, false, false, "Series3"}};
inline constexpr SeriesLook kSpeed[] = {
    {SeriesKind::Line, kGrey, 1.0, false, false, "RPMDataSeries"}};
inline constexpr SeriesLook kPowerTorque[] = {
    {SeriesKind::Line, kBlue, 1.0, true, false, "PowerSeries"},
    {SeriesKind::Line, kRed, 1.0, true, true, "TorqueSeries"},
    {SeriesKind::Line, kBlue, 3.0, false, false, "SmoothedPowerSeries"},
    {SeriesKind::Line, kRed, 3.0, false, true, "SmoothedTorqueSeries"},
};
}  // namespace graph_series

inline constexpr const char* kTimeTitle = "Time (milliseconds)";

inline constexpr std::array<GraphEntry, kChartCount> kGraphs{{
    {.chartName = "Chart1",
     .checkBoxName = "PressureCB",
     .caption = "Pressure",
     .settingsKey = "Pressure",
     .title = "Pressure (kPa)",
     .horizontalTitle = kTimeTitle,
     .timeAxis = true,
     .designHeight = 128,
     .designVisible = true,
     .grabVisible = true,
     .dynaVisible = false,
     .series = graph_series::kPressure,
     .fill = FillPressure,
     .cleared = ClearedWith::Traces},
    {.chartName = "Chart2",
     .checkBoxName = "TachCB",
     .caption = "Tach",
     .settingsKey = "Tach",
     .title = "Tachometer",
     .horizontalTitle = kTimeTitle,
     .timeAxis = true,
     .designHeight = 136,
     .designVisible = true,
     .grabVisible = true,
     .dynaVisible = true,
     .series = graph_series::kTachometer,
     .fill = FillTachometer,
     .cleared = ClearedWith::Traces},
    {.chartName = "Chart3",
     .checkBoxName = "PVCB",
     .caption = "P/V",
     .settingsKey = "PV",
     .title = "Pressure vs Volume",
     .horizontalTitle = "Volume (cu mm)",
     .timeAxis = false,
     .designHeight = 104,
     .designVisible = true,
     .grabVisible = true,
     .dynaVisible = false,
     .series = graph_series::kPressureVolume,
     .fill = FillPressureVolume,
     .cleared = ClearedWith::Traces,
     .leftTitle = "Pressure (kPa)"},
    {.chartName = "Chart4",
     .checkBoxName = "RPMCB",
     .caption = "RPM",
     .settingsKey = "RPM",
     .title = "Instantaneous RPM (Angular Velocity)",
     .horizontalTitle = kTimeTitle,
     .timeAxis = true,
     .designHeight = 130,
     .designVisible = false,
     .grabVisible = false,
     .dynaVisible = true,
     .series = graph_series::kSpeed,
     .fill = FillSpeed,
     .cleared = ClearedWith::AllSeries},
    {.chartName = "Chart5",
     .checkBoxName = "PowerCB",
     .caption = "Power",
     .settingsKey = "Power",
     .title = "Power and Torque Data",
     .horizontalTitle = kTimeTitle,
     .timeAxis = true,
     .designHeight = 390,
     .designVisible = false,
     .grabVisible = false,
     .dynaVisible = true,
     .series = graph_series::kPowerTorque,
     .fill = FillPowerTorque,
     .cleared = ClearedWith::AllSeries,
     .height = GraphHeight::Rest,
     .leftTitle = "Power (milli watts)",
     .leftTitleColour = graph_series::kBlue,
     .rightTitle = "Torque (milli Nm)",
     .rightTitleColour = graph_series::kRed},
}};

// A series by its graph and its place among that graph's series.
struct SeriesId {
    ChartIndex chart;
    int index;
};

// The series' name in its graph's row: what ties an id to its graph.
constexpr std::string_view SeriesName(SeriesId id) {
    return kGraphs[static_cast<std::size_t>(id.chart)]
        .series[static_cast<std::size_t>(id.index)]
        .name;
}

namespace series {
inline constexpr SeriesId kPressure{kChart1, 0};
inline constexpr SeriesId kTachometer{kChart2, 0};
inline constexpr SeriesId kHoleMarks{kChart2, 1};
inline constexpr SeriesId kWideHoles{kChart2, 2};
inline constexpr SeriesId kPvPoints{kChart3, 0};
inline constexpr SeriesId kSpeedPoints{kChart4, 0};
inline constexpr SeriesId kPower{kChart5, 0};
inline constexpr SeriesId kTorque{kChart5, 1};
inline constexpr SeriesId kSmoothedPower{kChart5, 2};
inline constexpr SeriesId kSmoothedTorque{kChart5, 3};

static_assert(SeriesName(kPressure) == "Series1" && SeriesName(kTachometer) == "Series2" &&
              SeriesName(kHoleMarks) == "Series4" && SeriesName(kWideHoles) == "Series5" &&
              SeriesName(kPvPoints) == "Series3" && SeriesName(kSpeedPoints) == "RPMDataSeries" &&
              SeriesName(kPower) == "PowerSeries" && SeriesName(kTorque) == "TorqueSeries" &&
              SeriesName(kSmoothedPower) == "SmoothedPowerSeries" &&
              SeriesName(kSmoothedTorque) == "SmoothedTorqueSeries");
}  // namespace series

// Only the last graph may take the room the others leave.
static_assert([] {
    for (std::size_t i = 0; i + 1 < kGraphs.size(); ++i)
        if (kGraphs[i].height == GraphHeight::Rest) return false;
    return true;
}());

// A choice of graphs, in the order of the table.
using GraphChoice = std::array<bool, kGraphs.size()>;

// The graphs whose entry says yes in the given column.
constexpr GraphChoice GraphsWhere(bool GraphEntry::*shown) {
    GraphChoice choice{};
    for (std::size_t i = 0; i < kGraphs.size(); ++i) choice[i] = kGraphs[i].*shown;
    return choice;
}

constexpr GraphChoice DesignedGraphs() { return GraphsWhere(&GraphEntry::designVisible); }

}  // namespace corvane::charts
