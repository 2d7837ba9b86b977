// "Calibrate friction from this capture" in the Engine performance window: a
// coast-down dyna's fit, stored by Apply as corvane-calibrate friction finds
// it for the same file; Cancel and a dyna that is not a coast-down leave the
// settings file as it was.

#include <qcustomplot.h>

#include <QDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <charconv>
#include <memory>

#include "daq/capture_transaction.h"
#include "daq/simulated_board.h"
#include "files/capture_writer.h"
#include "scripted_board.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/performance/performance_window.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::ui::test;

namespace {

std::string Text(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// A dyna of the simulated engine slowing from 600 rpm against its friction,
// as Export writes it, with the engine's flywheel and hub in its disk table.
QString WriteCoastDown(const Harness& h) {
    daq::EngineParameters parameters;
    parameters.rpm = 600;
    parameters.coastDown = true;
    parameters.instantScans = true;
    daq::SimulatedBoard board(parameters);
    auto record = std::make_unique<analysis::CaptureRecord>();
    if (daq::TakeCapture(board, analysis::CaptureKind::Dyna, *record) != 0) return {};
    analysis::DiskTable disks(5, analysis::DiskRow{});
    const auto flywheel = daq::EngineModel(parameters).Disks();
    for (std::size_t row = 0; row < flywheel.size(); ++row)
        disks[row] = {Text(flywheel[row].massG), Text(flywheel[row].diameterMm), ""};
    const QString path = h.path("coast.CSV");
    files::WriteCaptureFile(path.toStdString(), *record, disks);
    return path;
}

// What corvane-calibrate friction prints for the file: a and b.
std::pair<double, double> CalibrateTool(const QString& path) {
    QProcess tool;
    tool.start(CORVANE_CALIBRATE_TOOL, {"friction", path});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) return {NAN, NAN};
    const QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split("\r\n");
    const QStringList fields = lines.value(1).split(',');
    return {fields.value(1).toDouble(), fields.value(2).toDouble()};
}

double Stored(const Harness& h, const char* key) {
    const QRegularExpression pattern(QString(key) + "=([-0-9.e]+)");
    const QRegularExpressionMatch m = pattern.match(QString::fromLatin1(h.readSettings()));
    return m.hasMatch() ? m.captured(1).toDouble() : NAN;
}

QPushButton* FrictionButton(PerformanceWindow* w) {
    return w->findChild<QPushButton*>("CalibrateFrictionButton");
}

QDialog* OpenDialog(PerformanceWindow* w) {
    QTest::mouseClick(FrictionButton(w), Qt::LeftButton);
    return w->findChild<QDialog*>("frictionCalibrationDialog");
}

void Close(PerformanceWindow* w, QDialog* dialog, const char* button) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    QTRY_VERIFY(!w->findChild<QDialog*>("frictionCalibrationDialog"));
}

}  // namespace

class FrictionCalibrationTest : public QObject {
    Q_OBJECT
private slots:
    void coastDownStoresTheToolsFit();
    void risingDynaIsRefused();
};

void FrictionCalibrationTest::coastDownStoresTheToolsFit() {
    Harness h;
    h.start();
    PerformanceWindow* w = PerformanceForm();
    QVERIFY(!FrictionButton(w)->isEnabled());  // nothing to calibrate from yet
    const QString path = WriteCoastDown(h);
    QVERIFY(!path.isEmpty());
    h.user->openAnswers = {path};
    h.form->ImportButtonClick();
    QVERIFY(FrictionButton(w)->isEnabled());

    QDialog* dialog = OpenDialog(w);
    QVERIFY(dialog && dialog->isVisible());
    const QString fit = dialog->findChild<QLabel*>("frictionFit")->text();
    QVERIFY2(fit.startsWith("a = ") && fit.contains(" mN\u00b7m per 1000 rpm, from "), qPrintable(fit));
    auto* plot = dialog->findChild<QCustomPlot*>("frictionPreview");
    QCOMPARE(plot->graphCount(), 2);
    QCOMPARE(plot->graph(0)->dataCount(), static_cast<int>(w->result()->dynaPoints.size()));
    QCOMPARE(plot->graph(1)->dataCount(), 2);

    const QByteArray before = h.readSettings();
    Close(w, dialog, "cancelFriction");
    QCOMPARE(h.readSettings(), before);
    QVERIFY(w->findChild<QLabel*>("frictionNote")->isHidden());

    dialog = OpenDialog(w);
    Close(w, dialog, "applyFriction");
    const auto [a, b] = CalibrateTool(path);
    QVERIFY2(a > 0 && b > 0, qPrintable(path));
    // The tool prints four decimals; the file keeps the fit whole.
    QVERIFY2(std::abs(Stored(h, "FrictionA") - a) <= 5e-5, h.readSettings().constData());
    QVERIFY2(std::abs(Stored(h, "FrictionB") - b) <= 5e-5, h.readSettings().constData());
    QVERIFY(!w->findChild<QLabel*>("frictionNote")->isHidden());
    // Evaluated with it from now on: a grab's energy chain uses the stored fit.
    h.scripted().QueueScan(daq::ScriptedBoard::Scan{daq::kNoErrors, SimulatedGrab()});
    h.form->GrabButtonClick();
    QVERIFY(w->result()->energy);
    QCOMPARE(w->result()->energy->frictionTorqueMilliNm,
             Stored(h, "FrictionA") + Stored(h, "FrictionB") * w->result()->summary->meanRpm / 1000);
    QVERIFY(!FrictionButton(w)->isEnabled());  // a grab is no coast-down
    h.form->close();
    QVERIFY(!std::isnan(Stored(h, "FrictionA")));  // kept when the window saves its own settings
    QVERIFY(h.user->errors.empty());
}

void FrictionCalibrationTest::risingDynaIsRefused() {
    Harness h;
    h.start();
    PerformanceWindow* w = PerformanceForm();
    DiskTable* disks = Panel1(*h.form)->MOISG;
    disks->setCellText(0, 0, "100");
    disks->setCellText(1, 0, "100");
    h.scripted().QueueScan(daq::ScriptedBoard::Scan{daq::kNoErrors, SimulatedDyna()});
    h.form->DynaButtonClick();
    QCOMPARE(w->result()->status, performance::Status::Evaluated);
    QVERIFY(FrictionButton(w)->isEnabled());
    QDialog* dialog = OpenDialog(w);
    const QString text = dialog->findChild<QLabel*>("frictionFit")->text();
    QVERIFY2(text.startsWith("Not a coast-down this calibration can use: the engine did not slow "
                             "down"),
             qPrintable(text));
    QVERIFY(!dialog->findChild<QPushButton*>("applyFriction")->isEnabled());
    const QByteArray before = h.readSettings();
    QTest::mouseClick(dialog->findChild<QPushButton*>("applyFriction"), Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    Close(w, dialog, "cancelFriction");
    QCOMPARE(h.readSettings(), before);
    QVERIFY(!h.readSettings().contains("Friction"));
}

QTEST_MAIN(FrictionCalibrationTest)
#include "test_friction_calibration.moc"
