#pragma once
// "Engine simulator": a small window to change the simulated engine while the
// program runs (speed, heater power, load, and the faults a teacher may want to
// show: the cable pulled, a hole missed, an overheated or stopped engine).

#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;

namespace corvane::daq {
class SimulatedBoard;
}

namespace corvane::ui {

class EngineSimulatorWindow : public QWidget {
    Q_OBJECT
public:
    explicit EngineSimulatorWindow(daq::SimulatedBoard& board, QWidget* parent = nullptr);

    QDoubleSpinBox* speed() const { return speed_; }
    QDoubleSpinBox* load() const { return load_; }
    QCheckBox* unplugged() const { return unplugged_; }
    QCheckBox* missedHole() const { return missedHole_; }
    QCheckBox* tooHot() const { return tooHot_; }
    QCheckBox* stopped() const { return stopped_; }

private:
    void apply();

    daq::SimulatedBoard& board_;
    QDoubleSpinBox* speed_;
    QDoubleSpinBox* heater_;
    QDoubleSpinBox* load_;
    QCheckBox* unplugged_;
    QCheckBox* missedHole_;
    QCheckBox* tooHot_;
    QCheckBox* stopped_;
};

}  // namespace corvane::ui
