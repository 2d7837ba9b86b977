// The Recorder window beside the main window: the last cycles' loops drawn
// as they arrive (none skipped, the newest strongest); a second of the
// finished recording, typed or clicked on the trends, analysed by the main
// window as an imported grab; the recording folder kept in the settings
// file, never the program's own.

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "charts/graph_plot.h"
#include "daq/simulated_board.h"
#include "recording/grab_export.h"
#include "test_support.h"
#include "ui/recorder/folder_choice.h"
#include "ui/recorder/recorder_loops.h"
#include "ui/recorder/recorder_moment.h"
#include "ui/recorder/recorder_trends.h"
#include "ui/recorder/recorder_window.h"

namespace corvane::ui {

namespace {

std::unique_ptr<daq::Board> SpedUpEngine() {
    daq::EngineParameters parameters;
    parameters.instantScans = true;
    parameters.run.speedUp = 5;
    return std::make_unique<daq::SimulatedBoard>(parameters);
}

bool Consecutive(const std::vector<std::uint64_t>& numbers) {
    for (std::size_t i = 1; i < numbers.size(); ++i) {
        if (numbers[i] != numbers[i - 1] + 1) return false;
    }
    return true;
}

bool SameSamples(const analysis::CaptureRecord& a, const analysis::CaptureRecord& b) {
    return a.SampleCount == b.SampleCount &&
           std::equal(a.RawSamples.begin(), a.RawSamples.begin() + a.SampleCount,
                      b.RawSamples.begin());
}

}  // namespace

class RecorderLiveTest : public QObject {
    Q_OBJECT
private slots:
    void drawsTheLastLoopsAndAnalysesAChosenSecond();
    void readsMomentsAndFadesOlderLoops();
    void keepsTheFolderButNeverTheProgramsOwn();
};

void RecorderLiveTest::drawsTheLastLoopsAndAnalysesAChosenSecond() {
    test::Harness h;
    h.start(SpedUpEngine());
    RecorderWindow* recorder = test::RecorderForm();
    QVERIFY(recorder->setFolder(h.path("recordings")));
    QVERIFY(recorder->startRecording());
    QTRY_VERIFY_WITH_TIMEOUT(recorder->loops()->drawnCycles().size() == recording::kLastLoops,
                             20000);
    for (int poll = 0; poll < 5; ++poll) {
        QTest::qWait(60);
        const auto& drawn = recorder->loops()->drawnCycles();
        QCOMPARE(drawn.size(), recording::kLastLoops);
        QVERIFY(Consecutive(drawn));
        QVERIFY(drawn.back() + 1 >= recorder->cycles().size());
    }
    recorder->chooseMoment(1.0);  // not while recording
    QVERIFY(recorder->statusLine()->text().contains("not while recording"));
    QTRY_VERIFY_WITH_TIMEOUT(recorder->cycles().back().timeS > 6, 20000);
    recorder->stopRecording();
    QTRY_VERIFY_WITH_TIMEOUT(!recorder->recording(), 20000);
    // The last loops stay in sight once the recording has closed.
    QCOMPARE(recorder->loops()->drawnCycles().size(), recording::kLastLoops);
    QCOMPARE(recorder->loops()->drawnCycles().back() + 1, recorder->cycles().size());
    const QString run = recorder->runFolder();
    const QString name = QFileInfo(run).fileName();

    recorder->momentChooser()->field()->setText("0:02");
    QTest::keyClick(recorder->momentChooser()->field(), Qt::Key_Return);
    QCOMPARE(h.form->windowTitle(), "Corvane Data Logger (" + name + " at 2.000 s)");
    QVERIFY(SameSamples(h.form->record(), recording::GrabAt(run.toStdString(), 2.0)));
    QVERIFY(!h.form->record().IsDyna);

    // A click on the trends (not a double-click) chooses the second under the mouse.
    charts::GraphPlot* speed = recorder->trends()->chart(0);
    speed->replot();
    const QPoint at = speed->axisRect()->center();
    const double seconds = speed->xAxis->pixelToCoord(at.x()) * 60;
    QTest::mouseClick(speed, Qt::LeftButton, {}, at);
    QTRY_COMPARE(h.form->windowTitle(), "Corvane Data Logger (" + MomentName(run, seconds) + ")");
    QVERIFY(SameSamples(h.form->record(), recording::GrabAt(run.toStdString(), seconds)));

    // A second the recording does not hold whole: refused, the capture kept.
    const analysis::CaptureRecord before = h.form->record();
    recorder->chooseMoment(1e6);
    QVERIFY(!h.user->errors.empty());
    QVERIFY2(h.user->errors.back().contains("holds no whole second"),
             qPrintable(h.user->errors.back()));
    QVERIFY(SameSamples(h.form->record(), before));
    QTRY_COMPARE(h.form->windowTitle(), "Corvane Data Logger (" + MomentName(run, seconds) + ")");
}

void RecorderLiveTest::readsMomentsAndFadesOlderLoops() {
    struct Case {
        QString text;
        std::optional<double> seconds;
    };
    for (const Case& c : {Case{"125.5", 125.5}, Case{" 2:05.5 ", 125.5}, Case{"0:00", 0.0},
                          Case{"-1", {}}, Case{"1:60", {}}, Case{"-1:30", {}}, Case{"1:2:3", {}},
                          Case{"nan", {}}, Case{"", {}}, Case{"abc", {}}}) {
        QCOMPARE(ParseMoment(c.text), c.seconds);
    }
    QCOMPARE(MomentName("/data/run-20261208-193000", 125.5), "run-20261208-193000 at 125.500 s");
    int lastAlpha = 256;
    for (std::size_t age = 0; age < 10; ++age) {
        const QPen pen = LoopPen(age, 10);
        QVERIFY(pen.color().alpha() < lastAlpha);
        lastAlpha = pen.color().alpha();
        QCOMPARE(pen.widthF(), age == 0 ? 2.0 : 1.0);
    }
    QCOMPARE(LoopPen(0, 10).color().alpha(), 255);
    QCOMPARE(LoopPen(9, 10).color().alpha(), 40);
    QCOMPARE(LoopPen(0, 1).color().alpha(), 255);
}

void RecorderLiveTest::keepsTheFolderButNeverTheProgramsOwn() {
    const QString program = QCoreApplication::applicationDirPath();
    QVERIFY(IsInProgramFolder(program));
    QVERIFY(IsInProgramFolder(program + "/recordings/../runs"));
    QVERIFY(!IsInProgramFolder(program + "-elsewhere"));
    QVERIFY(!IsInProgramFolder(QDir::tempPath()));
    QString chosen;
    {
        test::Harness h;
        h.start();
        chosen = h.path("my runs");
        QVERIFY(!test::RecorderForm()->setFolder(program));
        QCOMPARE(test::RecorderForm()->folder(), RecorderWindow::DefaultFolder());
        QVERIFY(test::RecorderForm()->setFolder(chosen));
        h.form.reset();  // saves the settings
        QVERIFY(h.readSettings().contains(("[Recording]\r\nFolder=" + chosen).toUtf8()));
        test::Harness again;
        again.writeSettings(h.readSettings());
        again.start();
        QCOMPARE(test::RecorderForm()->folder(), chosen);
    }
    test::Harness h;
    h.writeSettings(("[Recording]\r\nFolder=" + program + "\r\n").toUtf8());
    h.start();
    QCOMPARE(test::RecorderForm()->folder(), RecorderWindow::DefaultFolder());
    h.form.reset();
    QVERIFY(!h.readSettings().contains(("Folder=" + program).toUtf8()));
}

}  // namespace corvane::ui

QTEST_MAIN(corvane::ui::RecorderLiveTest)
#include "test_recorder_live.moc"
