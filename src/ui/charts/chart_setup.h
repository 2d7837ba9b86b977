#pragma once
// The look of the five graphs: titles, axis titles, series kinds, colours,
// widths and pens, and the "SIMULATED" mark.

#include <array>

class QCPItemText;

namespace corvane::ui {

class GraphPlot;

// Gives graph `index` (0 = Chart1 .. 4 = Chart5) its title, axes and series, in
// the order of SeriesIndex; returns its (hidden) "SIMULATED" mark.
QCPItemText* SetUpChart(GraphPlot& plot, int index);

}  // namespace corvane::ui
