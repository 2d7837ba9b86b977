#include "charts/chart_data.h"

#include <qcustomplot.h>

#include <algorithm>

#include "charts/graph_table.h"

namespace corvane::charts {

namespace {

QCPGraph* Graph(QCustomPlot& plot, SeriesId id) { return plot.graph(id.index); }

// Points already in ascending x, equal x in their order.
void SetSortedPoints(QCPGraph* graph, const std::vector<analysis::Point>& points) {
    QVector<double> keys(static_cast<qsizetype>(points.size()));
    QVector<double> values(static_cast<qsizetype>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        keys[static_cast<qsizetype>(i)] = points[i].x;
        values[static_cast<qsizetype>(i)] = points[i].y;
    }
    graph->setData(keys, values, true);
}

void SetPoints(QCPGraph* graph, std::vector<analysis::Point> points) {
    // Every series keeps its points in ascending x; equal x keep their order.
    std::stable_sort(points.begin(), points.end(),
                     [](const analysis::Point& a, const analysis::Point& b) { return a.x < b.x; });
    SetSortedPoints(graph, points);
}

void SetIndexed(QCPGraph* graph, const std::vector<double>& ys) {
    QVector<double> keys(static_cast<qsizetype>(ys.size()));
    QVector<double> values(static_cast<qsizetype>(ys.size()));
    for (std::size_t i = 0; i < ys.size(); ++i) {
        keys[static_cast<qsizetype>(i)] = static_cast<double>(i);
        values[static_cast<qsizetype>(i)] = ys[i];
    }
    graph->setData(keys, values, true);
}

}  // namespace

void FillPressure(QCustomPlot& plot, const ChartInput& input) {
    SetIndexed(Graph(plot, series::kPressure), input.result.series1);
}

void FillTachometer(QCustomPlot& plot, const ChartInput& input) {
    SetPoints(Graph(plot, series::kTachometer), input.result.series2);
    SetPoints(Graph(plot, series::kHoleMarks), input.result.series4);
    SetPoints(Graph(plot, series::kWideHoles), input.result.series5);
}

void FillPressureVolume(QCustomPlot& plot, const ChartInput& input) {
    SetPoints(Graph(plot, series::kPvPoints), input.result.series3);
}

void FillSpeed(QCustomPlot& plot, const ChartInput& input) {
    SetSortedPoints(Graph(plot, series::kSpeedPoints), input.speed.points());
}

void FillPowerTorque(QCustomPlot& plot, const ChartInput& input) {
    const analysis::AnalysisResult& result = input.result;
    if (!BringsPowerCurves(result)) return;
    SetPoints(Graph(plot, series::kPower), result.powerSeries);
    SetPoints(Graph(plot, series::kTorque), result.torqueSeries);
    SetPoints(Graph(plot, series::kSmoothedPower), result.smoothedPowerSeries);
    SetPoints(Graph(plot, series::kSmoothedTorque), result.smoothedTorqueSeries);
}

void FillChart(QCustomPlot& plot, int index, const ChartInput& input) {
    kGraphs.at(static_cast<std::size_t>(index)).fill(plot, input);
}

std::vector<analysis::Point> AveragedLoopLine(const performance::PerformanceResult& result) {
    std::vector<analysis::Point> line;
    if (result.averagedLoop.empty()) return line;
    line.reserve(result.averagedLoop.size() + 1);
    for (const performance::LoopPoint& p : result.averagedLoop)
        line.push_back({p.volumeMm3, p.pressureKpa});
    line.push_back(line.front());
    return line;
}

bool BringsPowerCurves(const analysis::AnalysisResult& result) {
    return result.powerTorqueComputed || !result.powerSeries.empty() ||
           !result.torqueSeries.empty();
}

}  // namespace corvane::charts
