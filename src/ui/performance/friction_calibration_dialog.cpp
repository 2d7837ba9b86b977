#include "ui/performance/friction_calibration_dialog.h"

#include <qcustomplot.h>

#include <algorithm>

#include "charts/graph_table.h"

namespace corvane::ui {

namespace {

constexpr CalibrationNames kFrictionNames{"frictionCalibrationDialog", "frictionFit",
                                          "frictionPreview", "applyFriction", "cancelFriction"};

QCPGraph* AddGraph(QCustomPlot* plot, const char* name, QRgb colour) {
    QCPGraph* graph = plot->addGraph();
    graph->setName(QString::fromUtf8(name));
    QPen pen{QColor(colour)};
    pen.setWidthF(2.0);
    graph->setPen(pen);
    return graph;
}

// Every point of the curve: the torque slowing the flywheel, I |alpha|.
void AddMeasured(QCustomPlot* plot, const std::vector<performance::DynaPoint>& points) {
    QCPGraph* measured = AddGraph(plot, "Measured", charts::graph_series::kBlue);
    measured->setLineStyle(QCPGraph::lsNone);
    measured->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
    QVector<double> rpm, retarding;
    for (const performance::DynaPoint& p : points) {
        rpm.append(p.rpm);
        retarding.append(-p.torqueMilliNm);
    }
    measured->setData(rpm, retarding);
}

// The fitted line across the speeds it was fitted over.
void AddFitted(QCustomPlot* plot, const performance::FrictionFit& fit) {
    const double low = std::min(fit.rpmFrom, fit.rpmTo);
    const double high = std::max(fit.rpmFrom, fit.rpmTo);
    AddGraph(plot, "a + b n", charts::graph_series::kRed)
        ->setData({low, high}, {fit.model.TorqueMilliNm(low), fit.model.TorqueMilliNm(high)});
}

}  // namespace

QStringList FrictionCalibrationLines(const performance::FrictionFitResult& result,
                                     const text::NumberFormat& fmt) {
    if (!result.fit) {
        return {"Not a coast-down this calibration can use: " +
                    QString::fromUtf8(performance::FrictionFitStatusText(result.status).data()) + ".",
                QStringLiteral("Take a dyna while the engine slows with nothing driving it "
                               "(heater off, or the displacer unhooked).")};
    }
    const performance::FrictionFit& f = *result.fit;
    return {"a = " + CalibrationFigure(f.model.aMilliNm, 3, fmt) + " mN\u00b7m, b = " +
                CalibrationFigure(f.model.bMilliNmPerKrpm, 3, fmt) +
                " mN\u00b7m per 1000 rpm, from " + CalibrationFigure(f.rpmFrom, 0, fmt) + " to " +
                CalibrationFigure(f.rpmTo, 0, fmt) + " rpm",
            QString("Fitted to %1 points: the retarding torque I\u00b7|\u03b1| against speed n "
                    "as a + b n.")
                .arg(f.points)};
}

FrictionCalibrationDialog::FrictionCalibrationDialog(
    const performance::PerformanceResult& coastDown, const text::NumberFormat& format,
    Store store, QWidget* parent)
    : CalibrationDialog(QStringLiteral("Calibrate friction from this capture"), kFrictionNames,
                        QStringLiteral("Store the fit as [Performance] FrictionA and FrictionB"),
                        parent) {
    const performance::FrictionFitResult fit = performance::FitFriction(coastDown);
    showPreview(coastDown, fit);
    Apply apply;
    if (fit.fit) {
        apply = [store = std::move(store), model = fit.fit->model] { return store && store(model); };
    }
    setEstimate(FrictionCalibrationLines(fit, format), std::move(apply));
}

void FrictionCalibrationDialog::showPreview(const performance::PerformanceResult& coastDown,
                                            const performance::FrictionFitResult& fit) {
    QCustomPlot* graph = plot();
    graph->xAxis->setLabel(QStringLiteral("Speed (rpm)"));
    graph->yAxis->setLabel(QStringLiteral("Retarding torque (milli Nm)"));
    AddMeasured(graph, coastDown.dynaPoints);
    if (fit.fit) AddFitted(graph, *fit.fit);
    graph->legend->setVisible(true);
    graph->rescaleAxes();
    graph->replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace corvane::ui
