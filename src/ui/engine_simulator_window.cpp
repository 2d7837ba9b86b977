#include "ui/engine_simulator_window.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "analysis/capture_plan.h"
#include "daq/simulated_board.h"
#include "ui/engine_run_controls.h"

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

QString EvaluableText() {
    return QString("Captures at %1 scans/s can be evaluated up to %2 rpm.")
        .arg(analysis::kScanRate)
        .arg(analysis::kHighestEvaluableRpm, 0, 'f', 0);
}

QString WarningText() {
    return QString("Above %1 rpm a capture may not be evaluated (\"Bad red spikes\").")
        .arg(analysis::kHighestEvaluableRpm, 0, 'f', 0);
}
}  // namespace

EngineSimulatorWindow::EngineSimulatorWindow(daq::SimulatedBoard& board, QWidget* parent)
    : QWidget(parent, Qt::Window), board_(board) {
    setObjectName("EngineSimulator");
    setWindowTitle("Engine simulator");
    buildEngine();
    run_ = new EngineRunControls(board_.Parameters().run, this);
    layout()->addWidget(run_);
    connect(run_, &EngineRunControls::changed, this, &EngineSimulatorWindow::apply);
    // Opening the window changes nothing: the engine keeps the settings file's run.
    speedWarning_->setVisible(board_.Parameters().rpm > analysis::kHighestEvaluableRpm);
}

void EngineSimulatorWindow::buildEngine() {
    const daq::EngineParameters p = board_.Parameters();
    speed_ = Spin(this, 10, 2000, 10, p.rpm, " rpm");
    heater_ = Spin(this, 0, 20, 0.5, p.heaterPowerW, " W");
    load_ = Spin(this, 0, 1000, 0.5, p.loadMilliNm, " mNm");
    speedWarning_ = new QLabel(WarningText(), this);
    speedWarning_->setObjectName("SpeedWarning");
    speedWarning_->setStyleSheet("color: red; font-weight: bold");
    unplugged_ = new QCheckBox("Pull the USB cable", this);
    missedHole_ = new QCheckBox("Sensor misses a hole", this);
    tooHot_ = new QCheckBox("Overheat the engine", this);
    stopped_ = new QCheckBox("Stop the engine", this);
    unplugged_->setChecked(p.faults.unplugged);
    missedHole_->setChecked(p.faults.missedHole);
    tooHot_->setChecked(p.faults.tooHot);
    stopped_->setChecked(p.faults.stopped);

    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    column->addLayout(form);
    form->addRow(new QLabel("Every capture taken now is SIMULATED.", this));
    form->addRow("Speed", speed_);
    form->addRow(new QLabel(EvaluableText(), this));
    form->addRow(speedWarning_);
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
    p.run = run_->settings();
    board_.SetParameters(p);
    speedWarning_->setVisible(p.rpm > analysis::kHighestEvaluableRpm);
}

}  // namespace corvane::ui
