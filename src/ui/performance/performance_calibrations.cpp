// The Engine performance window's calibrations from the capture it shows:
// their buttons, their dialogs and the note that a calibration was stored.

#include <QLabel>
#include <QPushButton>

#include "text/decimal_text.h"
#include "ui/performance/friction_calibration_dialog.h"
#include "ui/performance/performance_window.h"
#include "ui/performance/phase_calibration_dialog.h"

namespace corvane::ui {

namespace {

QPushButton* CalibrationButton(const QString& text, const char* name, const QString& tip,
                               QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(tip);
    button->setEnabled(false);
    return button;
}

QLabel* CalibrationNote(const char* name, QWidget* parent) {
    auto* note = new QLabel(parent);
    note->setObjectName(QString::fromLatin1(name));
    note->setWordWrap(true);
    note->hide();
    return note;
}

// Said in the window once stored, for the next evaluation to use.
void ShowStored(QLabel* note, const QString& what) {
    note->setText(what + " stored in the settings file; the capture is evaluated with it.");
    note->show();
}

void OpenDialog(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

}  // namespace

void PerformanceWindow::createCalibrationButtons() {
    calibratePhase_ = CalibrationButton(
        QStringLiteral("Calibrate phase from this capture"), "CalibratePhaseButton",
        QStringLiteral("From a grab of the engine turned with the heater off: the offset of the "
                       "wide hole from maximum volume, with a preview of the corrected loop"),
        this);
    connect(calibratePhase_, &QPushButton::clicked, this, &PerformanceWindow::calibratePhase);
    phaseNote_ = CalibrationNote("phaseNote", this);
    calibrateFriction_ = CalibrationButton(
        QStringLiteral("Calibrate friction from this capture"), "CalibrateFrictionButton",
        QStringLiteral("From a dyna taken while the engine slows with nothing driving it: the "
                       "friction torque a + b n, with a preview of the fit"),
        this);
    connect(calibrateFriction_, &QPushButton::clicked, this, &PerformanceWindow::calibrateFriction);
    frictionNote_ = CalibrationNote("frictionNote", this);
}

void PerformanceWindow::showCalibrations(const performance::PerformanceResult& result) {
    calibratePhase_->setEnabled(performance::PreviewPhaseCalibration(result).has_value());
    // Any dyna may be tried: one that is not a coast-down is refused with its reason.
    calibrateFriction_->setEnabled(result.isDyna);
}

void PerformanceWindow::calibratePhase() {
    if (!result_) return;
    const auto preview = performance::PreviewPhaseCalibration(*result_);
    if (!preview) return;
    auto store = [this](double offsetDeg) {
        if (!phaseStore_ || !phaseStore_(offsetDeg)) return false;
        ShowStored(phaseNote_,
                   "PhaseOffset " +
                       QString::fromStdString(text::FixedText(offsetDeg, 2, format_.decimalMark, "")) +
                       "°");
        return true;
    };
    OpenDialog(new PhaseCalibrationDialog(*preview, result_->efficiency.heaterPowerW, format_,
                                          store, this));
}

void PerformanceWindow::calibrateFriction() {
    if (!result_) return;
    auto store = [this](const performance::FrictionModel& friction) {
        if (!frictionStore_ || !frictionStore_(friction)) return false;
        ShowStored(frictionNote_, QStringLiteral("FrictionA and FrictionB"));
        return true;
    };
    OpenDialog(new FrictionCalibrationDialog(*result_, format_, store, this));
}

}  // namespace corvane::ui
