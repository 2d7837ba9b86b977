#include "charts/chart_stack.h"

#include <qcustomplot.h>

#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "charts/chart_setup.h"
#include "charts/graph_plot.h"
#include "charts/graph_table.h"
#include "charts/hot_engine_picture.h"

namespace corvane::charts {

namespace {

// Designed heights of Chart1..Chart5 until the first FormResize.
constexpr std::array<int, kChartCount> DesignHeights() {
    std::array<int, kChartCount> heights{};
    for (std::size_t i = 0; i < kGraphs.size(); ++i) heights[i] = kGraphs[i].designHeight;
    return heights;
}

// The sides of a time graph's plot area that line up with the others'.
constexpr QCP::MarginSides kAlignedSides = QCP::msLeft | QCP::msRight;
// Layouts in a row that may still find the time graphs' margins unequal
// (a graph laid out before another had drawn its new labels).
constexpr int kAlignmentPasses = 2;

void SetLoop(QCPCurve* curve, const std::vector<analysis::Point>& loop) {
    // A curve keeps the order of its points: the loop is drawn round as the engine ran.
    QVector<double> keys, values;
    keys.reserve(static_cast<qsizetype>(loop.size()));
    values.reserve(static_cast<qsizetype>(loop.size()));
    for (const analysis::Point& p : loop) {
        keys.append(p.x);
        values.append(p.y);
    }
    curve->setData(keys, values);
}

}  // namespace

struct ChartStack::Impl {
    QWidget* client = nullptr;  // the panel's inside, within its 1-pixel border
    std::array<GraphPlot*, kChartCount> plots{};
    std::array<QCPItemText*, kChartCount> marks{};
    std::array<int, kChartCount> heights = DesignHeights();
    std::array<bool, kChartCount> visible = DesignedGraphs();
    std::array<bool, kChartCount> stale{};  // data changed while hidden
    std::array<bool, kChartCount> dirty{};  // to be drawn at the next turn of the event loop
    bool replotPending = false;
    QLabel* hotEngine = nullptr;
    std::vector<analysis::Point> loop;  // the averaged loop, closed
    QCPCurve* loopCurve = nullptr;      // on Chart3 while the loop is shown
    bool simulated = false;
    bool linking = false;
    // The visible time graphs share their widest left and right margins.
    QCPMarginGroup* timeMargins = nullptr;
    bool alignmentPending = false;
    int alignmentPasses = 0;

    QCPGraph* graph(SeriesId id) const { return plots.at(id.chart)->graph(id.index); }
};

ChartStack::ChartStack(QWidget* parent) : QWidget(parent), d_(new Impl) {
    setObjectName(QStringLiteral("Panel2"));
    d_->client = new QWidget(this);
    for (int i = 0; i < kChartCount; ++i) {
        auto* plot = new GraphPlot(d_->client);
        plot->setObjectName(QString::fromLatin1(kGraphs[i].chartName));
        d_->marks[i] = SetUpChart(*plot, i);
        d_->plots[i] = plot;
        plot->setVisible(d_->visible[i]);
        connect(plot, &GraphPlot::zoomed, this, [this, i] { emit scrolled(i); });
        connect(plot, &GraphPlot::scrolled, this, [this, i] { emit scrolled(i); });
        connect(plot, &GraphPlot::undoZoomGesture, this, [this, i] { emit undoZoomRequested(i); });
        connect(plot, &GraphPlot::menuRequested, this,
                [this, i](QPoint globalPos) { emit menuRequested(i, globalPos); });
        if (kGraphs[i].timeAxis)
            connect(plot, &QCustomPlot::afterLayout, this, &ChartStack::scheduleAlignment);
    }
    d_->timeMargins = new QCPMarginGroup(d_->plots[kChart1]);
    for (int i = 0; i < kChartCount; ++i) joinTimeMargins(i);
    d_->hotEngine = new QLabel(d_->plots[kHotEngineGraph]);
    d_->hotEngine->setObjectName(QStringLiteral("HotEngine"));
    d_->hotEngine->setPixmap(DrawHotEnginePicture());
    d_->hotEngine->setGeometry(120, 16, kHotEngineWidth, kHotEngineHeight);
    // The warning never blocks the gestures on the graph below it.
    d_->hotEngine->setAttribute(Qt::WA_TransparentForMouseEvents);
    d_->hotEngine->hide();
    relayout();
}

ChartStack::~ChartStack() { delete d_; }

QCustomPlot* ChartStack::chart(int index) const { return d_->plots.at(index); }

void ChartStack::setChartVisible(int index, bool visible) {
    if (d_->visible.at(index) != visible) {
        d_->visible[index] = visible;
        joinTimeMargins(index);
    }
    GraphPlot* plot = d_->plots[index];
    plot->setVisible(visible);
    relayout();
    if (visible && d_->stale[index]) {
        d_->stale[index] = false;
        requestReplot(index);
    }
}

void ChartStack::joinTimeMargins(int index) {
    if (!kGraphs[index].timeAxis) return;
    d_->plots[index]->axisRect()->setMarginGroup(kAlignedSides,
                                                 d_->visible[index] ? d_->timeMargins : nullptr);
    // The widest margin may have come or gone with this graph.
    for (int i = 0; i < kChartCount; ++i)
        if (kGraphs[i].timeAxis && d_->visible[i]) requestReplot(i);
    d_->alignmentPasses = 0;
}

bool ChartStack::timeGraphsAligned() const {
    std::optional<QMargins> first;
    for (int i = 0; i < kChartCount; ++i) {
        const GraphPlot* plot = d_->plots[i];
        if (!kGraphs[i].timeAxis || !d_->visible[i] || plot->size().isEmpty()) continue;
        const QMargins margins = plot->axisRect()->margins();
        if (!first) {
            first = margins;
        } else if (margins.left() != first->left() || margins.right() != first->right()) {
            return false;
        }
    }
    return true;
}

void ChartStack::scheduleAlignment() {
    if (d_->alignmentPending) return;
    d_->alignmentPending = true;
    QTimer::singleShot(0, this, [this] {
        d_->alignmentPending = false;
        if (timeGraphsAligned()) {
            d_->alignmentPasses = 0;
            return;
        }
        // A graph laid out while another still showed its old labels: one more
        // layout of all of them, now that every graph's labels are current.
        if (d_->alignmentPasses++ >= kAlignmentPasses) return;
        for (int i = 0; i < kChartCount; ++i)
            if (kGraphs[i].timeAxis && d_->visible[i]) replotNow(i);
    });
}

bool ChartStack::chartVisible(int index) const { return d_->visible.at(index); }

void ChartStack::FormResize(int clientHeight) {
    const auto n = std::count(d_->visible.begin(), d_->visible.end(), true);
    if (n == 0) return;
    const int h = clientHeight / static_cast<int>(n);
    d_->heights.fill(h);
    relayout();
    // The picture lies on the tachometer graph; the pressure-volume graph has
    // the same size by now.
    const QCustomPlot* pv = d_->plots[kChart3];
    d_->hotEngine->move((pv->width() - kHotEngineWidth) / 2, (pv->height() - kHotEngineHeight) / 2);
}

void ChartStack::relayout() {
    const int width = std::max(0, this->width() - 2);
    const int inner = std::max(0, height() - 2);
    d_->client->setGeometry(1, 1, width, inner);
    // Stacked from the top in the table's order; a visible graph of the last
    // row that takes the rest fills what the others leave.
    int top = 0;
    for (int i = 0; i < kChartCount; ++i) {
        const bool rest = kGraphs[i].height == GraphHeight::Rest && d_->visible[i];
        const int h = rest ? std::max(0, inner - top) : std::max(0, d_->heights[i]);
        d_->plots[i]->setGeometry(0, top, width, h);
        if (d_->visible[i]) top += h;
    }
}

int ChartStack::chartHeight(int index) const {
    if (kGraphs.at(index).height == GraphHeight::Rest && d_->visible[index])
        return d_->plots[index]->height();
    return d_->heights.at(index);
}

void ChartStack::undoZoom() {
    for (GraphPlot* plot : d_->plots) {
        plot->setHorizontalAutomatic(true);
        // Every capture is first shown whole, vertically too.
        plot->setVerticalAutomatic(true);
    }
    for (int i = 0; i < kChartCount; ++i) requestReplot(i);
}

bool ChartStack::horizontalAutomatic(int index) const {
    return d_->plots.at(index)->horizontalAutomatic();
}

analysis::TimeRange ChartStack::horizontalRange(int index) const {
    const GraphPlot* plot = d_->plots.at(index);
    return {plot->horizontalMin(), plot->horizontalMax()};
}

std::optional<analysis::TimeRange> ChartStack::speedRange() const {
    const int speedGraph = series::kSpeedPoints.chart;
    if (d_->plots[speedGraph]->horizontalAutomatic()) return std::nullopt;
    return horizontalRange(speedGraph);
}

void ChartStack::linkHorizontalRange(int sender) {
    if (d_->linking) return;
    d_->linking = true;
    const GraphPlot* source = d_->plots.at(sender);
    const double min = source->horizontalMin();
    const double max = source->horizontalMax();
    for (int i = 0; i < kChartCount; ++i) {
        if (i == sender) continue;
        GraphPlot* plot = d_->plots[i];
        plot->setHorizontalAutomatic(false);
        // Minimum 0 first makes the maximum and then the minimum legal for any
        // range from 0 upwards, whatever the axis held before (refused only when
        // the axis lies wholly below 0).
        plot->setHorizontalMin(0.0);
        if (plot->setHorizontalMax(max)) {
            plot->setHorizontalMin(min);
        } else {
            // A range wholly below 0 still reaches the graph: minimum first.
            plot->setHorizontalMin(min);
            plot->setHorizontalMax(max);
        }
        requestReplot(i);
    }
    d_->linking = false;
}

void ChartStack::clearGraphs(bool allSeries) {
    for (int i = 0; i < kChartCount; ++i) {
        if (!allSeries && kGraphs[i].cleared != ClearedWith::Traces) continue;
        GraphPlot* plot = d_->plots[i];
        for (int s = 0; s < plot->graphCount(); ++s) plot->graph(s)->data()->clear();
        requestReplot(i);
    }
}

void ChartStack::clearTraces() {
    clearGraphs(false);
    setAveragedLoop({});
}

void ChartStack::setAveragedLoop(std::vector<analysis::Point> loop) {
    d_->loop = std::move(loop);
    if (d_->loopCurve) {
        SetLoop(d_->loopCurve, d_->loop);
        requestReplot(series::kPvPoints.chart);
    }
}

void ChartStack::setAveragedLoopShown(bool shown) {
    if (shown == (d_->loopCurve != nullptr)) return;
    GraphPlot* plot = d_->plots[series::kPvPoints.chart];
    if (shown) {
        d_->loopCurve = new QCPCurve(plot->xAxis, plot->yAxis);
        d_->loopCurve->setName(QStringLiteral("AveragedLoopSeries"));
        QPen pen{QColor(graph_series::kBlue)};
        pen.setWidthF(2.0);
        d_->loopCurve->setPen(pen);
        d_->loopCurve->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
        SetLoop(d_->loopCurve, d_->loop);
    } else {
        // Removed rather than hidden: a hidden series still widens the automatic axes.
        plot->removePlottable(d_->loopCurve);
        d_->loopCurve = nullptr;
    }
    requestReplot(series::kPvPoints.chart);
}

bool ChartStack::averagedLoopShown() const { return d_->loopCurve != nullptr; }

QCPCurve* ChartStack::averagedLoopCurve() const { return d_->loopCurve; }

void ChartStack::clearAllSeries() {
    clearGraphs(true);
    setAveragedLoop({});
}

void ChartStack::showResult(const analysis::AnalysisResult& result,
                            const analysis::SpeedHistory& speed) {
    const ChartInput input{result, speed};
    for (int i = 0; i < kChartCount; ++i) kGraphs[i].fill(*d_->plots[i], input);
    replotAll();
}

void ChartStack::showResult(const analysis::AnalysisResult& result) {
    analysis::SpeedHistory speed;
    speed.replace(result.rpmPoints);
    showResult(result, speed);
}

std::vector<analysis::Point> ChartStack::rpmPoints() const {
    std::vector<analysis::Point> points;
    const auto data = d_->graph(series::kSpeedPoints)->data();
    points.reserve(static_cast<std::size_t>(data->size()));
    for (auto it = data->constBegin(); it != data->constEnd(); ++it)
        points.push_back({it->key, it->value});
    return points;
}

int ChartStack::seriesPointCount(SeriesId series) const { return d_->graph(series)->dataCount(); }

void ChartStack::setHotEngineVisible(bool visible) { d_->hotEngine->setVisible(visible); }

bool ChartStack::hotEngineVisible() const { return !d_->hotEngine->isHidden(); }

QLabel* ChartStack::hotEngine() const { return d_->hotEngine; }

void ChartStack::setSimulated(bool simulated) {
    if (d_->simulated == simulated) return;
    d_->simulated = simulated;
    for (int i = 0; i < kChartCount; ++i) {
        d_->marks[i]->setVisible(simulated);
        requestReplot(i);
    }
}

bool ChartStack::simulated() const { return d_->simulated; }

void ChartStack::replotAll() {
    for (int i = 0; i < kChartCount; ++i) replotNow(i);
}

void ChartStack::replotNow(int index) {
    d_->dirty[index] = false;
    GraphPlot* plot = d_->plots[index];
    // Hidden graphs are drawn when they are shown again; their automatic axes
    // follow the data at once all the same.
    if (d_->visible[index] && !plot->size().isEmpty()) {
        plot->replot();
    } else {
        plot->applyAutomaticScaling();
        d_->stale[index] = true;
    }
}

void ChartStack::requestReplot(int index) {
    // Several changes within one handler (undo-zoom, clearing, new data) give
    // one drawing per graph.
    d_->dirty[index] = true;
    if (d_->replotPending) return;
    d_->replotPending = true;
    QTimer::singleShot(0, this, [this] {
        d_->replotPending = false;
        for (int i = 0; i < kChartCount; ++i) {
            if (d_->dirty[i]) replotNow(i);
        }
    });
}

void ChartStack::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    // A raised 1-pixel border, and the caption that shows when no graph is on.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Panel2"));
}

void ChartStack::resizeEvent(QResizeEvent*) { relayout(); }

}  // namespace corvane::charts
