#pragma once
// The right panel (Panel2): the five stacked graphs Chart1..Chart5 with their
// series, the hot-engine picture on the tachometer graph, the graph show/hide
// sizing and the linked horizontal zoom and scroll.

#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "analysis/analyse_capture.h"

class QCustomPlot;
class QCPGraph;
class QLabel;

namespace corvane::ui {

enum ChartIndex { kChart1 = 0, kChart2, kChart3, kChart4, kChart5, kChartCount };

class ChartStack : public QWidget {
    Q_OBJECT
public:
    explicit ChartStack(QWidget* parent = nullptr);
    ~ChartStack() override;

    QCustomPlot* chart(int index) const;  // kChart1..kChart5

    // Graph visibility (PressureCBClick sets all five, then calls FormResize).
    void setChartVisible(int index, bool visible);
    bool chartVisible(int index) const;
    // FormResize: h = clientHeight div (visible count) for every graph; centres HotEngine.
    void FormResize(int clientHeight);
    int chartHeight(int index) const;  // the height last given

    // Chart1UndoZoom: every horizontal axis back to automatic, in Chart1..Chart5 order.
    void undoZoom();
    bool horizontalAutomatic(int index) const;
    // Chart4's horizontal range when it is not automatic (the dynamometer's time range).
    std::optional<analysis::TimeRange> speedRange() const;
    // Copies the sender's horizontal range into the other four (Chart1Scroll).
    void linkHorizontalRange(int sender);

    // Series1..Series5 cleared (PrepareGrab outside continuous mode, each analysis).
    void clearTraces();
    // All ten series cleared (PrepareDyna).
    void clearAllSeries();
    // Copies an analysis result into the series (RPM and power series replaced by the
    // result's), then replots once.
    void showResult(const analysis::AnalysisResult& result);
    // RPMDataSeries as it stands (input of the next analysis).
    std::vector<analysis::Point> rpmPoints() const;
    int seriesPointCount(int chart, int graphIndex) const;

    void setHotEngineVisible(bool visible);
    bool hotEngineVisible() const;
    QLabel* hotEngine() const;
    // While the simulated engine is the board, every graph carries a "SIMULATED" mark.
    void setSimulated(bool simulated);

    void replotAll();

signals:
    // Raised after the user's zoom or scroll on a graph (Chart1Scroll) ...
    void scrolled(int sender);
    // ... and after the user's undo-zoom gesture (Chart1UndoZoom).
    void undoZoomRequested(int sender);

private:
    struct Impl;
    Impl* d_;
};

}  // namespace corvane::ui
