#include "ui/recorder/recorder_trends.h"

#include <QApplication>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>
#include <utility>

#include "performance/efficiency.h"
#include "recording/trend_decimation.h"
#include "charts/graph_plot.h"

namespace corvane::ui {

namespace {

constexpr int kRollingCycles = 50;

struct ChartLook {
    const char* label;
    std::vector<std::pair<const char*, QColor>> graphs;
};

const ChartLook kLooks[RecorderTrends::kCharts] = {
    {"Speed (rpm)", {{"speed", Qt::blue}}},
    {"Indicated power (mW)", {{"per cycle", QColor(120, 120, 120)}, {"rolling mean", Qt::red}}},
    {"Temperature (K)", {{"low", Qt::blue}, {"high", Qt::red}}},
    {"Heater power (W)", {{"heater", QColor(200, 100, 0)}}},
    {"Efficiency (%)", {{"indicated", Qt::darkGreen}, {"Carnot limit (right)", Qt::magenta}}},
};

void SetUpChart(GraphPlot* plot, const ChartLook& look, bool bottom) {
    plot->yAxis->setLabel(look.label);
    plot->xAxis->setTickLabels(bottom);
    if (bottom) plot->xAxis->setLabel("Time (min)");
    for (std::size_t g = 0; g < look.graphs.size(); ++g) {
        const bool right = std::string(look.graphs[g].first).find("right") != std::string::npos;
        if (right) plot->yAxis2->setVisible(true);
        QCPGraph* graph = plot->addGraph(plot->xAxis, right ? plot->yAxis2 : plot->yAxis);
        graph->setName(look.graphs[g].first);
        graph->setPen(QPen(look.graphs[g].second));
        graph->setAdaptiveSampling(true);
    }
    // The same margins on every graph, so that a minute lies at the same place on each.
    plot->axisRect()->setAutoMargins(QCP::msNone);
    plot->axisRect()->setMargins(QMargins(70, 6, 55, bottom ? 40 : 6));
    if (look.graphs.size() > 1) plot->legend->setVisible(true);
    plot->legend->setFont(QFont(plot->font().family(), 7));
}

}  // namespace

RecorderTrends::RecorderTrends(QWidget* parent) : QWidget(parent), clickWait_(new QTimer(this)) {
    clickWait_->setSingleShot(true);
    clickWait_->setInterval(QApplication::doubleClickInterval());
    connect(clickWait_, &QTimer::timeout, this,
            [this] { emit momentClicked(clickedMinutes_ * 60); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < kCharts; ++i) {
        auto* plot = new GraphPlot(this);
        plot->setObjectName(QString("Trend%1").arg(i + 1));
        SetUpChart(plot, kLooks[i], i == kCharts - 1);
        plots_.push_back(plot);
        layout->addWidget(plot, i == kCharts - 1 ? 5 : 4);
        connect(plot, &GraphPlot::zoomed, this, [this, i] { linkFrom(i); });
        connect(plot, &GraphPlot::scrolled, this, [this, i] { linkFrom(i); });
        connect(plot, &GraphPlot::undoZoomGesture, this, &RecorderTrends::followNewest);
        watchClicks(plot);
    }
    // Points, not a line: the scatter of single cycles is what the eye needs.
    QCPGraph* perCycle = plots_[1]->graph(0);
    perCycle->setLineStyle(QCPGraph::lsNone);
    perCycle->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 2));
    clear();
}

void RecorderTrends::watchClicks(GraphPlot* plot) {
    connect(plot, &QCustomPlot::mousePress, this,
            [this](QMouseEvent* event) { pressedAt_ = event->pos(); });
    connect(plot, &QCustomPlot::mouseRelease, this, [this, plot](QMouseEvent* event) {
        if (std::exchange(releaseOfDoubleClick_, false) || event->button() != Qt::LeftButton ||
            (event->pos() - pressedAt_).manhattanLength() > GraphPlot::kClickSlackPixels) {
            return;
        }
        clickedMinutes_ = plot->xAxis->pixelToCoord(event->pos().x());
        clickWait_->start();
    });
    plot->installEventFilter(this);
}

// A double-click undoes the zoom: its first click chose no moment, nor does its release.
bool RecorderTrends::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        clickWait_->stop();
        releaseOfDoubleClick_ = true;
    }
    return QWidget::eventFilter(watched, event);
}

void RecorderTrends::clear() {
    series_.clear();
    for (int c = 0; c < kCharts; ++c) {
        for (int g = 0; g < plots_[static_cast<std::size_t>(c)]->graphCount(); ++g) {
            series_.push_back({c, g, {}, {}});
        }
    }
    recentPower_.clear();
    events_.clear();
    steady_.clear();
    followNewest();
}

void RecorderTrends::addSeries(int chart, int graph, double t, std::optional<double> value) {
    if (!value) return;
    for (Series& s : series_) {
        if (s.chart == chart && s.graph == graph) {
            s.t.push_back(t);
            s.value.push_back(*value);
            return;
        }
    }
}

void RecorderTrends::addCycles(const std::vector<recording::CycleRow>& cycles) {
    for (const recording::CycleRow& c : cycles) {
        const double t = c.timeS / 60.0;
        addSeries(0, 0, t, c.rpm);
        addSeries(1, 0, t, c.indicatedPowerMilliW);
        recentPower_.push_back(c.indicatedPowerMilliW);
        if (recentPower_.size() > kRollingCycles) recentPower_.erase(recentPower_.begin());
        addSeries(1, 1, t,
                  std::accumulate(recentPower_.begin(), recentPower_.end(), 0.0) /
                      static_cast<double>(recentPower_.size()));
        addSeries(2, 0, t, c.loTempK);
        addSeries(2, 1, t, c.hiTempK);
        addSeries(3, 0, t, c.heaterPowerW);
        const performance::Efficiency e = performance::EfficiencyOf(
            c.heaterPowerW.value_or(NAN), c.loTempK.value_or(NAN), c.hiTempK.value_or(NAN),
            c.indicatedPowerMilliW);
        addSeries(4, 0, t, e.indicatedEfficiencyPercent);
        addSeries(4, 1, t, e.carnotPercent);
    }
    if (!cycles.empty()) dirty_ = true;
}

void RecorderTrends::setEvents(const std::vector<recording::Event>& events) {
    events_ = events;
    marksDirty_ = true;
}

void RecorderTrends::setSteadyStretches(const std::vector<std::pair<double, double>>& secondsFromTo) {
    if (secondsFromTo == steady_) return;
    steady_ = secondsFromTo;
    marksDirty_ = true;
}

std::pair<double, double> RecorderTrends::shownSeconds() const {
    const QCPRange range = plots_[0]->xAxis->range();
    return {range.lower * 60, range.upper * 60};
}

int RecorderTrends::drawnPoints(int chart) const {
    return plots_[static_cast<std::size_t>(chart)]->graph(0)->dataCount();
}

void RecorderTrends::linkFrom(int sender) {
    if (linking_) return;
    linking_ = true;
    following_ = false;
    const QCPRange range = plots_[static_cast<std::size_t>(sender)]->xAxis->range();
    for (GraphPlot* plot : plots_) {
        plot->setHorizontalAutomatic(false);
        plot->xAxis->setRange(range);
    }
    linking_ = false;
    dirty_ = true;
    refresh();
    emit rangeChangedByUser();
}

void RecorderTrends::followNewest() {
    following_ = true;
    for (GraphPlot* plot : plots_) {
        plot->setHorizontalAutomatic(true);
        plot->setVerticalAutomatic(true);
    }
    dirty_ = marksDirty_ = true;
    refresh();
    emit rangeChangedByUser();
}

void RecorderTrends::refresh() {
    if (!dirty_ && !marksDirty_) return;
    if (dirty_) redrawSeries();
    if (marksDirty_) redrawMarks();
    dirty_ = marksDirty_ = false;
    for (GraphPlot* plot : plots_) plot->replot(QCustomPlot::rpQueuedReplot);
}

void RecorderTrends::redrawSeries() {
    double from = 0, to = 0;
    if (following_) {
        for (const Series& s : series_) {
            if (!s.t.empty()) to = std::max(to, s.t.back());
        }
    } else {
        const QCPRange range = plots_[0]->xAxis->range();
        from = range.lower;
        to = range.upper;
    }
    for (const Series& s : series_) {
        GraphPlot* plot = plots_[static_cast<std::size_t>(s.chart)];
        const int buckets = std::max(100, plot->axisRect()->width());
        const recording::TrendPoints points = recording::Decimate(s.t, s.value, from, to, buckets);
        plot->graph(s.graph)->setData(QVector<double>(points.t.begin(), points.t.end()),
                                      QVector<double>(points.value.begin(), points.value.end()),
                                      true);
    }
    if (!following_) {
        for (GraphPlot* plot : plots_) plot->xAxis->setRange(from, to);
    }
}

void RecorderTrends::redrawMarks() {
    for (GraphPlot* plot : plots_) {
        plot->clearItems();
        for (const auto& [fromS, toS] : steady_) {
            auto* shade = new QCPItemRect(plot);
            shade->setLayer("background");
            shade->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
            shade->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
            shade->topLeft->setCoords(fromS / 60, 0);
            shade->bottomRight->setCoords(toS / 60, 1);
            shade->setPen(Qt::NoPen);
            shade->setBrush(QColor(160, 230, 160, 110));
        }
        for (const recording::Event& event : events_) {
            if (event.text == "start" || event.text == "stop") continue;  // the run's own ends
            const bool gap = event.text.rfind("gap", 0) == 0;
            auto* line = new QCPItemStraightLine(plot);
            line->point1->setCoords(event.timeS / 60, 0);
            line->point2->setCoords(event.timeS / 60, 1);
            line->setPen(QPen(gap ? Qt::red : Qt::darkGray, 1, Qt::DashLine));
            if (plot != plots_[0]) continue;  // the text once, on the top graph
            auto* text = new QCPItemText(plot);
            text->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
            text->position->setCoords(event.timeS / 60, 0.02);
            text->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
            text->setText(QString::fromStdString(event.text));
            text->setColor(gap ? Qt::red : Qt::darkGray);
            text->setFont(QFont(plot->font().family(), 7));
        }
    }
}

}  // namespace corvane::ui
