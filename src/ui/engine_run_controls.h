#pragma once
// The simulated engine as a run, set before a recording starts: a warm-up
// from cold, the heater and load steps of an experiment (a heater switched
// off is a step to 0 W), a slow drift of the hot end, a speed-up so a long
// run takes minutes, one buffer overrun to see a gap, and a coast-down (the
// engine giving no more work from a chosen second). The board takes
// them when its continuous scan starts; Grab and Dyna see the steady engine.

#include <QGroupBox>

#include "daq/engine_parameters.h"

class QCheckBox;
class QDoubleSpinBox;
class QTableWidget;

namespace corvane::ui {

class EngineRunControls : public QGroupBox {
    Q_OBJECT
public:
    explicit EngineRunControls(const daq::EngineRunSettings& run, QWidget* parent = nullptr);

    // What the controls say now; steps in the order of their time.
    daq::EngineRunSettings settings() const;

    // A step at `atMinutes` of the run (the table's last row; edited there).
    void addStep(double atMinutes, double heaterW, double loadMilliNm);
    void removeStep();

    QCheckBox* warmUp() const { return warmUp_; }
    QDoubleSpinBox* warmUpMinutes() const { return warmUpMinutes_; }
    QDoubleSpinBox* drift() const { return drift_; }
    QDoubleSpinBox* speedUp() const { return speedUp_; }
    QCheckBox* overrun() const { return overrun_; }
    QDoubleSpinBox* overrunAt() const { return overrunAt_; }
    QDoubleSpinBox* overrunLength() const { return overrunLength_; }
    QTableWidget* steps() const { return steps_; }

signals:
    void changed();

private:
    QWidget* buildSteps(const std::vector<daq::RunStep>& steps);
    double cell(int row, int column) const;

    QCheckBox* warmUp_;
    QDoubleSpinBox* warmUpMinutes_;
    QDoubleSpinBox* drift_;
    QDoubleSpinBox* speedUp_;
    QCheckBox* overrun_;
    QDoubleSpinBox* overrunAt_;
    QDoubleSpinBox* overrunLength_;
    QCheckBox* coastDown_;
    QDoubleSpinBox* coastDownAt_;
    QTableWidget* steps_ = nullptr;
};

}  // namespace corvane::ui
