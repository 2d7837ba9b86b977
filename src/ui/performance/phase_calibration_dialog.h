#pragma once
// "Calibrate phase from this capture": the crank-phase offset estimated from
// the motored grab the Engine performance window shows, with its uncertainty,
// and a preview of its averaged loop before and after the correction. Apply
// hands the offset to the store (the settings file's [Performance]
// PhaseOffset); Cancel leaves everything as it was.

#include <functional>

#include "performance/phase_preview.h"
#include "text/number_format.h"
#include "ui/performance/calibration_dialog.h"

namespace corvane::ui {

class PhaseCalibrationDialog : public CalibrationDialog {
    Q_OBJECT
public:
    // Stores an offset; false when it could not (the store has told the user why).
    using Store = std::function<bool(double offsetDeg)>;

    PhaseCalibrationDialog(const performance::PhasePreview& preview, std::optional<double> heaterW,
                           const text::NumberFormat& format, Store store, QWidget* parent);

    double offsetDeg() const { return preview_.estimate.offsetDeg; }

private:
    void showPreview(const performance::PhasePreview& preview);

    performance::PhasePreview preview_;
};

// The lines above the preview: the estimate with its expanded uncertainty,
// the loop's work before and after, and a warning when the heater was on.
QStringList PhaseCalibrationLines(const performance::PhasePreview& preview,
                                  std::optional<double> heaterW, const text::NumberFormat& format);

}  // namespace corvane::ui
