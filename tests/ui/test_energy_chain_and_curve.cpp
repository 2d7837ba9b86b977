// The Engine performance window's energy chain (with the bench's friction in
// the settings file) and a dyna's curve band and "Save curve…", beside the
// results table, which no calibration changes.

#include <qcustomplot.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "charts/graph_plot.h"
#include "scripted_board.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/performance/curve_export.h"
#include "ui/performance/performance_window.h"
#include "ui/results_table.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::ui::test;

namespace {

daq::ScriptedBoard::Scan Samples(std::vector<std::uint16_t> samples) {
    return daq::ScriptedBoard::Scan{daq::kNoErrors, std::move(samples)};
}

QStringList ResultsColumn(QWidget& form) {
    QStringList texts;
    for (int row = 0; row < 8; ++row) texts << Panel1(form)->SG->cellText(1, row);
    return texts;
}

}  // namespace

class EnergyChainAndCurveTest : public QObject {
    Q_OBJECT
private slots:
    void energyChainOnlyWithFrictionAndTheTableUnchanged();
    void dynaBandAndSavedCurve();
};

void EnergyChainAndCurveTest::energyChainOnlyWithFrictionAndTheTableUnchanged() {
    // Without friction first; its window is closed before the second one opens.
    QStringList plainColumn;
    QString plainHeadline;
    QString plainUncertainty;
    {
        Harness plain;
        plain.start();
        plain.scripted().QueueScan(Samples(SimulatedGrab()));
        plain.form->GrabButtonClick();
        PerformanceWindow* w0 = PerformanceForm();
        QVERIFY(!w0->result()->energy);
        QVERIFY(w0->energyText()->isHidden());
        plainColumn = ResultsColumn(*plain.form);
        plainHeadline = w0->headline()->text();
        plainUncertainty = w0->uncertaintyText()->text();
    }

    Harness h;
    h.writeSettings("[Performance]\r\nFrictionA=1.5\r\nFrictionB=2\r\n");
    h.start();
    h.scripted().QueueScan(Samples(SimulatedGrab()));
    h.form->GrabButtonClick();
    PerformanceWindow* w = PerformanceForm();
    QVERIFY(w->result()->energy);
    const performance::EnergyChain& chain = *w->result()->energy;
    const double rpm = w->result()->summary->meanRpm;
    QCOMPARE(chain.frictionTorqueMilliNm, 1.5 + 2 * rpm / 1000);
    QVERIFY(!w->energyText()->isHidden());
    const QString text = w->energyText()->text();
    // The scripted board reads no heater power: the chain starts at the indicated power.
    QVERIFY2(text.startsWith("Indicated ") && text.contains(" \u2192 shaft ") &&
                 text.contains("Mechanical efficiency: "),
             qPrintable(text));
    // The results table and every figure the window had before stay as they were.
    QCOMPARE(ResultsColumn(*h.form), plainColumn);
    QCOMPARE(w->headline()->text(), plainHeadline);
    // The uncertainty lines keep theirs and add the chain's, each with its own.
    const QString uncertainty = w->uncertaintyText()->text();
    QVERIFY2(uncertainty.startsWith(plainUncertainty + "\n"), qPrintable(uncertainty));
    const QStringList added = uncertainty.mid(plainUncertainty.size() + 1).split('\n');
    QCOMPARE(added.size(), 4);  // no heater power read: no shaft efficiency
    const char* names[] = {"Friction torque ", "Friction power ", "Shaft power ",
                           "Mechanical efficiency "};
    for (int i = 0; i < added.size(); ++i) {
        QVERIFY2(added[i].startsWith(names[i]) && added[i].contains(" \u00b1 ") &&
                     added[i].endsWith(" (k = 2)"),
                 qPrintable(added[i]));
    }
}

void EnergyChainAndCurveTest::dynaBandAndSavedCurve() {
    Harness h;
    h.start();
    PerformanceWindow* w = PerformanceForm();
    QVERIFY(w->saveCurveButton()->isHidden());
    DiskTable* disks = Panel1(*h.form)->MOISG;
    disks->setCellText(0, 0, "100");
    disks->setCellText(1, 0, "100");
    h.scripted().QueueScan(Samples(SimulatedDyna()));
    h.form->DynaButtonClick();
    QCOMPARE(w->result()->status, performance::Status::Evaluated);
    const auto& curve = w->result()->curve;
    QCOMPARE(curve.size(), w->result()->dynaPoints.size());
    QVERIFY(!w->saveCurveButton()->isHidden());
    QCOMPARE(w->saveCurveButton()->text(), QString("Save curve\u2026"));
    // The torque band (graphs 5 and 6, on the torque axis) either side of the torque line.
    charts::GraphPlot* plot = w->powerCurve();
    for (int g : {3, 4, 5, 6}) QCOMPARE(plot->graph(g)->dataCount(), static_cast<int>(curve.size()));
    QCOMPARE(plot->graph(5)->valueAxis(), plot->yAxis2);
    const double middle = curve[curve.size() / 2].rpm;
    const auto at = [&](int g) { return plot->graph(g)->data()->findBegin(middle, false)->value; };
    QVERIFY(at(5) > at(1) && at(1) > at(6));
    QVERIFY(at(3) > at(0) && at(0) > at(4));

    const QString path = h.path("dyna.curve.csv");
    QCOMPARE(SaveCurveFile(path, curve), QString());
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readLine(), QByteArray("time_ms,rpm,torque_mnm,power_mw,torque_u_mnm,power_u_mw\r\n"));
    int lines = 0;
    while (!saved.readLine().isEmpty()) ++lines;
    QCOMPARE(lines, static_cast<int>(curve.size()));
    QVERIFY(!SaveCurveFile(h.path("none/x.csv"), curve).isEmpty());
}

QTEST_MAIN(EnergyChainAndCurveTest)
#include "test_energy_chain_and_curve.moc"
