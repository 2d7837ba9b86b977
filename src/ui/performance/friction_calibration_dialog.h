#pragma once
// "Calibrate friction from this capture": the friction torque a + b n fitted
// to the dyna the Engine performance window shows, taken as a coast-down,
// with a preview of the measured retarding torque against speed and the
// fitted line. Apply hands the fit to the store (the settings file's
// [Performance] FrictionA and FrictionB); a capture that is not a coast-down
// is refused with its reason.

#include <functional>

#include "performance/friction_fit.h"
#include "text/number_format.h"
#include "ui/performance/calibration_dialog.h"

namespace corvane::ui {

class FrictionCalibrationDialog : public CalibrationDialog {
    Q_OBJECT
public:
    // Stores a fit; false when it could not (the store has told the user why).
    using Store = std::function<bool(const performance::FrictionModel& friction)>;

    FrictionCalibrationDialog(const performance::PerformanceResult& coastDown,
                              const text::NumberFormat& format, Store store, QWidget* parent);

private:
    void showPreview(const performance::PerformanceResult& coastDown,
                     const performance::FrictionFitResult& fit);
};

// The lines above the preview: the fit and its speed range, or why there is none.
QStringList FrictionCalibrationLines(const performance::FrictionFitResult& fit,
                                     const text::NumberFormat& format);

}  // namespace corvane::ui
