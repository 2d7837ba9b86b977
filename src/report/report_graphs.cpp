#include "report/report_graphs.h"

#include <qcustomplot.h>

#include "charts/chart_data.h"
#include "charts/chart_setup.h"
#include "charts/chart_stack.h"
#include "charts/graph_pictures.h"
#include "charts/graph_plot.h"
#include "charts/graph_table.h"

namespace corvane::report {

namespace {

using charts::GraphPlot;
namespace series = charts::graph_series;

// Each graph's height on the page, and the least it keeps when made smaller to
// share a page: a time graph about as tall as in the window, the others tall enough
// that their curves stay apart.
struct GraphHeight {
    double wanted;
    double least;
};
constexpr GraphHeight kTimeGraph{58.0, 28.0};
constexpr GraphHeight kPvGraph{110.0, 58.0};
constexpr GraphHeight kPowerGraph{80.0, 60.0};
constexpr QRgb kAveragedLoop = qRgb(0, 0, 160);
constexpr double kHairlineMm = 0.1;

QVector<double> Xs(const std::vector<analysis::Point>& points) {
    QVector<double> xs;
    for (const analysis::Point& p : points) xs.append(p.x);
    return xs;
}

QVector<double> Ys(const std::vector<analysis::Point>& points) {
    QVector<double> ys;
    for (const analysis::Point& p : points) ys.append(p.y);
    return ys;
}

// The legend in a row of its own under the graph, where it hides no point.
void LegendBelow(QCustomPlot& plot) {
    plot.legend->setVisible(true);
    plot.legend->setFont(QFont(plot.font().family(), 8));
    plot.legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    plot.legend->setBorderPen(Qt::NoPen);
    plot.axisRect()->insetLayout()->take(plot.legend);
    const int row = plot.plotLayout()->rowCount();
    plot.plotLayout()->addElement(row, 0, plot.legend);
    plot.plotLayout()->setRowStretchFactor(row, 0.001);
}

// Room around the data, so that a mark at the edge of the data shows whole.
void Pad(QCPAxis* axis, double share = 0.04) {
    const QCPRange range = axis->range();
    const double room = range.size() > 0 ? range.size() * share : 1.0;
    axis->setRange(range.lower - room, range.upper + room);
}

QPen Pen(QRgb colour, double width) {
    QPen pen{QColor(colour)};
    pen.setWidthF(width);
    return pen;
}

// What the page says beside a graph's values: the window's graphs name only
// their horizontal axis, their caption the rest.
struct AxisTitle {
    int chart;
    const char* left;
};
constexpr AxisTitle kAxisTitles[] = {
    {charts::kChart1, "Pressure (kPa)"},
    {charts::kChart2, "Signal (V)"},
    {charts::kChart4, "Speed (rpm)"},
};

// The tachometer's pulses lie closer than the screen's pixels across a page:
// every sample is drawn (not thinned to screen columns) with a hairline, so
// that the pulses stay apart at the printer's resolution.
void DrawEverySample(QCustomPlot& plot, QCPGraph& trace) {
    trace.setAdaptiveSampling(false);
    QPen pen = trace.pen();
    // The page's units are the screen's pixels.
    pen.setWidthF(kHairlineMm * charts::ScreenDpi(plot) / 25.4);
    trace.setPen(pen);
}

// One of the window's five graphs, filled with the capture's result.
ReportGraph WindowGraph(int index, const EvaluatedCapture& evaluated, bool simulated,
                        GraphHeight height) {
    auto plot = std::make_unique<GraphPlot>();
    QCPItemText* mark = charts::SetUpChart(*plot, index);
    mark->setVisible(simulated);
    analysis::SpeedHistory speed;  // the capture's own speed points
    speed.replace(evaluated.analysis.rpmPoints);
    charts::FillChart(*plot, index, {evaluated.analysis, speed});
    for (const AxisTitle& title : kAxisTitles)
        if (title.chart == index) plot->yAxis->setLabel(QString::fromLatin1(title.left));
    if (index == charts::kChart2)
        DrawEverySample(*plot, *plot->graph(charts::series::kTachometer.index));
    plot->applyAutomaticScaling();
    return ReportGraph(std::move(plot), height.wanted, height.least);
}

// The PV diagram of the results table's cycle, and over it the loop averaged
// over every cycle of the capture.
ReportGraph PressureVolume(const EvaluatedCapture& evaluated, bool simulated) {
    ReportGraph graph = WindowGraph(charts::kChart3, evaluated, simulated, kPvGraph);
    auto& plot = static_cast<GraphPlot&>(*graph.plot);
    plot.graph(charts::series::kPvPoints.index)
        ->setName(QStringLiteral("cycle of the results table"));
    const std::vector<analysis::Point> points = charts::AveragedLoopLine(evaluated.performance);
    const auto* summary = evaluated.performance.summary ? &*evaluated.performance.summary : nullptr;
    if (!points.empty() && summary) {
        auto* curve = new QCPCurve(plot.xAxis, plot.yAxis);
        curve->setData(Xs(points), Ys(points));
        curve->setPen(Pen(kAveragedLoop, 2.0));
        curve->setName(QStringLiteral("averaged over %1 cycles").arg(summary->cycles));
    }
    LegendBelow(plot);
    plot.applyAutomaticScaling();
    return graph;
}

// Power and torque against speed from the engine-performance evaluation,
// with its highest power marked.
// The power curve's title and axes: speed across, power left, torque right.
void SetUpPowerCurve(QCustomPlot& plot) {
    plot.plotLayout()->insertRow(0);
    plot.plotLayout()->addElement(
        0, 0,
        new QCPTextElement(&plot, QStringLiteral("Power Curve (Engine Performance)"),
                           QFont(plot.font().family(), 9, QFont::Bold)));
    plot.xAxis->setLabel(QStringLiteral("Speed (rpm)"));
    plot.yAxis->setLabel(QStringLiteral("Power (milli watts)"));
    plot.yAxis->setLabelColor(QColor(series::kBlue));
    plot.yAxis2->setVisible(true);
    plot.yAxis2->setTickLabels(true);
    plot.yAxis2->setLabel(QStringLiteral("Torque (milli Nm)"));
    plot.yAxis2->setLabelColor(QColor(series::kRed));
    plot.axisRect()->setMinimumMargins(QMargins(74, 4, 62, 4));
}

ReportGraph PowerCurve(const EvaluatedCapture& evaluated) {
    auto plot = std::make_unique<QCustomPlot>();
    SetUpPowerCurve(*plot);

    std::vector<analysis::Point> power, torque;
    for (const performance::DynaPoint& p : evaluated.performance.dynaPoints) {
        power.push_back({p.rpm, p.powerMilliW});
        torque.push_back({p.rpm, p.torqueMilliNm});
    }
    // In time order: a run whose speed wavers draws its path, not a zigzag.
    auto* powerCurve = new QCPCurve(plot->xAxis, plot->yAxis);
    powerCurve->setData(Xs(power), Ys(power));
    powerCurve->setPen(Pen(series::kBlue, 2.0));
    powerCurve->setName(QStringLiteral("power"));
    auto* torqueCurve = new QCPCurve(plot->xAxis, plot->yAxis2);
    torqueCurve->setData(Xs(torque), Ys(torque));
    torqueCurve->setPen(Pen(series::kRed, 2.0));
    torqueCurve->setName(QStringLiteral("torque"));
    if (evaluated.performance.dyna && !power.empty()) {
        const performance::DynaSummary& d = *evaluated.performance.dyna;
        QCPGraph* top = plot->addGraph(plot->xAxis, plot->yAxis);
        top->setLineStyle(QCPGraph::lsNone);
        top->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::black),
                                             QBrush(QColor(series::kBlue)), 9));
        top->addData(d.rpmAtMaxPower, d.maxPowerMilliW);
        top->setName(QStringLiteral("maximum power"));
    }
    LegendBelow(*plot);
    plot->rescaleAxes();
    for (QCPAxis* axis : {plot->xAxis, plot->yAxis, plot->yAxis2}) Pad(axis);
    return ReportGraph(std::move(plot), kPowerGraph.wanted, kPowerGraph.least);
}

}  // namespace

ReportGraph::ReportGraph(std::unique_ptr<QCustomPlot> graph, double height, double least)
    : plot(std::move(graph)), heightMm(height), leastHeightMm(least) {}
ReportGraph::ReportGraph(ReportGraph&&) noexcept = default;
ReportGraph& ReportGraph::operator=(ReportGraph&&) noexcept = default;
ReportGraph::~ReportGraph() = default;

std::vector<ReportGraph> MakeReportGraphs(const EvaluatedCapture& evaluated, bool simulated) {
    std::vector<ReportGraph> graphs;
    if (evaluated.record->IsDyna) {
        graphs.push_back(WindowGraph(charts::kChart2, evaluated, simulated, kTimeGraph));
        graphs.push_back(WindowGraph(charts::kChart4, evaluated, simulated, kTimeGraph));
        graphs.push_back(WindowGraph(charts::kChart5, evaluated, simulated, kPowerGraph));
        graphs.push_back(PowerCurve(evaluated));
    } else {
        graphs.push_back(WindowGraph(charts::kChart1, evaluated, simulated, kTimeGraph));
        graphs.push_back(WindowGraph(charts::kChart2, evaluated, simulated, kTimeGraph));
        graphs.push_back(PressureVolume(evaluated, simulated));
    }
    return graphs;
}

}  // namespace corvane::report
