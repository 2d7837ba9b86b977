#pragma once
// The look of the program's graphs: titles, axis titles, series kinds,
// colours, widths and pens, and the "SIMULATED" mark. The five graphs of the
// main window take theirs from kGraphs; other windows' graphs use the same
// functions, so every graph of the program looks alike.

#include <QRgb>
#include <array>

#include "charts/graph_table.h"

class QCPItemText;

namespace corvane::charts {

class GraphPlot;

// What a graph says about itself: its title line and the titles of its axes.
struct PlotTitles {
    const char* title;
    const char* horizontal;
    const char* left = "";  // "" for none
    QRgb leftColour = qRgb(0, 0, 0);
    const char* right = "";  // "" for no right axis; its labels are grouped by thousands
    QRgb rightColour = qRgb(0, 0, 0);
};

// The title line, axis titles, margins and number locale of every graph.
void SetUpPlotLook(GraphPlot& plot, const PlotTitles& titles);
// Adds one series in the given look, on the left or right axis.
void AddSeries(GraphPlot& plot, const SeriesLook& look);
// The "SIMULATED" mark in the graph's upper right corner, hidden.
QCPItemText* AddSimulatedMark(GraphPlot& plot);

// Gives graph `index` (0 = Chart1 .. 4 = Chart5) its title, axes and series, in
// the order of its row in kGraphs; returns its (hidden) "SIMULATED" mark.
QCPItemText* SetUpChart(GraphPlot& plot, int index);

}  // namespace corvane::charts
