#include "ui/performance/phase_calibration_dialog.h"

#include <qcustomplot.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "charts/graph_table.h"
#include "performance/uncertainty.h"
#include "text/decimal_text.h"

namespace corvane::ui {

namespace {

QString Fixed(double value, int decimals, const text::NumberFormat& fmt) {
    return QString::fromStdString(text::FixedText(value, decimals, fmt.decimalMark, fmt.grouping));
}

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
    QString estimate = "Phase offset " + Fixed(e.offsetDeg, 2, fmt);
    if (e.uncertaintyDeg) {
        estimate += " ± " + Fixed(performance::kCoverageFactor * *e.uncertaintyDeg, 2, fmt) +
                    "° (k = 2)";
    } else {
        estimate += "° (one cycle: no spread to judge it by)";
    }
    estimate += QString(" from %1 %2").arg(e.cycles).arg(e.cycles == 1 ? "cycle" : "cycles");
    QStringList lines{estimate,
                      "Work of the averaged loop: " + Fixed(preview.workBeforeMilliJ, 3, fmt) +
                          " mJ now, " + Fixed(preview.workAfterMilliJ, 3, fmt) +
                          " mJ corrected (a motored loop closes on itself: near zero)"};
    if (heaterW) {
        lines << "The heater was on (" + Fixed(*heaterW, 2, fmt) +
                     " W): calibrate on a motored grab, the engine turned with the heater off.";
    }
    return lines;
}

PhaseCalibrationDialog::PhaseCalibrationDialog(const performance::PhasePreview& preview,
                                               std::optional<double> heaterW,
                                               const text::NumberFormat& format, Store store,
                                               QWidget* parent)
    : QDialog(parent), preview_(preview), store_(std::move(store)) {
    setObjectName(QStringLiteral("phaseCalibrationDialog"));
    setWindowTitle(QStringLiteral("Calibrate phase from this capture"));
    auto* text = new QLabel(PhaseCalibrationLines(preview, heaterW, format).join('\n'), this);
    text->setObjectName(QStringLiteral("phaseEstimate"));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    plot_ = new QCustomPlot(this);
    plot_->setObjectName(QStringLiteral("phasePreview"));
    plot_->setMinimumSize(420, 300);
    showPreview(preview);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* apply = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    apply->setObjectName(QStringLiteral("applyPhase"));
    apply->setToolTip(QStringLiteral("Store the offset as [Performance] PhaseOffset"));
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelPhase"));
    connect(apply, &QPushButton::clicked, this, &PhaseCalibrationDialog::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(plot_, 1);
    layout->addWidget(buttons);
}

void PhaseCalibrationDialog::showPreview(const performance::PhasePreview& preview) {
    plot_->xAxis->setLabel(QStringLiteral("Volume (cu mm)"));
    plot_->yAxis->setLabel(QStringLiteral("Pressure (kPa, from the mean)"));
    LoopCurve(plot_, "Before", charts::graph_series::kGrey, preview.before);
    LoopCurve(plot_, "Corrected", charts::graph_series::kRed, preview.after);
    plot_->legend->setVisible(true);
    plot_->rescaleAxes();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void PhaseCalibrationDialog::apply() {
    if (store_ && store_(preview_.estimate.offsetDeg)) accept();
}

}  // namespace corvane::ui
