#pragma once
// The last cycles' PV loops, drawn over each other as they arrive: the
// newest strong, the older ones fading, so that a change of the engine shows
// as loops moving apart.

#include <qcustomplot.h>

#include <cstdint>
#include <vector>

#include "recording/cycle_loops.h"

namespace corvane::ui {

class RecorderLoops : public QCustomPlot {
    Q_OBJECT
public:
    explicit RecorderLoops(QWidget* parent = nullptr);

    // Draws these loops (oldest first) and nothing else, at once.
    void showLoops(const std::vector<recording::CycleLoop>& loops);
    void clearLoops();
    // The cycle numbers drawn, oldest first.
    const std::vector<std::uint64_t>& drawnCycles() const { return drawn_; }

private:
    QCPCurve* curve(std::size_t index);

    std::vector<QCPCurve*> curves_;
    std::vector<std::uint64_t> drawn_;
};

// The pen of the loop `age` cycles before the newest of `count`: the newest
// opaque and wider, the oldest faint.
QPen LoopPen(std::size_t age, std::size_t count);

}  // namespace corvane::ui
