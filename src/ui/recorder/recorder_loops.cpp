#include "ui/recorder/recorder_loops.h"

namespace corvane::ui {

namespace {

constexpr int kNewestAlpha = 255;
constexpr int kOldestAlpha = 40;
const QColor kLoopColour(0, 70, 200);

}  // namespace

QPen LoopPen(std::size_t age, std::size_t count) {
    QColor colour = kLoopColour;
    const double older =
        count > 1 ? static_cast<double>(age) / static_cast<double>(count - 1) : 0.0;
    colour.setAlpha(static_cast<int>(kNewestAlpha - older * (kNewestAlpha - kOldestAlpha) + 0.5));
    return QPen(colour, age == 0 ? 2.0 : 1.0);
}

RecorderLoops::RecorderLoops(QWidget* parent) : QCustomPlot(parent) {
    setObjectName("RecorderLoops");
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, new QCPTextElement(this, "The last cycles, newest strongest",
                                                      QFont(font().family(), 9)));
    xAxis->setLabel("Volume (cm³)");
    yAxis->setLabel("Pressure (kPa)");
    // Alpha blending of many thin curves: smooth lines are worth their time here.
    setAntialiasedElements(QCP::aePlottables);
    setMinimumHeight(160);
}

QCPCurve* RecorderLoops::curve(std::size_t index) {
    while (curves_.size() <= index) curves_.push_back(new QCPCurve(xAxis, yAxis));
    return curves_[index];
}

void RecorderLoops::showLoops(const std::vector<recording::CycleLoop>& loops) {
    drawn_.clear();
    for (std::size_t i = 0; i < loops.size(); ++i) {
        const recording::CycleLoop& loop = loops[i];
        QVector<double> volume, pressure;
        volume.reserve(static_cast<qsizetype>(loop.volume.size() + 1));
        pressure.reserve(volume.capacity());
        for (std::size_t p = 0; p < loop.volume.size(); ++p) {
            volume.push_back(loop.volume[p] / 1000);  // mm³ to cm³
            pressure.push_back(loop.pressureKpa[p]);
        }
        // Closed, as the cycle is.
        if (!volume.isEmpty()) {
            volume.push_back(volume.front());
            pressure.push_back(pressure.front());
        }
        QCPCurve* drawn = curve(i);
        drawn->setData(volume, pressure);
        drawn->setPen(LoopPen(loops.size() - 1 - i, loops.size()));
        drawn->setVisible(true);
        drawn_.push_back(loop.cycle);
    }
    for (std::size_t i = loops.size(); i < curves_.size(); ++i) curves_[i]->setVisible(false);
    if (!loops.empty()) {
        rescaleAxes(true);
        // A little room round the loops, so that no edge of one hides in an axis.
        for (QCPAxis* axis : {xAxis, yAxis}) axis->scaleRange(1.1, axis->range().center());
    }
    replot(QCustomPlot::rpImmediateRefresh);
}

void RecorderLoops::clearLoops() { showLoops({}); }

}  // namespace corvane::ui
