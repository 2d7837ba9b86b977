#pragma once
// What every "Calibrate … from this capture" dialog has: the estimate's
// lines above a preview graph, Apply (which hands the estimate to its store
// and closes only when it was stored) and Cancel (which changes nothing). A
// capture the calibration cannot use is refused: its reason in the lines and
// Apply disabled.

#include <QDialog>
#include <QStringList>
#include <functional>

#include "text/number_format.h"

class QCustomPlot;
class QLabel;
class QPushButton;

namespace corvane::ui {

// The object names of a calibration's parts, for its tests and the manual.
struct CalibrationNames {
    const char* dialog;
    const char* estimate;
    const char* preview;
    const char* apply;
    const char* cancel;
};

class CalibrationDialog : public QDialog {
    Q_OBJECT
public:
    // Stores the estimate; false when it could not (the store has told the user why).
    using Apply = std::function<bool()>;

    CalibrationDialog(const QString& title, const CalibrationNames& names,
                      const QString& applyTip, QWidget* parent);

protected:
    // The estimate's lines, and what Apply does; without an Apply the
    // capture is refused and the button stays disabled.
    void setEstimate(const QStringList& lines, Apply apply);
    QCustomPlot* plot() const { return plot_; }

private:
    void apply();

    QLabel* text_;
    QCustomPlot* plot_;
    QPushButton* applyButton_;
    Apply apply_;
};

// A figure with its decimals in the user's number format.
QString CalibrationFigure(double value, int decimals, const text::NumberFormat& format);

}  // namespace corvane::ui
