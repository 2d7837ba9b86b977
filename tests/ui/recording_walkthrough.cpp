// corvane-recording-walkthrough <folder>: the manual's "Recording an
// experiment" on the simulated engine, done through the windows as a user
// does it: the run set in the Engine simulator (warm-up, two load steps,
// sped up), the Recorder opened from the main window, Start, marks, Stop,
// "Save report…". Saves simulator.png, warm-up.png, sweep.png and run.pdf in
// the folder and prints what the run gave. Not a test: run it under xvfb-run -a.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "daq/simulated_board.h"
#include "test_support.h"
#include "ui/help/error_reporter.h"
#include "ui/main_window.h"
#include "ui/engine_run_controls.h"
#include "ui/engine_simulator_window.h"
#include "ui/recorder/recorder_window.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::ui::test;

namespace {

constexpr double kSpeedUp = 60;  // a minute of the run per second

// Turns the event loop until the run has reached `minutes` (or the time is up).
bool RunUntil(RecorderWindow& recorder, double minutes, int realSeconds = 120) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < realSeconds * 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!recorder.cycles().empty() && recorder.cycles().back().timeS >= minutes * 60) return true;
    }
    return false;
}

void Mark(RecorderWindow& recorder, const char* text) {
    recorder.markField()->setText(text);
    QTest::keyClick(recorder.markField(), Qt::Key_Return);
}

void SetUpTheRun(EngineSimulatorWindow& simulator) {
    EngineRunControls* run = simulator.run();
    run->warmUp()->setChecked(true);
    run->speedUp()->setValue(kSpeedUp);
    run->addStep(30, 4.0, 2.0);  // load raised at 30 min
    run->addStep(40, 4.0, 3.0);  // and again at 40 min
}

int Walkthrough(const QString& folder) {
    QDir().mkpath(folder);
    Harness h;
    h.start(std::make_unique<daq::SimulatedBoard>());
    h.form->ShowEngineSimulator();
    EngineSimulatorWindow* simulator = EngineSimulator(*h.form);
    SetUpTheRun(*simulator);
    QTest::qWait(300);
    simulator->grab().save(folder + "/simulator.png");

    h.form->RecordButtonClick();
    RecorderWindow* recorder = RecorderForm();
    recorder->setFolder(folder);
    recorder->resize(1400, 900);
    recorder->startButton()->click();
    if (!RunUntil(*recorder, 0.5)) return 1;
    Mark(*recorder, "heater on");
    if (!RunUntil(*recorder, 25)) return 1;
    recorder->grab().save(folder + "/warm-up.png");
    std::printf("warm-up: %s at %.1f min\n", qPrintable(recorder->steadyIndicator()->text()),
                recorder->cycles().back().timeS / 60);
    if (!RunUntil(*recorder, 30)) return 1;
    Mark(*recorder, "load 2 mNm");
    if (!RunUntil(*recorder, 40)) return 1;
    Mark(*recorder, "load 3 mNm");
    if (!RunUntil(*recorder, 50)) return 1;
    recorder->stopButton()->click();
    if (!QTest::qWaitFor([recorder] { return !recorder->recording(); }, 20000)) return 1;
    QTest::qWait(500);
    recorder->grab().save(folder + "/sweep.png");
    std::printf("%s\n%s: %zu cycles, %zu operating points\n",
                qPrintable(recorder->statusLine()->text()), qPrintable(recorder->gapsLabel()->text()),
                recorder->cycles().size(), recorder->operatingPoints().size());
    const bool saved = recorder->saveReport(folder + "/run.pdf");
    std::printf("%s\n", qPrintable(recorder->statusLine()->text()));
    return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    CorvaneApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 2) return Walkthrough(args[1]);
    std::fprintf(stderr, "usage: corvane-recording-walkthrough <folder>\n");
    return 2;
}
