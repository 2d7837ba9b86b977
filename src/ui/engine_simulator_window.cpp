#include "ui/engine_simulator_window.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>

#include "daq/simulated_board.h"

namespace corvane::ui {

namespace {
QDoubleSpinBox* Spin(QWidget* parent, double min, double max, double step, double value,
                     const QString& suffix) {
    auto* spin = new QDoubleSpinBox(parent);
    spin->setRange(min, max);
    spin->setSingleStep(step);
    spin->setDecimals(1);
    spin->setValue(value);
    spin->setSuffix(suffix);
    spin->setKeyboardTracking(false);
    return spin;
}
}  // namespace

EngineSimulatorWindow::EngineSimulatorWindow(daq::SimulatedBoard& board, QWidget* parent)
    : QWidget(parent, Qt::Window), board_(board) {
    setObjectName("EngineSimulator");
    setWindowTitle("Engine simulator");
    const daq::EngineParameters p = board_.Parameters();
    speed_ = Spin(this, 10, 2000, 10, p.rpm, " rpm");
    heater_ = Spin(this, 0, 20, 0.5, p.heaterPowerW, " W");
    load_ = Spin(this, 0, 1000, 0.5, p.loadMilliNm, " mNm");
    unplugged_ = new QCheckBox("Pull the USB cable", this);
    missedHole_ = new QCheckBox("Sensor misses a hole", this);
    tooHot_ = new QCheckBox("Overheat the engine", this);
    stopped_ = new QCheckBox("Stop the engine", this);
    unplugged_->setChecked(p.faults.unplugged);
    missedHole_->setChecked(p.faults.missedHole);
    tooHot_->setChecked(p.faults.tooHot);
    stopped_->setChecked(p.faults.stopped);

    auto* form = new QFormLayout(this);
    form->addRow(new QLabel("Every capture taken now is SIMULATED.", this));
    form->addRow("Speed", speed_);
    form->addRow("Heater power", heater_);
    form->addRow("Load", load_);
    for (QCheckBox* box : {unplugged_, missedHole_, tooHot_, stopped_}) {
        form->addRow(box);
        connect(box, &QCheckBox::toggled, this, &EngineSimulatorWindow::apply);
    }
    for (QDoubleSpinBox* spin : {speed_, heater_, load_})
        connect(spin, &QDoubleSpinBox::valueChanged, this, &EngineSimulatorWindow::apply);
}

void EngineSimulatorWindow::apply() {
    daq::EngineParameters p = board_.Parameters();
    p.rpm = speed_->value();
    p.heaterPowerW = heater_->value();
    p.loadMilliNm = load_->value();
    p.faults.unplugged = unplugged_->isChecked();
    p.faults.missedHole = missedHole_->isChecked();
    p.faults.tooHot = tooHot_->isChecked();
    p.faults.stopped = stopped_->isChecked();
    board_.SetParameters(p);
}

}  // namespace corvane::ui
