#include "ui/performance/performance_window.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "charts/chart_setup.h"
#include "charts/graph_plot.h"
#include "text/decimal_text.h"
#include "performance/energy_text.h"
#include "ui/performance/copyable_table.h"
#include "ui/performance/curve_export.h"
#include "ui/performance/performance_texts.h"
#include "ui/performance/transducer_texts.h"
#include "ui/performance/uncertainty_texts.h"

namespace corvane::ui {

// The look every graph of the program shares.
using charts::AddSeries;
using charts::AddSimulatedMark;
using charts::GraphPlot;
using charts::PlotTitles;
using charts::SeriesKind;
using charts::SeriesLook;
using charts::SetUpPlotLook;
namespace graph_series = charts::graph_series;

namespace {

// The power curve as the main window draws power and torque: power blue on
// the left axis, torque red on the right, and the highest point marked.
// Each point's band (k = 2) dotted either side of its line.
enum CurveSeries {
    kCurvePower = 0,
    kCurveTorque,
    kCurveMaximum,
    kPowerHigh,
    kPowerLow,
    kTorqueHigh,
    kTorqueLow
};

constexpr SeriesLook kCurveLooks[] = {
    {SeriesKind::Line, graph_series::kBlue, 1.0},
    {SeriesKind::Line, graph_series::kRed, 1.0, false, true},
    {SeriesKind::Squares, graph_series::kBlue, 7.0},
    {SeriesKind::Line, graph_series::kBlue, 1.0, true},
    {SeriesKind::Line, graph_series::kBlue, 1.0, true},
    {SeriesKind::Line, graph_series::kRed, 1.0, true, true},
    {SeriesKind::Line, graph_series::kRed, 1.0, true, true},
};

constexpr PlotTitles kCurveTitles{"Power and Torque against Speed",
                                  "Speed (rpm)",
                                  "Power (milli watts)",
                                  graph_series::kBlue,
                                  "Torque (milli Nm)",
                                  graph_series::kRed};

void SetSeries(QCPGraph* graph, QVector<double> keys, QVector<double> values) {
    // Sorted by speed, like every series of the program.
    graph->setData(std::move(keys), std::move(values), false);
}

void FitHeightToRows(CopyableTable* table) {
    int height = table->horizontalHeader()->height() + 2 * table->frameWidth();
    for (int r = 0; r < table->rowCount(); ++r) height += table->rowHeight(r);
    table->setFixedHeight(height);
}

// The analysis' status in bold red, hidden while there is none.
QLabel* StatusLabel(QWidget* parent) {
    auto* status = new QLabel(parent);
    status->setObjectName(QStringLiteral("status"));
    status->setWordWrap(true);
    QFont font = status->font();
    font.setBold(true);
    status->setFont(font);
    QPalette palette = status->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    status->setPalette(palette);
    status->hide();
    return status;
}

}  // namespace

PerformanceWindow::PerformanceWindow(text::NumberFormat format, QWidget* parent)
    : QWidget(parent, Qt::Window), format_(std::move(format)) {
    setObjectName(QStringLiteral("performanceForm"));
    setWindowTitle(QStringLiteral("Engine performance"));
    setGeometry(420, 150, 540, 720);
    setAttribute(Qt::WA_QuitOnClose, false);

    headline_ = new QLabel(QStringLiteral("No capture evaluated yet."), this);
    headline_->setObjectName(QStringLiteral("headline"));
    headline_->setWordWrap(true);
    headline_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    createUncertainty();
    status_ = StatusLabel(this);

    summary_ = new CopyableTable(this);
    summary_->setObjectName(QStringLiteral("SummaryTable"));
    summary_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    createPowerCurve();
    createCurveSaveAndEnergy();
    pointsTitle_ = new QLabel(this);
    pointsTitle_->setObjectName(QStringLiteral("pointsTitle"));
    points_ = new CopyableTable(this);
    points_->setObjectName(QStringLiteral("PointsTable"));

    averagedLoop_ = new QCheckBox(QStringLiteral("Averaged loop on the PV graph"), this);
    averagedLoop_->setObjectName(QStringLiteral("AveragedLoopCB"));
    averagedLoop_->setToolTip(
        QStringLiteral("Draw the loop averaged over every cycle of a grab over the PV points"));
    connect(averagedLoop_, &QCheckBox::toggled, this, &PerformanceWindow::averagedLoopToggled);
    createCalibrations();
    layOut();

    // Before the first analysis: the headings of a grab, no figures.
    summary_->setContents(TableText{{"Figure", "Value", "Unit"}, {}});
    FitHeightToRows(summary_);
    pointsTitle_->setText(QStringLiteral("Cycles"));
    points_->setContents(PointsTable(performance::PerformanceResult{}, format_));
}

void PerformanceWindow::createUncertainty() {
    uncertainty_ = new QLabel(this);
    uncertainty_->setObjectName(QStringLiteral("uncertainty"));
    uncertainty_->setWordWrap(true);
    uncertainty_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    uncertainty_->hide();

    budgetShown_ = new QCheckBox(QStringLiteral("Show the uncertainty budget"), this);
    budgetShown_->setObjectName(QStringLiteral("BudgetCB"));
    budgetShown_->setToolTip(
        QStringLiteral("What each source contributes to each figure's uncertainty"));
    budget_ = new CopyableTable(this);
    budget_->setObjectName(QStringLiteral("BudgetTable"));
    budget_->hide();
    connect(budgetShown_, &QCheckBox::toggled, budget_, &QWidget::setVisible);
}

void PerformanceWindow::createCurveSaveAndEnergy() {
    saveCurve_ = new QPushButton(QStringLiteral("Save curve\u2026"), this);
    saveCurve_->setObjectName(QStringLiteral("SaveCurveButton"));
    saveCurve_->setToolTip(
        QStringLiteral("Save the power curve, point by point with its uncertainty, as CSV"));
    saveCurve_->hide();
    connect(saveCurve_, &QPushButton::clicked, this, [this] {
        if (result_) SaveCurveAsked(this, result_->curve);
    });
    energy_ = new QLabel(this);
    energy_->setObjectName(QStringLiteral("energyChain"));
    energy_->setWordWrap(true);
    energy_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    energy_->hide();
}

void PerformanceWindow::createPowerCurve() {
    curve_ = new GraphPlot(this);
    curve_->setObjectName(QStringLiteral("PowerCurve"));
    SetUpPlotLook(*curve_, kCurveTitles);
    for (const SeriesLook& look : kCurveLooks) AddSeries(*curve_, look);
    simulatedMark_ = AddSimulatedMark(*curve_);
    // The maximum's square often sits on the data's corner: room to show it whole.
    curve_->setAutomaticRoom(0.05);
    curve_->setMinimumHeight(260);
    curve_->hide();
}

void PerformanceWindow::layOut() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(headline_);
    layout->addWidget(uncertainty_);
    layout->addWidget(energy_);
    layout->addWidget(status_);
    layout->addWidget(loopClosure_);
    layout->addWidget(summary_);
    layout->addWidget(budgetShown_);
    layout->addWidget(budget_, 1);
    layout->addWidget(curve_, 2);
    layout->addWidget(saveCurve_, 0, Qt::AlignLeft);
    layout->addWidget(pointsTitle_);
    layout->addWidget(points_, 1);
    layout->addWidget(averagedLoop_);
    layout->addWidget(calibratePhase_);
    layout->addWidget(phaseNote_);
    layout->addWidget(calibrateFriction_);
    layout->addWidget(frictionNote_);
}

void PerformanceWindow::showResult(const performance::PerformanceResult& result) {
    result_ = result;
    headline_->setText(HeadlineLines(result, format_).join('\n'));
    const QString status = PerformanceStatusText(result);
    status_->setText(status);
    status_->setVisible(!status.isEmpty());
    const QStringList uncertain = UncertaintyLines(result, format_);
    uncertainty_->setText(uncertain.join('\n'));
    uncertainty_->setVisible(!uncertain.isEmpty());
    const QString open = LoopClosureWarning(result, format_);
    loopClosure_->setText(open);
    loopClosure_->setVisible(!open.isEmpty());
    TableText summary = SummaryTable(result, format_);
    AddGaugePressureRow(summary, result, format_);
    summary_->setContents(summary);
    FitHeightToRows(summary_);
    budget_->setContents(BudgetTable(result, format_));
    pointsTitle_->setText(result.isDyna ? QStringLiteral("Power curve, at every flywheel hole")
                                        : QStringLiteral("Cycles"));
    TableText points = PointsTable(result, format_);
    AddLoopClosureColumn(points, result, format_);
    points_->setContents(points);
    showEnergy(result);
    // The averaged loop is a grab's; a dyna draws no PV graph to put it on.
    averagedLoop_->setVisible(!result.isDyna);
    showCurve(result);
    showCalibrations(result);
}

void PerformanceWindow::showEnergy(const performance::PerformanceResult& result) {
    QStringList lines;
    if (result.energy) {
        lines.append(QString::fromStdString(performance::EnergyChainSummary(*result.energy, format_)));
        for (const auto& line : performance::EnergyChainLines(*result.energy, format_)) {
            lines.append(QString::fromStdString(line.label + ": " + line.value));
        }
    }
    energy_->setText(lines.join('\n'));
    energy_->setVisible(!lines.isEmpty());
}

// The band of every point, in the curve's own order (by speed when drawn).
void PerformanceWindow::showBand(const performance::PerformanceResult& result) {
    QVector<double> rpm, powerHigh, powerLow, torqueHigh, torqueLow;
    for (const performance::CurvePoint& p : result.curve) {
        rpm.append(p.rpm);
        powerHigh.append(p.powerMilliW + p.powerUMilliW);
        powerLow.append(p.powerMilliW - p.powerUMilliW);
        torqueHigh.append(p.torqueMilliNm + p.torqueUMilliNm);
        torqueLow.append(p.torqueMilliNm - p.torqueUMilliNm);
    }
    SetSeries(curve_->graph(kPowerHigh), rpm, powerHigh);
    SetSeries(curve_->graph(kPowerLow), rpm, powerLow);
    SetSeries(curve_->graph(kTorqueHigh), rpm, torqueHigh);
    SetSeries(curve_->graph(kTorqueLow), rpm, torqueLow);
    saveCurve_->setVisible(!result.curve.empty());
}

void PerformanceWindow::showCurve(const performance::PerformanceResult& result) {
    QVector<double> rpm, power, torque, maxRpm, maxPower;
    for (const performance::DynaPoint& p : result.dynaPoints) {
        rpm.append(p.rpm);
        power.append(p.powerMilliW);
        torque.append(p.torqueMilliNm);
    }
    if (result.dyna && !result.dynaPoints.empty()) {
        maxRpm.append(result.dyna->rpmAtMaxPower);
        maxPower.append(result.dyna->maxPowerMilliW);
    }
    SetSeries(curve_->graph(kCurvePower), rpm, power);
    SetSeries(curve_->graph(kCurveTorque), rpm, torque);
    SetSeries(curve_->graph(kCurveMaximum), maxRpm, maxPower);
    showBand(result);
    // Every new capture is first shown whole.
    curve_->setHorizontalAutomatic(true);
    curve_->setVerticalAutomatic(true);
    // A dyna that gave no curve says why in the status line; an empty graph would not.
    const bool shown = !result.dynaPoints.empty();
    curve_->setVisible(shown);
    if (shown) curve_->replot(QCustomPlot::rpQueuedReplot);
}

// The loop-closure warning, and the calibrations' buttons and notes.
void PerformanceWindow::createCalibrations() {
    loopClosure_ = StatusLabel(this);
    loopClosure_->setObjectName(QStringLiteral("loopClosure"));
    createCalibrationButtons();
}

bool PerformanceWindow::averagedLoopShown() const { return averagedLoop_->isChecked(); }

void PerformanceWindow::setAveragedLoopShown(bool shown) { averagedLoop_->setChecked(shown); }

void PerformanceWindow::setSimulated(bool simulated) {
    simulatedMark_->setVisible(simulated);
    curve_->replot(QCustomPlot::rpQueuedReplot);
}

bool PerformanceWindow::simulated() const { return simulatedMark_->visible(); }

void PerformanceWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        emit helpRequested();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace corvane::ui
