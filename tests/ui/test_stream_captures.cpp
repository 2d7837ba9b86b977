// The main window while the Recorder records the simulated engine: Grab,
// continuous grabs and Dyna take their samples from the recording's stream
// (the very samples of the folder, no scan of their own), the engine monitor
// and its hot-engine warning read the stream, the stream's buffer follows the
// engine's speed-up, and quitting asks first and then closes the folder.

#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <atomic>

#include "daq/simulated_board.h"
#include "recording/recording_reader.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/main_window_texts.h"
#include "ui/quit_while_recording.h"
#include "ui/recorder/recorder_window.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::ui::test;

namespace {

// The simulated engine, counting what the window asks of it beside the stream.
class WatchedBoard : public daq::SimulatedBoard {
public:
    using SimulatedBoard::SimulatedBoard;
    int cbAIn(int board, int channel, int range, std::uint16_t* value) override {
        ++readings;
        return SimulatedBoard::cbAIn(board, channel, range, value);
    }
    int cbAInScan(int board, int low, int high, long count, long* rate, int range,
                  daq::BufferHandle buffer, int options) override {
        if (options == 0) ++blockScans;
        return SimulatedBoard::cbAInScan(board, low, high, count, rate, range, buffer, options);
    }
    daq::BufferHandle cbWinBufAlloc(long count) override {
        largestBuffer = std::max(largestBuffer.load(), count);
        return SimulatedBoard::cbWinBufAlloc(count);
    }
    std::atomic<int> readings{0};
    std::atomic<int> blockScans{0};
    std::atomic<long> largestBuffer{0};
};

daq::EngineParameters SpedUpEngine(double speedUp, bool tooHot) {
    daq::EngineParameters parameters;
    parameters.run.speedUp = speedUp;
    parameters.faults.tooHot = tooHot;
    return parameters;
}

// The first scan of the folder whose channels low..high read `wanted`, scan
// after scan; -1 when there is none.
long long Where(const QString& run, const std::vector<std::uint16_t>& wanted, int low, int high) {
    const auto contents = recording::ReadRecording(run.toStdString());
    const recording::SampleFile file(run.toStdString(), contents.manifest.format);
    const auto all = file.Read(0, file.Scans());
    const auto channels = static_cast<std::size_t>(contents.manifest.format.Channels());
    const auto width = static_cast<std::size_t>(high - low + 1);
    const std::size_t scans = wanted.size() / width;
    for (std::size_t first = 0; first + scans <= file.Scans(); ++first) {
        bool same = true;
        for (std::size_t k = 0; k < scans && same; ++k)
            for (std::size_t c = 0; c < width && same; ++c)
                same = all[(first + k) * channels + static_cast<std::size_t>(low) + c] ==
                       wanted[k * width + c];
        if (same) return static_cast<long long>(first);
    }
    return -1;
}

std::vector<std::uint16_t> Captured(TForm1& form) {
    const auto& raw = form.record().RawSamples;
    return {raw.begin(), raw.begin() + form.record().SampleCount};
}

struct Recording {
    Harness h;
    WatchedBoard* board = nullptr;
    RecorderWindow* recorder = nullptr;

    explicit Recording(double speedUp = 1.0, bool tooHot = false) {
        auto owned = std::make_unique<WatchedBoard>(SpedUpEngine(speedUp, tooHot));
        board = owned.get();
        h.start(std::move(owned));
        recorder = RecorderForm();
        recorder->setFolder(h.path("runs"));
    }
    void start() {
        QVERIFY(recorder->startRecording());
        board->readings = 0;
    }
    // Stops, and waits until the folder is closed and read back.
    void stop() {
        recorder->stopRecording();
        QTRY_VERIFY_WITH_TIMEOUT(!recorder->recording(), 10000);
    }
};

}  // namespace

class StreamCapturesTest : public QObject {
    Q_OBJECT
private slots:
    void grabContinuousAndDynaTakeTheRecordingsScans();
    void monitorAndItsWarningReadTheStream();
    void quittingWhileRecordingAsksAndClosesTheFolder();
};

void StreamCapturesTest::grabContinuousAndDynaTakeTheRecordingsScans() {
    Recording r;  // in real time: a continuous grab that did not wait would overlap the last
    r.start();
    r.h.form->GrabButtonClick();
    QCOMPARE(r.h.form->record().SampleCount, 2000);
    QVERIFY(!r.h.form->record().IsDyna);
    QCOMPARE(r.h.form->windowTitle(), QString(kCaption));
    const auto grab = Captured(*r.h.form);

    QCheckBox* continuous = Panel1(*r.h.form)->ContinuousCB;
    continuous->setChecked(true);  // the first continuous grab, at once
    const auto first = Captured(*r.h.form);
    r.h.form->ContinuousTimerTimer();
    const auto second = Captured(*r.h.form);
    continuous->setChecked(false);

    r.h.form->DynaButtonClick();
    QVERIFY(r.h.form->record().IsDyna);
    QCOMPARE(r.h.form->record().SampleCount, 4000);
    QCOMPARE(r.h.form->record().SamplePeriod, 0.001);
    const auto dyna = Captured(*r.h.form);
    QCOMPARE(r.board->blockScans.load(), 0);
    QCOMPARE(r.board->readings.load(), 0);
    r.stop();

    const QString run = r.recorder->runFolder();
    QVERIFY(Where(run, grab, 0, 1) >= 0);
    const long long a = Where(run, first, 0, 1), b = Where(run, second, 0, 1);
    QVERIFY(a >= Where(run, grab, 0, 1) + 1000);
    QVERIFY2(b >= a + 1000, "a continuous grab never takes the last one's scans again");
    QVERIFY2(Where(run, dyna, 1, 1) > b, "the dyna's tachometer, after the grabs");
}

void StreamCapturesTest::monitorAndItsWarningReadTheStream() {
    Recording r(10.0, true);
    r.start();
    // Ten seconds of real time at the engine's speed-up, five channels.
    QCOMPARE(r.board->largestBuffer.load(), 10L * 10 * 1000 * 5);
    QTRY_VERIFY_WITH_TIMEOUT(!r.recorder->cycles().empty(), 10000);
    const int beeps = r.h.user->beeps;
    Panel1(*r.h.form)->lTemps->setText("");
    r.h.form->TempMonitorTimerTimer();
    QVERIFY(Panel1(*r.h.form)->lTemps->text().endsWith(" K"));
    QCOMPARE(r.h.user->beeps, beeps + 1);  // the hot engine, from the stream's high temperature
    QCOMPARE(r.board->readings.load(), 0);
    r.stop();
    r.h.form->TempMonitorTimerTimer();
    QVERIFY2(r.board->readings.load() > 0, "single readings again once the recording is closed");
}

void StreamCapturesTest::quittingWhileRecordingAsksAndClosesTheFolder() {
    Recording r;
    r.start();
    QTRY_VERIFY_WITH_TIMEOUT(!r.recorder->cycles().empty(), 10000);
    r.h.user->confirmAnswers = {false};
    QVERIFY(!r.h.form->close());
    QVERIFY(r.recorder->recording());
    QCOMPARE(r.h.user->confirmations, std::vector<QString>{kQuitWhileRecording});

    r.h.user->confirmAnswers = {true};
    QVERIFY(r.h.form->close());
    QVERIFY(!r.recorder->recording());
    const auto contents = recording::ReadRecording(r.recorder->runFolder().toStdString());
    QVERIFY(contents.scans > 0);
    QCOMPARE(contents.manifest.scans, contents.scans);  // the manifest counts every scan held
    QCOMPARE(QString::fromStdString(contents.events.back().text), QString("stop"));
}

QTEST_MAIN(StreamCapturesTest)
#include "test_stream_captures.moc"
