// "Save report…" of the Recorder window: the opened recording's report as a
// PDF; refused, with the reason, before a recording is shown, while one runs,
// and where the file cannot be written.

#include <QLabel>
#include <QTest>
#include <filesystem>

#include "daq/simulated_board.h"
#include "recording/recording_writer.h"
#include "ui/recorder/recorder_report.h"
#include "ui/recorder/recorder_source.h"
#include "ui/recorder/recorder_window.h"

namespace corvane::ui {

class RecorderReportTest : public QObject {
    Q_OBJECT
private slots:
    void savesTheReportOfTheOpenedRecording();
};

void RecorderReportTest::savesTheReportOfTheOpenedRecording() {
    QTemporaryDir dir;
    const std::string run = (std::filesystem::path(dir.path().toStdString()) / "run").string();
    {
        recording::RecordingWriter writer(
            run, recording::Manifest{"2026-12-08T19:30:00.000Z", {0, 4, 1000}, "simulated", true,
                                     "test", analysis::DiskTable(5), 0});
        for (int i = 0; i < 20; ++i) writer.AddCycle({0.12 * i, 500, 30, 250, 295, 351, 4, i > 10});
        writer.AddEvent({1.0, "load 2"});
        writer.Flush();
    }
    daq::SimulatedBoard board;
    board.SetParameters([] {
        daq::EngineParameters p;
        p.instantScans = true;
        return p;
    }());
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
