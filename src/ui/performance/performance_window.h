#pragma once
// The "Engine performance" window: the finer evaluation of the last capture
// beside the results table. A grab: every cycle's speed, work and indicated
// power, their mean, spread and COV, the efficiency beside its Carnot limit.
// A dyna: the power curve (power and torque against speed) with its maximum
// and each point's uncertainty band, and "Save curve…". With the bench's
// friction known, a grab's energy chain: heater → indicated → shaft + friction.
// The bench's calibrations from the capture shown: the crank phase from a
// motored grab, the friction from a dyna taken as a coast-down.
// Every figure's expanded uncertainty, and on request the table of its sources.
// A capture that cannot be evaluated shows why. Created hidden at start-up
// and kept for the run; closing it only hides it.

#include <QWidget>
#include <functional>
#include <optional>

#include "performance/performance.h"
#include "text/number_format.h"

class QCheckBox;
class QCPItemText;
class QLabel;
class QPushButton;

namespace corvane::charts {
class GraphPlot;
}

namespace corvane::ui {

class CopyableTable;

class PerformanceWindow : public QWidget {
    Q_OBJECT
public:
    explicit PerformanceWindow(text::NumberFormat format, QWidget* parent = nullptr);

    // Shows the evaluation of the capture just analysed.
    void showResult(const performance::PerformanceResult& result);
    // The result shown; none before the first analysis.
    const std::optional<performance::PerformanceResult>& result() const { return result_; }

    // The switch of the averaged loop over the PV graph; a change is signalled.
    bool averagedLoopShown() const;
    void setAveragedLoopShown(bool shown);
    // A capture taken from the simulated engine carries "SIMULATED" on its graph.
    void setSimulated(bool simulated);
    bool simulated() const;

    QLabel* headline() const { return headline_; }
    QLabel* uncertaintyText() const { return uncertainty_; }
    QCheckBox* budgetBox() const { return budgetShown_; }
    CopyableTable* budgetTable() const { return budget_; }
    QLabel* statusText() const { return status_; }
    CopyableTable* summaryTable() const { return summary_; }
    CopyableTable* pointsTable() const { return points_; }
    charts::GraphPlot* powerCurve() const { return curve_; }
    QCheckBox* averagedLoopBox() const { return averagedLoop_; }
    QLabel* loopClosureText() const { return loopClosure_; }
    QPushButton* calibratePhaseButton() const { return calibratePhase_; }

    // Where "Calibrate phase from this capture" stores an applied offset;
    // false when it could not (the store tells the user why).
    void setPhaseStore(std::function<bool(double offsetDeg)> store) { phaseStore_ = std::move(store); }
    // Where "Calibrate friction from this capture" stores an applied fit, alike.
    void setFrictionStore(std::function<bool(const performance::FrictionModel&)> store) {
        frictionStore_ = std::move(store);
    }
    QLabel* energyText() const { return energy_; }
    QPushButton* saveCurveButton() const { return saveCurve_; }

signals:
    void averagedLoopToggled(bool shown);
    // F1 in the window: the manual's engine-performance page.
    void helpRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createUncertainty();
    void createPowerCurve();
    void createCurveSaveAndEnergy();
    void layOut();
    void showCurve(const performance::PerformanceResult& result);
    void createCalibrations();
    void createCalibrationButtons();
    void showCalibrations(const performance::PerformanceResult& result);
    void calibratePhase();
    void calibrateFriction();
    void showBand(const performance::PerformanceResult& result);
    void showEnergy(const performance::PerformanceResult& result);

    text::NumberFormat format_;
    std::optional<performance::PerformanceResult> result_;
    QLabel* headline_;
    QLabel* uncertainty_;
    QLabel* status_;
    CopyableTable* summary_;
    QCheckBox* budgetShown_;
    CopyableTable* budget_;
    QLabel* pointsTitle_;
    CopyableTable* points_;
    charts::GraphPlot* curve_;
    QCPItemText* simulatedMark_;
    QCheckBox* averagedLoop_;
    QLabel* loopClosure_;
    QPushButton* calibratePhase_;
    QLabel* phaseNote_;
    std::function<bool(double)> phaseStore_;
    QPushButton* calibrateFriction_;
    QLabel* frictionNote_;
    std::function<bool(const performance::FrictionModel&)> frictionStore_;
    QLabel* energy_;
    QPushButton* saveCurve_;
};

}  // namespace corvane::ui
