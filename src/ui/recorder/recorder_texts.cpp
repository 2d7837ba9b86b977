#include "ui/recorder/recorder_texts.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <qcustomplot.h>

namespace corvane::ui {

namespace {

TableCell Cell(const QString& text) { return {text, text}; }

TableCell Number(double value, int decimals) { return Cell(QString::number(value, 'f', decimals)); }

void AddSpread(std::vector<TableCell>& row, const std::optional<recording::Spread>& spread,
               int decimals) {
    row.push_back(spread ? Number(spread->mean, decimals) : Cell(""));
    row.push_back(spread ? Number(spread->sd, decimals) : Cell(""));
}

// The values (± their spread) with a tenth of their span to spare; a single
// value gets a tenth of itself; none: the bench engine's range.
QCPRange PaddedRange(const QVector<double>& values, const QVector<double>& spread,
                     QCPRange none) {
    if (values.isEmpty()) return none;
    double low = values[0], high = values[0];
    for (int i = 0; i < values.size(); ++i) {
        const double sd = i < spread.size() ? spread[i] : 0.0;
        low = std::min(low, values[i] - sd);
        high = std::max(high, values[i] + sd);
    }
    const double pad = high > low ? (high - low) / 10 : std::max(std::abs(high) / 10, 1.0);
    return {low - pad, high + pad};
}

}  // namespace

QString ElapsedText(double seconds) {
    const long long whole = static_cast<long long>(std::max(0.0, seconds));
    return QString("%1:%2:%3")
        .arg(whole / 3600)
        .arg((whole / 60) % 60, 2, 10, QChar('0'))
        .arg(whole % 60, 2, 10, QChar('0'));
}

QString MonitorText(const std::optional<recording::CycleRow>& newest) {
    if (!newest) return "Low -  High -  Heater -";
    const auto value = [](const std::optional<double>& v, int decimals, const char* unit) {
        return v ? QString::number(*v, 'f', decimals) + unit : QString("-");
    };
    return QString("%1 rpm  Low %2  High %3  Heater %4")
        .arg(newest->rpm, 0, 'f', 1)
        .arg(value(newest->loTempK, 1, " K"), value(newest->hiTempK, 1, " K"),
             value(newest->heaterPowerW, 2, " W"));
}

recording::RecordingStatus CountsOf(const recording::RecordingContents& contents,
                                    const std::string& folder) {
    recording::RecordingStatus status;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        if (entry.is_regular_file(ignored)) status.bytes += entry.file_size(ignored);
    }
    const double rate = static_cast<double>(contents.manifest.format.rate);
    status.seconds = rate > 0 ? static_cast<double>(contents.scans) / rate : 0.0;
    status.scans = contents.scans;
    status.cycles = contents.cycles.size();
    for (const recording::Event& e : contents.events) {
        if (e.text.rfind("gap", 0) == 0) ++status.gaps;
    }
    if (!contents.cycles.empty()) status.lastCycle = contents.cycles.back();
    return status;
}

TableText OperatingPointTableText(const std::vector<recording::OperatingPoint>& points) {
    TableText table;
    table.headers = {"Kind",  "Start (min)", "Length (s)", "Cycles", "Speed (rpm)", "± sd",
                     "Power (mW)", "± sd", "Low T (K)", "± sd", "High T (K)", "± sd",
                     "Heater (W)", "± sd", "Ind. eff. (%)", "± sd", "Carnot (%)", "± sd"};
    for (const recording::OperatingPoint& p : points) {
        std::vector<TableCell> row = {Cell(p.chosen ? "chosen" : "steady"),
                                      Number(p.startS / 60, 2), Number(p.lengthS, 1),
                                      Cell(QString::number(p.cycles))};
        AddSpread(row, p.rpm, 1);
        AddSpread(row, p.indicatedPowerMilliW, 2);
        AddSpread(row, p.loTempK, 1);
        AddSpread(row, p.hiTempK, 1);
        AddSpread(row, p.heaterPowerW, 3);
        AddSpread(row, p.indicatedEfficiencyPercent, 4);
        AddSpread(row, p.carnotPercent, 2);
        table.rows.push_back(std::move(row));
    }
    return table;
}

void SetUpPowerCurve(QCustomPlot& plot) {
    plot.xAxis->setLabel("Speed (rpm)");
    plot.yAxis->setLabel("Indicated power (mW)");
    QCPGraph* graph = plot.addGraph();
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(Qt::blue), Qt::blue, 6));
    auto* bars = new QCPErrorBars(plot.xAxis, plot.yAxis);
    bars->setName("± sd");
    bars->setDataPlottable(graph);
}

void ShowPowerCurve(QCustomPlot& plot, const std::vector<recording::OperatingPoint>& points) {
    QVector<double> rpm, power, sd;
    for (const recording::OperatingPoint& p : points) {
        if (!p.rpm || !p.indicatedPowerMilliW) continue;
        rpm.push_back(p.rpm->mean);
        power.push_back(p.indicatedPowerMilliW->mean);
        sd.push_back(p.indicatedPowerMilliW->sd);
    }
    plot.graph(0)->setData(rpm, power);
    if (auto* bars = qobject_cast<QCPErrorBars*>(plot.plottable(1))) bars->setData(sd);
    plot.xAxis->setRange(PaddedRange(rpm, {}, {0, 600}));
    plot.yAxis->setRange(PaddedRange(power, sd, {0, 300}));
    plot.replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace corvane::ui
