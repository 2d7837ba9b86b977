#pragma once
// The five graphs of the main window in one table: their check boxes, keys in
// the settings file, titles, axes and series, designed state, and the
// arrangements a Grab and a Dyna switch to. Everything that lists the graphs
// loops over this table, so a graph is added here.

#include <QRgb>
#include <array>
#include <span>

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
};

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

// In the order of SeriesIndex (chart_stack.h).
inline constexpr SeriesLook kPressure[] = {{SeriesKind::Line, kRed, 1.0}};  // Series1
inline constexpr SeriesLook kTachometer[] = {
    {SeriesKind::Line, kBlack, 1.0},     // Series2
    {SeriesKind::Squares, kGreen, 5.0},  // Series4: flywheel holes
    {SeriesKind::Line, kRed, 1.0},       // Series5: wide holes
};
inline constexpr SeriesLook kPressureVolume[] = {{SeriesKind::Squares, kRed, 4.0}};  // Series3
inline constexpr SeriesLook kSpeed[] = {{SeriesKind::Line, kGrey, 1.0}};  // RPMDataSeries
inline constexpr SeriesLook kPowerTorque[] = {
    {SeriesKind::Line, kBlue, 1.0, true},        // PowerSeries
    {SeriesKind::Line, kRed, 1.0, true, true},   // TorqueSeries
    {SeriesKind::Line, kBlue, 3.0},              // SmoothedPowerSeries
    {SeriesKind::Line, kRed, 3.0, false, true},  // SmoothedTorqueSeries
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
     .series = graph_series::kPressure},
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
     .series = graph_series::kTachometer},
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
     .series = graph_series::kSpeed},
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
     .leftTitle = "Power (milli watts)",
     .leftTitleColour = graph_series::kBlue,
     .rightTitle = "Torque (milli Nm)",
     .rightTitleColour = graph_series::kRed},
}};

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
