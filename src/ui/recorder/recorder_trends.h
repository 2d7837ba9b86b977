#pragma once
// The trends of a recording on one time axis in minutes: speed; indicated
// power per cycle with its rolling mean; low and high temperature; heater
// power; indicated efficiency beside the Carnot limit. Zoom and scroll are
// linked across the graphs; until the user zooms they follow the newest
// cycle. Steady stretches are shaded, marks and gaps drawn as vertical lines
// with their text. Every cycle is kept; only what is drawn is thinned.

#include <QPoint>
#include <QWidget>
#include <optional>
#include <vector>

#include "recording/operating_points.h"
#include "recording/recording_texts.h"

class QTimer;

namespace corvane::charts {
class GraphPlot;
}

namespace corvane::ui {

using charts::GraphPlot;

class RecorderTrends : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCharts = 5;
    explicit RecorderTrends(QWidget* parent = nullptr);

    // Starts afresh (a new or opened recording).
    void clear();
    void addCycles(const std::vector<recording::CycleRow>& cycles);
    void setEvents(const std::vector<recording::Event>& events);
    void setSteadyStretches(const std::vector<std::pair<double, double>>& secondsFromTo);
    // Redraws what changed since the last call (at most once per poll).
    void refresh();

    GraphPlot* chart(int index) const { return plots_[static_cast<std::size_t>(index)]; }
    bool following() const { return following_; }
    // The time range shown, in seconds.
    std::pair<double, double> shownSeconds() const;
    // Points drawn in a graph's first series (after thinning).
    int drawnPoints(int chart) const;

signals:
    // The user zoomed, scrolled or undid the zoom.
    void rangeChangedByUser();
    // A left click that did not drag and was not the start of a double-click
    // (which undoes the zoom): the moment under the mouse.
    void momentClicked(double seconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Series {
        int chart;
        int graph;
        std::vector<double> t, value;
    };
    void linkFrom(int sender);
    void followNewest();
    void redrawSeries();
    void redrawMarks();
    void addSeries(int chart, int graph, double t, std::optional<double> value);
    void watchClicks(GraphPlot* plot);

    std::vector<GraphPlot*> plots_;
    std::vector<Series> series_;
    std::vector<double> recentPower_;  // the last cycles' power, for the rolling mean
    std::vector<recording::Event> events_;
    std::vector<std::pair<double, double>> steady_;
    bool following_ = true;
    bool linking_ = false;
    bool dirty_ = false;
    bool marksDirty_ = false;
    QTimer* clickWait_;        // a double-click's time: a click only once it has passed
    QPoint pressedAt_;
    double clickedMinutes_ = 0.0;
    bool releaseOfDoubleClick_ = false;
};

}  // namespace corvane::ui
