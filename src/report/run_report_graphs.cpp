#include "report/run_report_graphs.h"

#include <qcustomplot.h>

#include "charts/chart_setup.h"
#include "charts/graph_plot.h"
#include "recording/trend_decimation.h"

namespace corvane::report {

namespace {

constexpr double kTrendMm = 46.0;
constexpr double kCurveMm = 80.0;
constexpr double kLoopMm = 72.0;  // two side by side across the page
const QColor kAveragedLoop(0, 0, 160);  // as the capture report's averaged loop
constexpr int kBuckets = 700;  // about one per point across the page
const QColor kMark(0, 90, 200);
const QColor kGap(210, 0, 0);
const QColor kSteady(120, 200, 120, 70);

struct Line {
    const recording::RunTrend* trend;
    const char* name;
    QColor colour;
    bool points = false;     // scattered per cycle rather than a line
    bool rightAxis = false;  // on the axis at the right
};

struct TrendGraph {
    const char* title;
    const char* leftLabel;
    const char* rightLabel;  // nullptr: no axis on the right
    std::vector<Line> lines;
};

std::vector<TrendGraph> TrendGraphs(const recording::RunTrends& t) {
    return {
        {"Speed", "Speed (rpm)", nullptr, {{&t.rpm, "speed", Qt::blue}}},
        {"Indicated power",
         "Power (mW)",
         nullptr,
         {{&t.powerMilliW, "per cycle", QColor(130, 130, 130), true},
          {&t.powerRollingMean, "rolling mean of 50 cycles", Qt::red}}},
        {"Temperatures",
         "Temperature (K)",
         nullptr,
         {{&t.loTempK, "low", Qt::blue}, {&t.hiTempK, "high", Qt::red}}},
        {"Heater power", "Heater (W)", nullptr, {{&t.heaterPowerW, "heater", QColor(200, 120, 0)}}},
        {"Efficiency",
         "Indicated efficiency (%)",
         "Carnot limit (%)",
         {{&t.indicatedEfficiencyPercent, "indicated (left)", Qt::darkGreen},
          {&t.carnotPercent, "Carnot limit (right)", Qt::magenta, false, true}}},
    };
}

void AddLine(QCustomPlot& plot, const Line& line, double toMinutes) {
    const recording::TrendPoints thin =
        recording::Decimate(line.trend->minutes, line.trend->values, 0.0, toMinutes, kBuckets);
    QCPGraph* graph = plot.addGraph(plot.xAxis, line.rightAxis ? plot.yAxis2 : plot.yAxis);
    graph->setData(QVector<double>(thin.t.begin(), thin.t.end()),
                   QVector<double>(thin.value.begin(), thin.value.end()), true);
    graph->setName(line.name);
    graph->setPen(QPen(line.colour, 1.2));
    if (line.points) {
        graph->setLineStyle(QCPGraph::lsNone);
        graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, line.colour, 3.0));
    }
}

// A vertical line across the plot at `minutes`, its text at the top.
void Vertical(QCustomPlot& plot, double minutes, const QString& text, const QColor& colour) {
    auto* line = new QCPItemStraightLine(&plot);
    line->point1->setCoords(minutes, 0);
    line->point2->setCoords(minutes, 1);
    line->setPen(QPen(colour, 1.0, Qt::DashLine));
    auto* label = new QCPItemText(&plot);
    label->position->setTypeX(QCPItemPosition::ptPlotCoords);
    label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    label->position->setCoords(minutes, 0.02);
    label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(text);
    label->setColor(colour);
    label->setFont(QFont(plot.font().family(), 7));
    label->setClipToAxisRect(true);
}

void Shade(QCustomPlot& plot, double fromMinutes, double toMinutes) {
    auto* rect = new QCPItemRect(&plot);
    for (QCPItemPosition* p : {rect->topLeft, rect->bottomRight}) {
        p->setTypeX(QCPItemPosition::ptPlotCoords);
        p->setTypeY(QCPItemPosition::ptAxisRectRatio);
    }
    rect->topLeft->setCoords(fromMinutes, 0);
    rect->bottomRight->setCoords(toMinutes, 1);
    rect->setPen(Qt::NoPen);
    rect->setBrush(kSteady);
    rect->setLayer("background");
}

void MarksAndStretches(QCustomPlot& plot, const recording::RunReport& report) {
    for (const auto& [from, to] : report.steadyMinutes) Shade(plot, from, to);
    for (const recording::Event& mark : report.marks)
        Vertical(plot, mark.timeS / 60, QString::fromStdString(mark.text), kMark);
    for (const recording::Event& gap : report.gaps) Vertical(plot, gap.timeS / 60, "gap", kGap);
}

void Axes(QCustomPlot& plot, const TrendGraph& trend, double toMinutes) {
    plot.plotLayout()->insertRow(0);
    plot.plotLayout()->addElement(
        0, 0, new QCPTextElement(&plot, trend.title, QFont(plot.font().family(), 9, QFont::Bold)));
    plot.xAxis->setLabel("Time (min)");
    plot.yAxis->setLabel(trend.leftLabel);
    plot.rescaleAxes();
    plot.xAxis->setRange(0, std::max(toMinutes, 1.0 / 60));
    if (trend.rightLabel) {
        plot.yAxis2->setVisible(true);
        plot.yAxis2->setTickLabels(true);
        plot.yAxis2->setLabel(trend.rightLabel);
    }
    for (QCPAxis* axis : {plot.yAxis, plot.yAxis2}) {
        const QCPRange r = axis->range();
        const double room = r.size() > 0 ? r.size() * 0.08 : std::max(std::abs(r.center()) * 0.05, 1.0);
        axis->setRange(r.lower - room, r.upper + room);
    }
    plot.legend->setVisible(trend.lines.size() > 1);
    plot.legend->setFont(QFont(plot.font().family(), 7));
    plot.legend->setIconSize(16, 6);
    plot.legend->setRowSpacing(0);
    plot.legend->setBrush(QColor(255, 255, 255, 210));
    plot.axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignRight | Qt::AlignBottom);
}

ReportGraph Trend(const TrendGraph& trend, const recording::RunReport& report) {
    auto plot = std::make_unique<QCustomPlot>();
    for (const Line& line : trend.lines) AddLine(*plot, line, report.lengthMinutes);
    Axes(*plot, trend, report.lengthMinutes);
    MarksAndStretches(*plot, report);
    return ReportGraph(std::move(plot), kTrendMm, kTrendMm);  // laid out whole, never shrunk
}

}  // namespace

std::vector<ReportGraph> MakeRunTrendGraphs(const recording::RunReport& report) {
    std::vector<ReportGraph> graphs;
    for (const TrendGraph& trend : TrendGraphs(report.trends)) graphs.push_back(Trend(trend, report));
    return graphs;
}

ReportGraph MakePowerCurveGraph(const recording::RunReport& report) {
    auto plot = std::make_unique<QCustomPlot>();
    QVector<double> rpm, power, sd;
    for (const recording::PowerCurvePoint& p : report.powerCurve) {
        rpm.push_back(p.rpm);
        power.push_back(p.powerMilliW);
        sd.push_back(p.powerSdMilliW);
    }
    QCPGraph* points = plot->addGraph();
    points->setData(rpm, power);
    points->setLineStyle(QCPGraph::lsNone);
    points->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(Qt::blue), Qt::blue, 6));
    auto* bars = new QCPErrorBars(plot->xAxis, plot->yAxis);
    bars->setDataPlottable(points);
    bars->setData(sd);
    plot->plotLayout()->insertRow(0);
    plot->plotLayout()->addElement(
        0, 0, new QCPTextElement(plot.get(), "Power curve of the operating points (\u00b1 sd)",
                                 QFont(plot->font().family(), 9, QFont::Bold)));
    plot->xAxis->setLabel("Speed (rpm)");
    plot->yAxis->setLabel("Indicated power (mW)");
    plot->rescaleAxes();
    for (QCPAxis* axis : {plot->xAxis, plot->yAxis}) {
        const QCPRange r = axis->range();
        const double room = r.size() > 0 ? r.size() * 0.15 : std::max(std::abs(r.center()) * 0.1, 1.0);
        axis->setRange(r.lower - room, r.upper + room);
    }
    return ReportGraph(std::move(plot), kCurveMm, kCurveMm);
}

namespace {

// "Point 2 (steady): 366.9 rpm, 182.8 mW", the table's second row.
QString LoopTitle(std::size_t index, const recording::OperatingPoint& point) {
    const auto figure = [](const std::optional<recording::Spread>& spread, int decimals) {
        return spread ? QString::number(spread->mean, 'f', decimals) : QStringLiteral("-");
    };
    return QStringLiteral("Point %1 (%2): %3 rpm, %4 mW")
        .arg(index + 1)
        .arg(point.chosen ? "chosen" : "steady")
        .arg(figure(point.rpm, 1), figure(point.indicatedPowerMilliW, 1));
}

ReportGraph PointLoopGraph(const QString& title, const recording::PointLoop& loop) {
    auto plot = std::make_unique<charts::GraphPlot>();
    charts::SetUpPlotLook(*plot, charts::PlotTitles{"", "Volume (cu mm)", "Pressure from the mean (kPa)"});
    static_cast<QCPTextElement*>(plot->plotLayout()->element(0, 0))->setText(title);
    QVector<double> volume, pressure;
    for (const performance::LoopPoint& p : loop.loop) {
        volume.push_back(p.volumeMm3);
        pressure.push_back(p.pressureKpa);
    }
    volume.push_back(volume.front());  // the loop closed
    pressure.push_back(pressure.front());
    auto* curve = new QCPCurve(plot->xAxis, plot->yAxis);
    curve->setData(volume, pressure);
    curve->setPen(QPen(kAveragedLoop, 2.0));
    // What it was averaged over under the title: a legend would hide part of the loop.
    plot->plotLayout()->insertRow(1);
    plot->plotLayout()->addElement(
        1, 0,
        new QCPTextElement(plot.get(),
                           QStringLiteral("averaged over %1 cycles in %2 s")
                               .arg(loop.cycles)
                               .arg(loop.seconds),
                           QFont(plot->font().family(), 7)));
    plot->setAutomaticRoom(0.06);
    plot->applyAutomaticScaling();
    return ReportGraph(std::move(plot), kLoopMm, kLoopMm);
}

}  // namespace

std::vector<ReportGraph> MakePointLoopGraphs(const recording::RunReport& report) {
    std::vector<ReportGraph> graphs;
    for (std::size_t i = 0; i < report.points.size() && i < report.loops.size(); ++i) {
        if (report.loops[i].loop.empty()) continue;
        graphs.push_back(PointLoopGraph(LoopTitle(i, report.points[i]), report.loops[i]));
    }
    return graphs;
}

}  // namespace corvane::report
