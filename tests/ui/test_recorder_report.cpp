// "Save report…" of the Recorder window: the opened recording's report as a
// PDF; refused, with the reason, before a recording is shown, while one runs,
// and where the file cannot be written. The stretches chosen are kept in the
// recording folder and come back when it is opened again.

#include <QLabel>
#include <QTest>
#include <filesystem>

#include "daq/simulated_board.h"
#include "recording/chosen_stretches.h"
#include "recording/recording_reader.h"
#include "recording/recording_writer.h"
#include "ui/recorder/recorder_report.h"
#include "ui/recorder/recorder_source.h"
#include "ui/recorder/recorder_window.h"

namespace corvane::ui {

class RecorderReportTest : public QObject {
    Q_OBJECT
private slots:
    void savesTheReportOfTheOpenedRecording();
    void keepsTheChosenStretchesInTheFolder();
};

namespace {

// Twenty cycles of 0.12 s, steady from the twelfth.
std::string WriteRun(const QTemporaryDir& dir) {
    const std::string run = (std::filesystem::path(dir.path().toStdString()) / "run").string();
    recording::RecordingWriter writer(
        run, recording::Manifest{"2026-12-08T19:30:00.000Z", {0, 4, 1000}, "simulated", true,
                                 "test", analysis::DiskTable(5), 0});
    for (int i = 0; i < 20; ++i) writer.AddCycle({0.12 * i, 500, 30, 250, 295, 351, 4, i > 10});
    writer.AddEvent({1.0, "load 2"});
    writer.Flush();
    return run;
}

daq::EngineParameters Instant() {
    daq::EngineParameters p;
    p.instantScans = true;
    return p;
}

std::size_t ChosenPoints(const RecorderWindow& window) {
    std::size_t chosen = 0;
    for (const recording::OperatingPoint& p : window.operatingPoints()) chosen += p.chosen;
    return chosen;
}

}  // namespace

void RecorderReportTest::keepsTheChosenStretchesInTheFolder() {
    QTemporaryDir dir;
    const std::string run = WriteRun(dir);
    daq::SimulatedBoard board;
    board.SetParameters(Instant());
    const auto source = [&] {
        return BoardRecorderSource(board, true, [] { return analysis::DiskTable(5); });
    };
    {
        RecorderWindow window(source(), recording::SteadyCriteria{});
        QVERIFY(window.openRecording(QString::fromStdString(run)));
        QCOMPARE(ChosenPoints(window), std::size_t{0});
        window.addShownStretch();  // the whole run is shown
        window.addShownStretch();
        QCOMPARE(ChosenPoints(window), std::size_t{2});
        window.removeLastChosen();
        QCOMPARE(ChosenPoints(window), std::size_t{1});
    }
    const std::vector<recording::ChosenStretch> kept = recording::ReadRecording(run).chosen;
    QCOMPARE(kept.size(), std::size_t{1});
    QCOMPARE(recording::CyclesOf(recording::ReadRecording(run).cycles, kept[0]).count,
             std::size_t{20});

    RecorderWindow reopened(source(), recording::SteadyCriteria{});
    QVERIFY(reopened.openRecording(QString::fromStdString(run)));
    QCOMPARE(ChosenPoints(reopened), std::size_t{1});
    reopened.removeLastChosen();
    QVERIFY(recording::ReadRecording(run).chosen.empty());
    QCOMPARE(ChosenPoints(reopened), std::size_t{0});
}

void RecorderReportTest::savesTheReportOfTheOpenedRecording() {
    QTemporaryDir dir;
    const std::string run = WriteRun(dir);
    daq::SimulatedBoard board;
    board.SetParameters(Instant());
    RecorderWindow window(BoardRecorderSource(board, true, [] { return analysis::DiskTable(5); }),
                          recording::SteadyCriteria{});
    QVERIFY(!window.saveReport(dir.filePath("early.pdf")));
    QCOMPARE(window.statusLine()->text(), QString("Open or record a recording first"));

    QVERIFY(window.openRecording(QString::fromStdString(run)));
    QCOMPARE(DefaultRunReportPath(QString::fromStdString(run) + "/"), dir.filePath("run.pdf"));
    QVERIFY(window.saveReport(dir.filePath("run.pdf")));
    QVERIFY(window.statusLine()->text().startsWith("Saved the report"));
    QFile pdf(dir.filePath("run.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");

    QVERIFY(!window.saveReport(dir.filePath("no-such-folder/run.pdf")));
    QVERIFY(window.statusLine()->text().startsWith("Report not saved: "));

    window.setFolder(dir.filePath("runs"));
    QVERIFY(window.startRecording());
    QVERIFY(!window.saveReport(dir.filePath("during.pdf")));
    QVERIFY(window.statusLine()->text().startsWith("Stop the recording first"));
    window.stopRecording();
    QTRY_VERIFY_WITH_TIMEOUT(!window.recording(), 20000);
    QVERIFY(!QFile::exists(dir.filePath("early.pdf")) && !QFile::exists(dir.filePath("during.pdf")));
}

}  // namespace corvane::ui

QTEST_MAIN(corvane::ui::RecorderReportTest)
#include "test_recorder_report.moc"
