#pragma once
// The right panel (Panel2): the five stacked graphs Chart1..Chart5 with their
// series, the hot-engine picture on the tachometer graph, the graph show/hide
// sizing and the linked horizontal zoom and scroll.

#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "analysis/analyse_capture.h"
#include "analysis/speed_history.h"
#include "charts/graph_table.h"

class QCustomPlot;
class QCPCurve;
class QCPGraph;
class QLabel;

namespace corvane::charts {

class ChartStack : public QWidget {
    Q_OBJECT
public:
    // The graph the hot-engine warning lies on: the tachometer's.
    static constexpr int kHotEngineGraph = series::kTachometer.chart;

    explicit ChartStack(QWidget* parent = nullptr);
    ~ChartStack() override;

    QCustomPlot* chart(int index) const;  // kChart1..kChart5

    // Graph visibility (PressureCBClick sets all five, then calls FormResize).
    void setChartVisible(int index, bool visible);
    bool chartVisible(int index) const;
    // FormResize: h = clientHeight div (visible count) for every graph; centres HotEngine.
    void FormResize(int clientHeight);
    // The height last given; a visible Chart5 reports the room it fills.
    int chartHeight(int index) const;

    // Chart1UndoZoom: every horizontal axis back to automatic, in Chart1..Chart5 order.
    void undoZoom();
    bool horizontalAutomatic(int index) const;
    // Chart4's horizontal range when it is not automatic (the dynamometer's time range).
    std::optional<analysis::TimeRange> speedRange() const;
    // Copies the sender's horizontal range into the other four (Chart1Scroll).
    void linkHorizontalRange(int sender);
    // A graph's horizontal range as its axis holds it.
    analysis::TimeRange horizontalRange(int index) const;

    // The series of the graphs cleared with the traces (PrepareGrab outside
    // continuous mode), and the averaged loop.
    void clearTraces();
    // Every graph's series cleared (PrepareDyna).
    void clearAllSeries();
    // Fills every graph by its row's fill function (a grab leaves the power
    // curves standing), the speed graph from `speed`, then replots once.
    void showResult(const analysis::AnalysisResult& result, const analysis::SpeedHistory& speed);
    // The same, the speed graph showing the result's own speed points.
    void showResult(const analysis::AnalysisResult& result);
    // The points the speed graph draws.
    std::vector<analysis::Point> rpmPoints() const;
    int seriesPointCount(SeriesId series) const;

    // The engine-performance evaluation's phase-averaged loop over the PV
    // points: a closed line in crank-angle order, on Chart3 only while shown.
    // While it is not shown Chart3 holds Series3 alone, so its axes span the
    // PV points exactly as without it. Cleared with the traces.
    void setAveragedLoop(std::vector<analysis::Point> loop);
    void setAveragedLoopShown(bool shown);
    bool averagedLoopShown() const;
    // The line on Chart3; nullptr while it is not shown.
    QCPCurve* averagedLoopCurve() const;

    void setHotEngineVisible(bool visible);
    bool hotEngineVisible() const;
    QLabel* hotEngine() const;
    // A capture taken from the simulated engine carries a "SIMULATED" mark on every graph.
    void setSimulated(bool simulated);
    bool simulated() const;

    // Draws every visible graph now (showResult does); other changes are drawn
    // once at the next turn of the event loop.
    void replotAll();

    // Every visible time graph has the same left and right margin (the widest
    // among them), so one time lies at one x on all of them.
    bool timeGraphsAligned() const;

signals:
    // Raised after the user's zoom or scroll on a graph (Chart1Scroll) ...
    void scrolled(int sender);
    // ... and after the user's undo-zoom gesture (Chart1UndoZoom).
    void undoZoomRequested(int sender);
    // A right click without a drag on a graph, at this point of the screen.
    void menuRequested(int chart, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    void clearGraphs(bool allSeries);
    void joinTimeMargins(int index);
    void scheduleAlignment();
    void replotNow(int index);
    void requestReplot(int index);

    struct Impl;
    Impl* d_;
};

}  // namespace corvane::charts
