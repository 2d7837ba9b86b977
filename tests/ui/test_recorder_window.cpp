// The Recorder window on the simulated engine, sped up: a warm-up and a
// two-step sweep recorded without a gap, every cycle on the screen, steady
// stretches becoming operating points, a mark in events.csv; an interrupted
// recording opened; the button and the key of the main window.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "daq/simulated_board.h"
#include "recording/recording_reader.h"
#include "recording/recording_writer.h"
#include "charts/graph_plot.h"
#include "ui/performance/copyable_table.h"
#include "ui/recorder/recorder_source.h"
#include "ui/recorder/recorder_trends.h"
#include "ui/recorder/recorder_window.h"

namespace corvane::ui {

namespace {

// A warm-up, then the load raised twice: three operating points.
daq::EngineParameters SweepRun() {
    daq::EngineParameters parameters;
    parameters.instantScans = true;
    parameters.run.warmUp = true;
    parameters.run.speedUp = 60;  // a minute of the run per second
    parameters.run.steps = {{1800, 4.0, 2.0}, {2400, 4.0, 3.0}};
    return parameters;
}

void Shoot(QWidget& window, const char* name) {
    const QString folder = qEnvironmentVariable("CORVANE_SCREENSHOTS");
    if (!folder.isEmpty()) window.grab().save(QDir(folder).filePath(name));
}

}  // namespace

class RecorderWindowTest : public QObject {
    Q_OBJECT
private slots:
    void recordsAWarmUpAndASweepIntoOperatingPoints();
    void opensAnInterruptedRecording();
};

void RecorderWindowTest::recordsAWarmUpAndASweepIntoOperatingPoints() {
    QTemporaryDir dir;
    daq::SimulatedBoard board(SweepRun());
    RecorderWindow window(BoardRecorderSource(board, true, [] { return analysis::DiskTable(5); }),
                          recording::SteadyCriteria{});
    window.setFolder(dir.path());
    window.resize(1400, 900);
    window.show();
    QVERIFY(window.startRecording());
    QVERIFY(!window.startButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(window.cycles().size() > 200, 20000);
    window.markField()->setText("heater on");
    QTest::keyClick(window.markField(), Qt::Key_Return);
    QVERIFY(window.markField()->text().isEmpty());
    QTest::qWait(8000);
    Shoot(window, "recorder-warm-up.png");
    QTRY_VERIFY_WITH_TIMEOUT(!window.cycles().empty() && window.cycles().back().timeS > 2900, 120000);
    window.stopRecording();
    QTRY_VERIFY_WITH_TIMEOUT(!window.recording(), 20000);
    Shoot(window, "recorder-after-sweep.png");

    // Every cycle of the folder reached the window, in order.
    const auto contents = recording::ReadRecording(window.runFolder().toStdString());
    QCOMPARE(window.cycles().size(), contents.cycles.size());
    // A loaded machine may fall behind a sped-up engine: whatever was lost is
    // counted as the folder's gaps are, in red.
    bool marked = false;
    int gaps = 0;
    for (const auto& e : contents.events) {
        marked = marked || e.text == "heater on";
        gaps += e.text.rfind("gap", 0) == 0 ? 1 : 0;
    }
    QCOMPARE(window.gapsLabel()->text(), QString("Gaps %1").arg(gaps));
    QCOMPARE(window.gapsLabel()->styleSheet().contains("red"), gaps > 0);
    QVERIFY(marked);
    // The warm-up's end and each load step's settled speed: three steady points.
    int steady = 0;
    for (const auto& p : window.operatingPoints()) steady += p.chosen ? 0 : 1;
    QVERIFY2(steady >= 3, qPrintable(QString::number(steady)));
    QCOMPARE(window.pointsTable()->rowCount(), static_cast<int>(window.operatingPoints().size()));
    QVERIFY(window.steadyIndicator()->text() == "STEADY" ||
            window.steadyIndicator()->text() == "not steady");
    // The trends draw far fewer points than the run has cycles.
    QVERIFY(window.trends()->drawnPoints(0) > 0);
    QVERIFY(window.trends()->drawnPoints(0) < static_cast<int>(contents.cycles.size()));
}

void RecorderWindowTest::opensAnInterruptedRecording() {
    QTemporaryDir dir;
    const std::string run = (std::filesystem::path(dir.path().toStdString()) / "run").string();
    {
        recording::RecordingWriter writer(
            run, recording::Manifest{"2026-12-08T19:30:00.000Z", {0, 4, 1000}, "simulated", true,
                                     "test", analysis::DiskTable(5), 0});
        for (int i = 0; i < 20; ++i) {
            writer.AddCycle({0.12 * i, 500, 30, 250, 295.0, 351.0, 4.0, i > 10});
        }
        writer.AddEvent({1.0, "load 2"});
        writer.Flush();
    }
    // Killed mid-line: the torn last line is left out.
    std::FILE* cycles = std::fopen((run + "/cycles.csv").c_str(), "ab");
    std::fputs("2.4000,500.0", cycles);
    std::fclose(cycles);

    daq::SimulatedBoard board;
    RecorderWindow window(BoardRecorderSource(board, true, [] { return analysis::DiskTable(5); }),
                          recording::SteadyCriteria{});
    QVERIFY(window.openRecording(QString::fromStdString(run)));
    QCOMPARE(window.cycles().size(), std::size_t{20});
    QCOMPARE(window.operatingPoints().size(), std::size_t{1});  // cycles 11..19
    QCOMPARE(window.operatingPoints()[0].cycles, std::size_t{9});
    QVERIFY(!window.openRecording(dir.filePath("nothing-here")));
    QVERIFY(window.statusLine()->text().startsWith("Cannot open the recording"));
}

}  // namespace corvane::ui

QTEST_MAIN(corvane::ui::RecorderWindowTest)
#include "test_recorder_window.moc"
