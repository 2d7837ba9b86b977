// The Engine performance window's calibrations: "Calibrate phase from this
// capture" on a motored grab (the estimate, the preview, Cancel and Apply
// into the settings file), and the loop-closure column and warning of a grab
// whose transducer drifts.

#include <qcustomplot.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "daq/simulated_board.h"
#include "scripted_board.h"
#include "test_support.h"
#include "ui/performance/copyable_table.h"
#include "ui/performance/performance_window.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::ui::test;

namespace {

// One second of a grab of the simulated engine as given.
std::vector<std::uint16_t> Grab(const daq::EngineParameters& given) {
    daq::EngineParameters parameters = given;
    parameters.instantScans = true;
    daq::SimulatedBoard board(parameters);
    const long count = 2000;
    const daq::BufferHandle buffer = board.cbWinBufAlloc(count);
    long rate = 1000;
    board.cbAInScan(0, 0, 1, count, &rate, daq::kBip10Volts, buffer, 0);
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(count));
    board.cbWinBufToArray(buffer, samples.data(), 0, count);
    board.cbWinBufFree(buffer);
    return samples;
}

void TakeGrab(Harness& h, const daq::EngineParameters& parameters) {
    h.scripted().QueueScan(daq::ScriptedBoard::Scan{daq::kNoErrors, Grab(parameters)});
    h.form->GrabButtonClick();
}

daq::EngineParameters Motored(double offsetDeg) {
    daq::EngineParameters parameters;
    parameters.heaterPowerW = 0;
    parameters.phaseOffsetDeg = offsetDeg;
    return parameters;
}

QDialog* OpenDialog(PerformanceWindow* w) {
    QTest::mouseClick(w->calibratePhaseButton(), Qt::LeftButton);
    return w->findChild<QDialog*>("phaseCalibrationDialog");
}

// The stored offset, or none.
std::optional<double> StoredOffset(const Harness& h) {
    const QString text = QString::fromLatin1(h.readSettings());
    const QRegularExpressionMatch m = QRegularExpression("PhaseOffset=([-0-9.e]+)").match(text);
    if (!m.hasMatch()) return std::nullopt;
    return m.captured(1).toDouble();
}

}  // namespace

class PhaseCalibrationTest : public QObject {
    Q_OBJECT
private slots:
    void motoredGrabCalibratesThePhase();
    void driftingTransducerOpensTheLoops();
};

void PhaseCalibrationTest::motoredGrabCalibratesThePhase() {
    Harness h;
    h.start();
    PerformanceWindow* w = PerformanceForm();
    w->show();
    QVERIFY(!w->calibratePhaseButton()->isEnabled());  // nothing to calibrate from yet
    TakeGrab(h, Motored(5));
    QVERIFY(w->calibratePhaseButton()->isEnabled());
    QCOMPARE(w->result()->phaseOffsetDeg, 0.0);

    // The preview: the estimate with its uncertainty, the loop before and
    // corrected, a motored loop's work brought near zero.
    QDialog* dialog = OpenDialog(w);
    QVERIFY(dialog && dialog->isVisible());
    const QString estimate = dialog->findChild<QLabel*>("phaseEstimate")->text();
    QVERIFY2(estimate.startsWith("Phase offset ") && estimate.contains("° (k = 2) from "),
             qPrintable(estimate));
    // The heater's warning when the capture's monitor gave a heater power.
    QCOMPARE(estimate.contains("The heater was on"), w->result()->efficiency.heaterPowerW.has_value());
    const double offset = estimate.mid(13, estimate.indexOf(' ', 13) - 13).toDouble();
    QVERIFY2(std::abs(offset - 5) < 0.5, qPrintable(estimate));
    auto* plot = dialog->findChild<QCustomPlot*>("phasePreview");
    QCOMPARE(plot->plottableCount(), 2);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(static_cast<QCPCurve*>(plot->plottable(i))->dataCount(), 361);

    // Cancel leaves the file and the evaluation as they were.
    QTest::mouseClick(dialog->findChild<QPushButton*>("cancelPhase"), Qt::LeftButton);
    QTRY_VERIFY(!w->findChild<QDialog*>("phaseCalibrationDialog"));
    QVERIFY(!StoredOffset(h));
    QCOMPARE(w->result()->phaseOffsetDeg, 0.0);

    // Apply stores it, and the capture is evaluated with it at once.
    dialog = OpenDialog(w);
    QTest::mouseClick(dialog->findChild<QPushButton*>("applyPhase"), Qt::LeftButton);
    QTRY_VERIFY(!w->findChild<QDialog*>("phaseCalibrationDialog"));
    QVERIFY(StoredOffset(h));
    QVERIFY2(std::abs(*StoredOffset(h) - offset) < 0.01, h.readSettings().constData());
    QCOMPARE(w->result()->phaseOffsetDeg, *StoredOffset(h));
    QVERIFY(w->findChild<QLabel*>("phaseNote")->isVisible());
    // Kept when the window saves its own settings at closing.
    h.form->close();
    QVERIFY(StoredOffset(h));
    QVERIFY(h.user->errors.empty());
}

void PhaseCalibrationTest::driftingTransducerOpensTheLoops() {
    Harness h;
    h.start();
    PerformanceWindow* w = PerformanceForm();
    TakeGrab(h, daq::EngineParameters{});
    const CopyableTable* cycles = w->pointsTable();
    QCOMPARE(cycles->columnCount(), 5);
    QCOMPARE(cycles->horizontalHeaderItem(4)->text(), QString("Loop closure (%)"));
    QVERIFY2(w->loopClosureText()->isHidden(), qPrintable(w->loopClosureText()->text()));
    QVERIFY(!cycles->item(0, 4)->text().isEmpty());
    QVERIFY(!cycles->item(0, 4)->text().endsWith(" open"));

    daq::EngineParameters drifting;
    drifting.transducerDriftPercentPerS = 2;
    TakeGrab(h, drifting);
    QVERIFY(!w->loopClosureText()->isHidden());
    QVERIFY2(w->loopClosureText()->text().startsWith("Loop not closed in "),
             qPrintable(w->loopClosureText()->text()));
    QVERIFY2(cycles->item(0, 4)->text().endsWith(" open"), qPrintable(cycles->item(0, 4)->text()));
    QVERIFY(cycles->item(cycles->rowCount() - 1, 4)->text().isEmpty());  // no revolution after it
}

QTEST_MAIN(PhaseCalibrationTest)
#include "test_phase_calibration.moc"
