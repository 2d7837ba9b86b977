// The Engine performance window on the main window: its button and key, how
// it follows every capture, the averaged loop over the PV graph and its
// switch in the settings file, and copying its tables to a spreadsheet.

#include <qcustomplot.h>

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "charts/chart_stack.h"
#include "charts/graph_plot.h"
#include "scripted_board.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/help/help_viewer.h"
#include "ui/performance/copyable_table.h"
#include "ui/performance/performance_window.h"
#include "ui/recorder/recorder_window.h"
#include "ui/results_table.h"
#include "ui/scan_progress.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::charts;
using namespace corvane::ui::test;

namespace {

daq::ScriptedBoard::Scan Samples(std::vector<std::uint16_t> samples) {
    return daq::ScriptedBoard::Scan{daq::kNoErrors, std::move(samples)};
}

void Import(Harness& h, const QString& path) {
    h.user->openAnswers = {path};
    h.form->ImportButtonClick();
    QVERIFY2(h.user->errors.empty(), h.user->errors.empty() ? "" : qPrintable(h.user->errors[0]));
}

// The text of the summary table's value beside a figure's name.
QString SummaryValue(const PerformanceWindow* w, const QString& figure) {
    const CopyableTable* t = w->summaryTable();
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->item(r, 0)->text() == figure) return t->item(r, 1)->text();
    return "(no row " + figure + ")";
}

QCPRange RangeOf(QCPAxis* axis) { return axis->range(); }

}  // namespace

class EnginePerformanceTest : public QObject {
    Q_OBJECT
private slots:
    void buttonAndKeyOpenTheWindowAndMoveNothing();
    void windowFollowsGrabDynaImportAndRerun();
    void averagedLoopOverThePvGraphOnlyWhenSwitchedOn();
    void switchIsKeptInTheProgramsOwnSection();
    void uncertaintyFromTheSettingsBudget();
    void tablesCopyAsSpreadsheetCells_data();
    void tablesCopyAsSpreadsheetCells();
};

void EnginePerformanceTest::buttonAndKeyOpenTheWindowAndMoveNothing() {
    Harness h;
    h.start();
    QApplication::setActiveWindow(h.form.get());
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    ControlPanel* p = Panel1(*h.form);
    PerformanceWindow* w = PerformanceForm();
    QCOMPARE(w->windowTitle(), QString("Engine performance"));
    QVERIFY(w->isHidden());
    QVERIFY(!w->testAttribute(Qt::WA_QuitOnClose));
    QVERIFY(!w->averagedLoopShown());  // off by default

    // The specified controls keep their designed places (a caption wider with
    // our font may widen a control, never move it).
    const struct {
        QWidget* control;
        QRect bounds;
    } designed[] = {
        {p->GrabButton, {16, 8, 57, 20}},     {p->ContinuousCB, {17, 33, 73, 17}},
        {p->DynaButton, {16, 58, 57, 20}},    {p->ExportButton, {16, 84, 57, 20}},
        {p->ImportButton, {16, 109, 57, 20}}, {p->MultipleButton, {16, 133, 57, 20}},
        {p->HelpButton, {16, 158, 57, 20}},   {p->QuitButton, {16, 184, 57, 20}},
        {p->Button1, {88, 184, 17, 17}},      {p->SG, {2, 246, 103, 175}},
        {p->GroupBox1, {15, 430, 84, 113}},   {p->MOISG, {4, 574, 107, 119}},
        {p->boardIsValid, {85, 10, 17, 17}},
    };
    const QRect button = p->PerformanceButton->geometry();
    for (const auto& [control, bounds] : designed) {
        const QRect now = control->geometry();
        QVERIFY2(now.topLeft() == bounds.topLeft() && now.height() == bounds.height() &&
                     now.width() >= bounds.width(),
                 qPrintable(control->objectName()));
        QVERIFY2(!now.intersects(button), qPrintable(control->objectName()));
    }
    // In the free room below the disk table, inside the panel, clear of the scan's progress.
    QVERIFY(button.top() > p->MOISG->geometry().bottom());
    QVERIFY(button.left() >= p->frameWidth() && button.right() < ControlPanel::kWidth - 1);
    QVERIFY(!button.intersects(p->scanProgress->geometry()));
    QVERIFY(p->PerformanceButton->toolTip().startsWith("Engine performance (Ctrl+E)"));
    // The Recorder's button just below it, in the same free room.
    const QRect record = p->RecordButton->geometry();
    QVERIFY(record.top() > button.bottom() && record.left() == button.left());
    QVERIFY(record.right() < ControlPanel::kWidth - 1);
    QVERIFY(!record.intersects(p->scanProgress->geometry()));
    for (const auto& [control, bounds] : designed) QVERIFY(!control->geometry().intersects(record));
    QVERIFY(p->RecordButton->toolTip().startsWith("Recorder (Ctrl+Shift+R)"));
    RecorderWindow* recorder = RecorderForm();
    QVERIFY(recorder->isHidden());
    QTest::mouseClick(p->RecordButton, Qt::LeftButton);
    QVERIFY(recorder->isVisible());
    recorder->close();
    p->GrabButton->setFocus();
    QTest::keyClick(p->GrabButton, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(recorder->isVisible());
    recorder->close();

    QTest::mouseClick(p->PerformanceButton, Qt::LeftButton);
    QVERIFY(w->isVisible());
    w->close();  // only hides it
    QVERIFY(w->isHidden());
    p->GrabButton->setFocus();
    QTest::keyClick(p->GrabButton, Qt::Key_E, Qt::ControlModifier);
    QVERIFY(w->isVisible());
    QVERIFY(h.helpContexts.empty());

    // F1 on the button and in the window: the manual's engine-performance page.
    QApplication::setActiveWindow(h.form.get());
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    p->PerformanceButton->setFocus();
    QTest::keyClick(p->PerformanceButton, Qt::Key_F1);
    QTest::keyClick(w, Qt::Key_F1);
    QTest::keyClick(w->pointsTable(), Qt::Key_F1);
    QCOMPARE(h.helpContexts, std::vector<int>(3, kHelpContextPerformance));
    h.form->close();
    QVERIFY(w->isHidden());
}

void EnginePerformanceTest::windowFollowsGrabDynaImportAndRerun() {
    Harness h;
    h.start();
    PerformanceWindow* w = PerformanceForm();
    QVERIFY(!w->result());

    h.scripted().QueueScan(Samples(SimulatedGrab()));
    h.form->GrabButtonClick();
    QVERIFY(w->result() && !w->result()->isDyna);
    QCOMPARE(w->result()->status, performance::Status::Evaluated);
    const int cycles = w->result()->summary->cycles;
    QVERIFY2(cycles >= 6, qPrintable(QString::number(cycles)));  // one second at 500 rpm
    QCOMPARE(w->pointsTable()->rowCount(), cycles);
    QCOMPARE(w->pointsTable()->item(0, 0)->text(), QString("1"));
    QCOMPARE(SummaryValue(w, "Cycles"), QString::number(cycles));
    QVERIFY2(w->headline()->text().contains(" ± "), qPrintable(w->headline()->text()));
    // The figure says which of the two indicated powers it is, and where to read why.
    QVERIFY(w->headline()->text().contains("Grab: Cycle-resolved indicated power "));
    QVERIFY(w->headline()->text().contains("Manual: Two indicated powers."));
    QVERIFY(!SummaryValue(w, "Cycle-resolved indicated power, mean").startsWith("(no row"));
    QVERIFY(w->statusText()->isHidden());
    QVERIFY(w->powerCurve()->isHidden());

    // A dyna with the simulated flywheel in the disk table: the power curve.
    DiskTable* disks = Panel1(*h.form)->MOISG;
    disks->setCellText(0, 0, "100");
    disks->setCellText(1, 0, "100");
    h.scripted().QueueScan(Samples(SimulatedDyna()));
    h.form->DynaButtonClick();
    QVERIFY(w->result()->isDyna);
    QCOMPARE(w->result()->status, performance::Status::Evaluated);
    const auto points = static_cast<int>(w->result()->dynaPoints.size());
    QVERIFY(points > 100);
    QCOMPARE(w->pointsTable()->rowCount(), points);
    QCOMPARE(w->powerCurve()->graph(0)->dataCount(), points);
    QCOMPARE(w->powerCurve()->graph(1)->dataCount(), points);
    QCOMPARE(w->powerCurve()->graph(1)->valueAxis(), w->powerCurve()->yAxis2);
    QCOMPARE(w->powerCurve()->graph(2)->dataCount(), 1);  // the maximum
    QVERIFY(!w->powerCurve()->isHidden());
    // The maximum's square shows whole inside the plot, not cut at its corner.
    GraphPlot* curve = w->powerCurve();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    curve->replot();
    const QPointF top = curve->graph(2)->coordsToPixels(w->result()->dyna->rpmAtMaxPower,
                                                        w->result()->dyna->maxPowerMilliW);
    const double half = curve->graph(2)->scatterStyle().size() / 2;
    QVERIFY2(QRectF(curve->axisRect()->rect())
                 .contains(QRectF(top - QPointF(half, half), QSizeF(2 * half, 2 * half))),
             qPrintable(QString("%1, %2").arg(top.x()).arg(top.y())));
    // The averaged loop belongs to a grab's PV graph: a dyna has no switch for it.
    QVERIFY(w->averagedLoopBox()->isHidden());

    // An imported grab: its file's temperatures give the Carnot limit.
    Import(h, WriteCapture(h, "run1.CSV", false));
    QVERIFY(!w->result()->isDyna);
    QVERIFY(w->powerCurve()->isHidden());
    QVERIFY(!w->averagedLoopBox()->isHidden());
    QCOMPARE(SummaryValue(w, "Carnot limit"), QString("16.30"));  // 1 - 295.3 / 352.8
    QCOMPARE(SummaryValue(w, "Heater power"), QString("3.60"));

    // An imported dyna without disks cannot be evaluated: the window says why.
    Import(h, WriteCapture(h, "bare.CSV", true, false));
    QCOMPARE(w->result()->status, performance::Status::NoMomentOfInertia);
    QVERIFY(!w->statusText()->isHidden());
    QCOMPARE(w->statusText()->text(),
             QString("No moment of inertia: enter the flywheel disks in the disk table"));
    QCOMPARE(w->pointsTable()->rowCount(), 0);
    QVERIFY(w->powerCurve()->isHidden());
    // The disks entered, the rerun evaluates it.
    disks->setCellText(0, 0, "100");
    disks->setCellText(1, 0, "100");
    h.form->Button1Click();
    QCOMPARE(w->result()->status, performance::Status::Evaluated);
    QVERIFY(w->statusText()->isHidden());
    QCOMPARE(w->pointsTable()->rowCount(), static_cast<int>(w->result()->dynaPoints.size()));
}

void EnginePerformanceTest::averagedLoopOverThePvGraphOnlyWhenSwitchedOn() {
    Harness h;
    h.start();
    h.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
    auto* pv = static_cast<GraphPlot*>(Panel2(*h.form)->chart(kChart3));
    const auto settle = [pv] {
        QCoreApplication::processEvents();
        pv->applyAutomaticScaling();
    };
    Import(h, WriteCapture(h, "run1.CSV", false));
    settle();
    // Off: Series3 alone, the axes spanning exactly its points.
    QCOMPARE(pv->plottableCount(), 1);
    bool found = false;
    const QCPRange keys = pv->graph(series::kPvPoints.index)->getKeyRange(found);
    const QCPRange values = pv->graph(series::kPvPoints.index)->getValueRange(found);
    QCOMPARE(RangeOf(pv->xAxis), keys);
    QCOMPARE(RangeOf(pv->yAxis), values);

    PerformanceForm()->averagedLoopBox()->setChecked(true);
    settle();
    QCOMPARE(pv->plottableCount(), 2);
    QCPCurve* loop = Panel2(*h.form)->averagedLoopCurve();
    QVERIFY(loop);
    QCOMPARE(loop->dataCount(), 361);  // 0 .. 359 degrees and back to 0
    QCOMPARE(loop->data()->at(0)->key, loop->data()->at(360)->key);
    QCOMPARE(loop->data()->at(0)->value, loop->data()->at(360)->value);
    const auto& averaged = PerformanceForm()->result()->averagedLoop;
    QCOMPARE(loop->data()->at(90)->value, averaged[90].pressureKpa);

    // A new capture draws its own loop; a dyna has none.
    Import(h, WriteCapture(h, "run2.CSV", false));
    QCOMPARE(Panel2(*h.form)->averagedLoopCurve()->dataCount(), 361);
    Import(h, WriteCapture(h, "accel.CSV", true));
    QCOMPARE(Panel2(*h.form)->averagedLoopCurve()->dataCount(), 0);
    Import(h, WriteCapture(h, "run3.CSV", false));

    PerformanceForm()->averagedLoopBox()->setChecked(false);
    settle();
    QCOMPARE(pv->plottableCount(), 1);
    QVERIFY(!Panel2(*h.form)->averagedLoopCurve());
    QCOMPARE(RangeOf(pv->xAxis), keys);
    QCOMPARE(RangeOf(pv->yAxis), values);
}

void EnginePerformanceTest::switchIsKeptInTheProgramsOwnSection() {
    Harness h;
    h.start();
    h.form.reset();
    // Off and never switched: the file holds the lab's sections only.
    QVERIFY(!h.readSettings().contains("Performance"));
    QVERIFY(h.readSettings().endsWith("[Flywheel10]\r\nMass=\r\nDiam=\r\nMI=\r\n"));

    h.start();
    PerformanceForm()->averagedLoopBox()->setChecked(true);
    h.form.reset();
    QVERIFY(h.readSettings().endsWith(
        "[Flywheel10]\r\nMass=\r\nDiam=\r\nMI=\r\n[Performance]\r\nAveragedLoop=Yes\r\n"));

    h.start();
    QVERIFY(PerformanceForm()->averagedLoopShown());
    QVERIFY(Panel2(*h.form)->averagedLoopShown());
    PerformanceForm()->setAveragedLoopShown(false);
    QVERIFY(!Panel2(*h.form)->averagedLoopShown());
    h.form.reset();
    QVERIFY(h.readSettings().endsWith("[Performance]\r\nAveragedLoop=No\r\n"));
    h.start();
    QVERIFY(!PerformanceForm()->averagedLoopShown());
}

// Each figure with its expanded uncertainty, from the budget in [Performance];
// the table of contributions only when asked for, and kept by a new capture.
void EnginePerformanceTest::uncertaintyFromTheSettingsBudget() {
    Harness h;
    h.writeSettings("[Performance]\r\nPhaseUDeg=0\r\nPressureScaleUPercent=10\r\n");
    h.start();
    PerformanceWindow* w = PerformanceForm();
    QVERIFY(w->uncertaintyText()->isHidden());
    h.scripted().QueueScan(Samples(SimulatedGrab()));
    h.form->GrabButtonClick();
    QCOMPARE(w->result()->status, performance::Status::Evaluated);
    const auto& power = *w->result()->uncertainty.indicatedPowerMilliW;
    const QString text = w->uncertaintyText()->text();
    QVERIFY2(!w->uncertaintyText()->isHidden() &&
                 QRegularExpression("^Cycle-resolved indicated power \\d+(\\.\\d+)? ± \\d+(\\.\\d+)? mW \\(k = 2\\)$",
                                    QRegularExpression::MultilineOption)
                     .match(text)
                     .hasMatch(),
             qPrintable(text));
    // A tenth of the power from the scale alone: U at least a fifth of it.
    QVERIFY2(power.expanded >= 0.2 * power.value, qPrintable(QString::number(power.expanded)));

    QVERIFY(w->budgetTable()->isHidden());
    w->budgetBox()->setChecked(true);
    QVERIFY(!w->budgetTable()->isHidden());
    const CopyableTable* t = w->budgetTable();
    QStringList sources;
    for (int r = 0; r < t->rowCount(); ++r) {
        if (t->item(r, 0)->text() == "Cycle-resolved indicated power")
            sources << t->item(r, 1)->text();
    }
    QCOMPARE(sources, QStringList({"Cycle-to-cycle spread", "Pressure transducer scale",
                                   "Pressure transducer zero", "Converter step", "Crank phase",
                                   "Engine geometry", "Expanded (k = 2)"}));
    h.scripted().QueueScan(Samples(SimulatedGrab()));
    h.form->GrabButtonClick();
    QVERIFY(!w->budgetTable()->isHidden());
}

void EnginePerformanceTest::tablesCopyAsSpreadsheetCells_data() {
    QTest::addColumn<QString>("decimalMark");
    QTest::addColumn<QString>("grouping");
    QTest::addColumn<QString>("shownPower");
    QTest::addColumn<QString>("copiedPower");
    QTest::newRow("point and comma") << "."
                                     << ","
                                     << "1,234.57"
                                     << "1234.57";
    QTest::newRow("comma and point") << ","
                                     << "."
                                     << "1.234,57"
                                     << "1234,57";
}

void EnginePerformanceTest::tablesCopyAsSpreadsheetCells() {
    QFETCH(QString, decimalMark);
    QFETCH(QString, grouping);
    QFETCH(QString, shownPower);
    QFETCH(QString, copiedPower);
    performance::PerformanceResult result;
    result.status = performance::Status::Evaluated;
    result.cycles = {{1, 0.0, 0.12, 500.04, 148.1491, 1234.5678, {}},
                     {2, 120.0, 0.121, 495.87, 150.0, 1239.67, {}}};
    result.summary = performance::CycleSummary{2, 497.955, 149.07, 1237.12, 3.6, 0.29};
    PerformanceWindow w(text::NumberFormat{decimalMark.toStdString(), grouping.toStdString()});
    w.showResult(result);
    CopyableTable* table = w.pointsTable();
    QCOMPARE(table->item(0, 3)->text(), shownPower);

    // Nothing selected: the headings and every row, numbers as a spreadsheet reads them.
    table->clearSelection();
    table->copyAction()->trigger();
    const QString d = decimalMark;
    QCOMPARE(QApplication::clipboard()->text(),
             "Cycle\trpm\tWork (mJ)\tIndicated power (mW)\n"
             "1\t500" +
                 d + "0\t148" + d + "15\t" + copiedPower +
                 "\n"
                 "2\t495" +
                 d + "9\t150" + d + "00\t1239" + d + "67\n");
    // A block: its cells alone; a whole column: with its heading. Ctrl+C copies.
    table->setCurrentCell(1, 1, QItemSelectionModel::ClearAndSelect);
    table->setCurrentCell(1, 2, QItemSelectionModel::Select);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), "495" + d + "9\t150" + d + "00\n");
    table->clearSelection();
    table->selectColumn(3);
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             "Indicated power (mW)\n" + copiedPower + "\n1239" + d + "67\n");
    // The context menu offers the same.
    QCOMPARE(table->contextMenuPolicy(), Qt::ActionsContextMenu);
    QVERIFY(table->actions().contains(table->copyAction()));
    QCOMPARE(table->copyAction()->text(), QString("Copy"));
    // The summary: figure, value and unit in their own cells.
    w.summaryTable()->clearSelection();
    w.summaryTable()->copy();
    QVERIFY2(QApplication::clipboard()->text().contains("Indicated power, standard deviation\t3" +
                                                        d + "60\tmW\n"),
             qPrintable(QApplication::clipboard()->text()));
}

QTEST_MAIN(EnginePerformanceTest)
#include "test_engine_performance.moc"
