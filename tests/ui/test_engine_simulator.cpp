// The Engine simulator window: the speed up to which a capture can be
// evaluated, said and warned about; the run a recording takes from the
// simulated engine, set in its controls and handed to the board whole.

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include "analysis/capture_plan.h"
#include "daq/simulated_board.h"
#include "ui/engine_run_controls.h"
#include "ui/engine_simulator_window.h"

namespace corvane::ui {

class EngineSimulatorTest : public QObject {
    Q_OBJECT
private slots:
    void warnsAboveTheEvaluableSpeed_data();
    void warnsAboveTheEvaluableSpeed();
    void theRunControlsSetTheBoardsRun();
    void openingTheWindowKeepsTheSettingsFilesRun();
};

void EngineSimulatorTest::warnsAboveTheEvaluableSpeed_data() {
    QTest::addColumn<double>("rpm");
    QTest::addColumn<bool>("warned");
    QTest::newRow("bench speed") << 500.0 << false;
    QTest::newRow("at the limit") << 1000.0 << false;
    QTest::newRow("just above") << 1010.0 << true;
    QTest::newRow("top of the range") << 2000.0 << true;
}

void EngineSimulatorTest::warnsAboveTheEvaluableSpeed() {
    QFETCH(double, rpm);
    QFETCH(bool, warned);
    QCOMPARE(analysis::kHighestEvaluableRpm, 1000.0);  // what corvane-simulate --help says
    daq::SimulatedBoard board;
    EngineSimulatorWindow window(board);
    bool saysTheLimit = false;
    for (const QLabel* label : window.findChildren<QLabel*>())
        saysTheLimit |= label->text() == "Captures at 1000 scans/s can be evaluated up to 1000 rpm.";
    QVERIFY(saysTheLimit);
    window.speed()->setValue(rpm);
    QCOMPARE(board.Parameters().rpm, rpm);
    QCOMPARE(!window.speedWarning()->isHidden(), warned);
    // The warning goes again when the speed comes back down.
    window.speed()->setValue(500);
    QVERIFY(window.speedWarning()->isHidden());
}

void EngineSimulatorTest::theRunControlsSetTheBoardsRun() {
    daq::SimulatedBoard board;
    EngineSimulatorWindow window(board);
    EngineRunControls* run = window.run();
    run->warmUp()->setChecked(true);
    run->warmUpMinutes()->setValue(6.5);
    run->drift()->setValue(-2.0);
    run->speedUp()->setValue(60);
    run->overrun()->setChecked(true);
    run->overrunAt()->setValue(300);
    run->overrunLength()->setValue(3);
    QVERIFY(board.Parameters().run.coastDownAtS < 0);  // no coast-down unless asked for
    run->findChild<QCheckBox*>("CoastDownCB")->setChecked(true);
    run->findChild<QDoubleSpinBox*>("CoastDownAt")->setValue(2700);
    // A sweep entered out of order, then a mistaken row taken out again.
    run->addStep(40, 4.0, 3.0);
    run->addStep(30, 0.0, 2.0);  // the heater switched off
    run->addStep(99, 9.0, 9.0);
    run->removeStep();
    const daq::EngineRunSettings got = board.Parameters().run;
    QVERIFY(got.warmUp);
    QCOMPARE(got.warmUpMinutes, 6.5);
    QCOMPARE(got.driftKPerHour, -2.0);
    QCOMPARE(got.speedUp, 60.0);
    QCOMPARE(got.overrunAtS, 300.0);
    QCOMPARE(got.overrunS, 3.0);
    QCOMPARE(got.coastDownAtS, 2700.0);
    QCOMPARE(got.steps.size(), std::size_t{2});
    QCOMPARE(got.steps[0].atS, 1800.0);
    QCOMPARE(got.steps[0].heaterPowerW, 0.0);
    QCOMPARE(got.steps[0].loadMilliNm, 2.0);
    QCOMPARE(got.steps[1].atS, 2400.0);
    QCOMPARE(got.steps[1].heaterPowerW, 4.0);
    // No overrun once its box is cleared.
    run->overrun()->setChecked(false);
    QVERIFY(board.Parameters().run.overrunAtS < 0);
    run->findChild<QCheckBox*>("CoastDownCB")->setChecked(false);
    QVERIFY(board.Parameters().run.coastDownAtS < 0);
}

void EngineSimulatorTest::openingTheWindowKeepsTheSettingsFilesRun() {
    daq::EngineParameters parameters;
    parameters.run.steps = {{45, 3.0, 1.5}};
    parameters.run.speedUp = 400;
    parameters.run.overrunAtS = 120;
    parameters.run.overrunS = 1.5;
    parameters.run.coastDownAtS = 90;
    daq::SimulatedBoard board(parameters);
    EngineSimulatorWindow window(board);
    QCOMPARE(window.run()->steps()->rowCount(), 1);
    QVERIFY(window.run()->overrun()->isChecked());
    QCOMPARE(window.run()->settings().steps[0].atS, 45.0);
    QCOMPARE(window.run()->settings().speedUp, 400.0);
    QCOMPARE(window.run()->settings().overrunAtS, 120.0);
    QCOMPARE(window.run()->settings().coastDownAtS, 90.0);
    QCOMPARE(board.Parameters().run.steps[0].atS, 45.0);
}

}  // namespace corvane::ui

QTEST_MAIN(corvane::ui::EngineSimulatorTest)
#include "test_engine_simulator.moc"
