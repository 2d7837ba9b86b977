#pragma once
// "Engine simulator": a small window to change the simulated engine while the
// program runs (speed, heater power, load, and the faults a teacher may want to
// show: the cable pulled, a hole missed, an overheated or stopped engine), and
// to set up the run a recording takes from it (warm-up, steps, drift,
// speed-up, an overrun). It says up to which speed a capture can be evaluated.

#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;

namespace corvane::daq {
class SimulatedBoard;
}

namespace corvane::ui {

class EngineRunControls;

class EngineSimulatorWindow : public QWidget {
    Q_OBJECT
public:
    explicit EngineSimulatorWindow(daq::SimulatedBoard& board, QWidget* parent = nullptr);

    QDoubleSpinBox* speed() const { return speed_; }
    QDoubleSpinBox* load() const { return load_; }
    QDoubleSpinBox* heater() const { return heater_; }
    QCheckBox* unplugged() const { return unplugged_; }
    QCheckBox* missedHole() const { return missedHole_; }
    QCheckBox* tooHot() const { return tooHot_; }
    QCheckBox* stopped() const { return stopped_; }
    // Shown while the speed is above what a capture at 1000 scans/s can be evaluated at.
    QLabel* speedWarning() const { return speedWarning_; }
    EngineRunControls* run() const { return run_; }

private:
    void buildEngine();
    void apply();

    daq::SimulatedBoard& board_;
    QDoubleSpinBox* speed_;
    QDoubleSpinBox* heater_;
    QDoubleSpinBox* load_;
    QLabel* speedWarning_;
    QCheckBox* unplugged_;
    QCheckBox* missedHole_;
    QCheckBox* tooHot_;
    QCheckBox* stopped_;
    EngineRunControls* run_;
};

}  // namespace corvane::ui
