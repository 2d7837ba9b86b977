#include "charts/chart_data.h"

#include <qcustomplot.h>

#include <algorithm>

#include "charts/chart_stack.h"

namespace corvane::charts {

namespace {

void SetPoints(QCPGraph* graph, std::vector<analysis::Point> points) {
    // Every series keeps its points in ascending x; equal x keep their order.
    std::stable_sort(points.begin(), points.end(),
                     [](const analysis::Point& a, const analysis::Point& b) { return a.x < b.x; });
    QVector<double> keys(static_cast<qsizetype>(points.size()));
    QVector<double> values(static_cast<qsizetype>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        keys[static_cast<qsizetype>(i)] = points[i].x;
        values[static_cast<qsizetype>(i)] = points[i].y;
    }
    graph->setData(keys, values, true);
}

// Adds points in ascending x to a graph in one pass: each goes after every
// point of the graph at the same x or before, where adding them one at a time
// after their equals put them.
void MergePoints(QCPGraph* graph, const std::vector<analysis::Point>& added) {
    if (added.empty()) return;
    const auto data = graph->data();
    QVector<QCPGraphData> merged;
    merged.reserve(data->size() + static_cast<qsizetype>(added.size()));
    auto old = data->constBegin();
    for (const analysis::Point& p : added) {
        while (old != data->constEnd() && !(p.x < old->key)) merged.push_back(*old++);
        merged.push_back(QCPGraphData(p.x, p.y));
    }
    while (old != data->constEnd()) merged.push_back(*old++);
    data->set(merged, true);
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

void FillChart(QCustomPlot& plot, int index, const analysis::AnalysisResult& result,
               SpeedPoints speed) {
    switch (index) {
        case kChart1:
            SetIndexed(plot.graph(kSeries1), result.series1);
            break;
        case kChart2:
            SetPoints(plot.graph(kSeries2), result.series2);
            SetPoints(plot.graph(kSeries4), result.series4);
            SetPoints(plot.graph(kSeries5), result.series5);
            break;
        case kChart3:
            SetPoints(plot.graph(kSeries3), result.series3);
            break;
        case kChart4:
            if (speed == SpeedPoints::Merge) {
                MergePoints(plot.graph(kRpmDataSeries), result.rpmPoints);
            } else {
                SetPoints(plot.graph(kRpmDataSeries), result.rpmPoints);
            }
            break;
        case kChart5:
            SetPoints(plot.graph(kPowerSeries), result.powerSeries);
            SetPoints(plot.graph(kTorqueSeries), result.torqueSeries);
            SetPoints(plot.graph(kSmoothedPowerSeries), result.smoothedPowerSeries);
            SetPoints(plot.graph(kSmoothedTorqueSeries), result.smoothedTorqueSeries);
            break;
        default:
            break;
    }
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
