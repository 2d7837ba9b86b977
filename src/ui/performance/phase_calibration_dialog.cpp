#include "ui/performance/phase_calibration_dialog.h"

#include <qcustomplot.h>

#include "charts/graph_table.h"
#include "performance/uncertainty.h"

namespace corvane::ui {

namespace {

constexpr CalibrationNames kPhaseNames{"phaseCalibrationDialog", "phaseEstimate", "phasePreview",
                                       "applyPhase", "cancelPhase"};

QCPCurve* LoopCurve(QCustomPlot* plot, const char* name, QRgb colour,
                    const std::vector<performance::LoopPoint>& loop) {
    auto* curve = new QCPCurve(plot->xAxis, plot->yAxis);
    curve->setName(QString::fromUtf8(name));
    QPen pen{QColor(colour)};
    pen.setWidthF(2.0);
    curve->setPen(pen);
    QVector<double> volume, pressure;
    for (const performance::LoopPoint& p : loop) {
        volume.append(p.volumeMm3);
        pressure.append(p.pressureKpa);
    }
    // Closed: back to the first point.
    if (!loop.empty()) {
        volume.append(loop.front().volumeMm3);
        pressure.append(loop.front().pressureKpa);
    }
    curve->setData(volume, pressure);
    return curve;
}

}  // namespace

QStringList PhaseCalibrationLines(const performance::PhasePreview& preview,
                                  std::optional<double> heaterW, const text::NumberFormat& fmt) {
    const performance::PhaseEstimate& e = preview.estimate;
    QString estimate = "Phase offset " + CalibrationFigure(e.offsetDeg, 2, fmt);
    if (e.uncertaintyDeg) {
        estimate += " ± " + CalibrationFigure(performance::kCoverageFactor * *e.uncertaintyDeg, 2, fmt) +
                    "° (k = 2)";
    } else {
        estimate += "° (one cycle: no spread to judge it by)";
    }
    estimate += QString(" from %1 %2").arg(e.cycles).arg(e.cycles == 1 ? "cycle" : "cycles");
    QStringList lines{estimate,
                      "Work of the averaged loop: " + CalibrationFigure(preview.workBeforeMilliJ, 3, fmt) +
                          " mJ now, " + CalibrationFigure(preview.workAfterMilliJ, 3, fmt) +
                          " mJ corrected (a motored loop closes on itself: near zero)"};
    if (heaterW) {
        lines << "The heater was on (" + CalibrationFigure(*heaterW, 2, fmt) +
                     " W): calibrate on a motored grab, the engine turned with the heater off.";
    }
    return lines;
}

PhaseCalibrationDialog::PhaseCalibrationDialog(const performance::PhasePreview& preview,
                                               std::optional<double> heaterW,
                                               const text::NumberFormat& format, Store store,
                                               QWidget* parent)
    : CalibrationDialog(QStringLiteral("Calibrate phase from this capture"), kPhaseNames,
                        QStringLiteral("Store the offset as [Performance] PhaseOffset"), parent),
      preview_(preview) {
    showPreview(preview);
    setEstimate(PhaseCalibrationLines(preview, heaterW, format),
                [store = std::move(store), offset = preview.estimate.offsetDeg] {
                    return store && store(offset);
                });
}

void PhaseCalibrationDialog::showPreview(const performance::PhasePreview& preview) {
    QCustomPlot* loops = plot();
    loops->xAxis->setLabel(QStringLiteral("Volume (cu mm)"));
    loops->yAxis->setLabel(QStringLiteral("Pressure (kPa, from the mean)"));
    LoopCurve(loops, "Before", charts::graph_series::kGrey, preview.before);
    LoopCurve(loops, "Corrected", charts::graph_series::kRed, preview.after);
    loops->legend->setVisible(true);
    loops->rescaleAxes();
    loops->replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace corvane::ui
