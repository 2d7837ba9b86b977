#include "ui/engine_run_controls.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace corvane::ui {

namespace {

constexpr int kAt = 0, kHeater = 1, kLoad = 2;

QDoubleSpinBox* Spin(QWidget* parent, double min, double max, double step, int decimals,
                     double value, const QString& suffix) {
    auto* spin = new QDoubleSpinBox(parent);
    spin->setRange(min, max);
    spin->setSingleStep(step);
    spin->setDecimals(decimals);
    spin->setValue(value);
    spin->setSuffix(suffix);
    spin->setKeyboardTracking(false);
    return spin;
}

// Beside a check box, the value it switches on.
QWidget* Pair(QWidget* parent, QWidget* first, QWidget* second, QWidget* third = nullptr) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : {first, second, third})
        if (w) row->addWidget(w);
    row->addStretch(1);
    return box;
}

}  // namespace

EngineRunControls::EngineRunControls(const daq::EngineRunSettings& run, QWidget* parent)
    : QGroupBox("Run (taken when a recording starts)", parent) {
    setObjectName("EngineRunControls");
    warmUp_ = new QCheckBox("Warm up from cold", this);
    warmUp_->setChecked(run.warmUp);
    warmUpMinutes_ = Spin(this, 0.1, 600, 0.5, 1, run.warmUpMinutes, " min");
    warmUpMinutes_->setToolTip("time constant of the hot end's temperature");
    drift_ = Spin(this, -100, 100, 0.5, 1, run.driftKPerHour, " K/h");
    speedUp_ = Spin(this, 0.01, 100000, 1, 2, run.speedUp, " \u00d7");
    speedUp_->setToolTip("simulated seconds per real second");
    overrun_ = new QCheckBox("Overrun the buffer once at", this);
    overrun_->setChecked(run.overrunAtS >= 0 && run.overrunS > 0);
    overrunAt_ = Spin(this, 0, 1e6, 10, 0, std::max(run.overrunAtS, 60.0), " s");
    overrunLength_ = Spin(this, 0.1, 3600, 1, 1, run.overrunS > 0 ? run.overrunS : 2.0, " s lost");
    coastDown_ = new QCheckBox("Coast down from", this);
    coastDown_->setObjectName("CoastDownCB");
    coastDown_->setToolTip("heater off and displacer unhooked: the flywheel slows against its "
                           "friction alone (take a Dyna then to calibrate friction)");
    coastDown_->setChecked(run.coastDownAtS >= 0);
    coastDownAt_ = Spin(this, 0, 1e6, 10, 0, std::max(run.coastDownAtS, 60.0), " s");
    coastDownAt_->setObjectName("CoastDownAt");

    auto* form = new QFormLayout(this);
    form->addRow(Pair(this, warmUp_, new QLabel("time constant", this), warmUpMinutes_));
    form->addRow("Drift of the hot end", drift_);
    form->addRow("Speed-up", speedUp_);
    form->addRow(Pair(this, overrun_, overrunAt_, overrunLength_));
    form->addRow(Pair(this, coastDown_, coastDownAt_));
    form->addRow(buildSteps(run.steps));
    for (QCheckBox* box : {warmUp_, overrun_, coastDown_})
        connect(box, &QCheckBox::toggled, this, &EngineRunControls::changed);
    for (QDoubleSpinBox* spin :
         {warmUpMinutes_, drift_, speedUp_, overrunAt_, overrunLength_, coastDownAt_})
        connect(spin, &QDoubleSpinBox::valueChanged, this, &EngineRunControls::changed);
}

QWidget* EngineRunControls::buildSteps(const std::vector<daq::RunStep>& steps) {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new QLabel("Steps: from the given minute on, heater and load take these "
                                 "values (0 W switches the heater off)",
                                 box));
    steps_ = new QTableWidget(0, 3, box);
    steps_->setObjectName("RunSteps");
    steps_->setHorizontalHeaderLabels({"At (min)", "Heater (W)", "Load (mNm)"});
    steps_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    steps_->setMinimumHeight(120);
    column->addWidget(steps_);
    auto* add = new QPushButton("Add step", box);
    auto* remove = new QPushButton("Remove step", box);
    column->addWidget(Pair(box, add, remove));
    connect(add, &QPushButton::clicked, this, [this] {
        const int rows = steps_->rowCount();
        const daq::EngineRunSettings now = settings();
        const double after = rows == 0 ? 5.0 : cell(rows - 1, kAt) + 5.0;
        addStep(after, now.steps.empty() ? 4.0 : now.steps.back().heaterPowerW,
                now.steps.empty() ? 1.0 : now.steps.back().loadMilliNm);
    });
    connect(remove, &QPushButton::clicked, this, &EngineRunControls::removeStep);
    for (const daq::RunStep& step : steps)
        addStep(step.atS / 60.0, step.heaterPowerW, step.loadMilliNm);
    return box;
}

void EngineRunControls::addStep(double atMinutes, double heaterW, double loadMilliNm) {
    const int row = steps_->rowCount();
    steps_->insertRow(row);
    const auto put = [&](int column, QDoubleSpinBox* spin) {
        spin->setFrame(false);
        steps_->setCellWidget(row, column, spin);
        connect(spin, &QDoubleSpinBox::valueChanged, this, &EngineRunControls::changed);
    };
    put(kAt, Spin(steps_, 0, 10000, 1, 2, atMinutes, ""));
    put(kHeater, Spin(steps_, 0, 20, 0.5, 1, heaterW, ""));
    put(kLoad, Spin(steps_, 0, 1000, 0.5, 1, loadMilliNm, ""));
    emit changed();
}

void EngineRunControls::removeStep() {
    const int row = steps_->currentRow() >= 0 ? steps_->currentRow() : steps_->rowCount() - 1;
    if (row < 0) return;
    steps_->removeRow(row);
    emit changed();
}

double EngineRunControls::cell(int row, int column) const {
    const auto* spin = qobject_cast<const QDoubleSpinBox*>(steps_->cellWidget(row, column));
    return spin ? spin->value() : 0.0;
}

daq::EngineRunSettings EngineRunControls::settings() const {
    daq::EngineRunSettings run;
    run.warmUp = warmUp_->isChecked();
    run.warmUpMinutes = warmUpMinutes_->value();
    run.driftKPerHour = drift_->value();
    run.speedUp = speedUp_->value();
    if (overrun_->isChecked()) {
        run.overrunAtS = overrunAt_->value();
        run.overrunS = overrunLength_->value();
    }
    if (coastDown_->isChecked()) run.coastDownAtS = coastDownAt_->value();
    for (int row = 0; row < steps_->rowCount(); ++row)
        run.steps.push_back({cell(row, kAt) * 60.0, cell(row, kHeater), cell(row, kLoad)});
    std::stable_sort(run.steps.begin(), run.steps.end(),
                     [](const daq::RunStep& a, const daq::RunStep& b) { return a.atS < b.atS; });
    return run;
}

}  // namespace corvane::ui
