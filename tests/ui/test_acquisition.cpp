// Grab, continuous mode, Dyna and the engine monitor on a scripted board.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include "charts/chart_stack.h"
#include "daq/board_errors.h"
#include "scripted_board.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/main_window_texts.h"
#include "ui/results_table.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::charts;
using namespace corvane::ui::test;

namespace {

// Holds the next scans open until the test, running on the window's thread
// while the window waits for the scan, lets them go.
class HeldScan {
public:
    explicit HeldScan(daq::ScriptedBoard& board) : board_(board) {
        board_.SetScanHook([this] {
            entered_ = true;
            while (!released_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    }
    ~HeldScan() { board_.SetScanHook({}); }
    HeldScan(const HeldScan&) = delete;
    HeldScan& operator=(const HeldScan&) = delete;

    // Runs `check` on the window's thread once the scan is held (not after a
    // fixed delay: a loaded machine may take longer to reach the scan), then
    // releases it.
    void duringScan(std::function<void()> check) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [this, poll, check] {
            if (!entered_) return;
            poll->stop();
            poll->deleteLater();
            check();
            released_ = true;
        });
        poll->start(5);
    }

private:
    daq::ScriptedBoard& board_;
    std::atomic<bool> entered_{false};
    std::atomic<bool> released_{false};
};

daq::ScriptedBoard::Scan Samples(std::vector<std::uint16_t> samples) {
    return daq::ScriptedBoard::Scan{daq::kNoErrors, std::move(samples)};
}

int Scans(Harness& h) { return h.scripted().CallCount("cbAInScan"); }

// Scans of channels 0 and 1 (Grabs) after the last Dyna scan.
int GrabsAfterLastDyna(Harness& h) {
    const auto scans = h.scripted().CallsNamed("cbAInScan");
    int grabs = 0;
    for (const auto& scan : scans) grabs = scan.args[1] == 1.0 ? 0 : grabs + 1;
    return grabs;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A board whose scan hangs until it is told to stop, or, when it does not
// obey, until the test lets it go.
class HangingBoard : public daq::ScriptedBoard {
public:
    explicit HangingBoard(bool obeysStop) : obeysStop_(obeysStop) {
        SetScanHook([this] {
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(8);
            while (!(obeysStop_ && stopRequests > 0) && !released &&
                   std::chrono::steady_clock::now() < giveUp)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    }
    int cbStopBackground(int, int) override {
        ++stopRequests;
        return daq::kNoErrors;
    }
    std::atomic<int> stopRequests{0};
    std::atomic<bool> released{false};

private:
    const bool obeysStop_;
};

// Notes the board indicator as each single reading starts.
class IndicatorWatchingBoard : public daq::ScriptedBoard {
public:
    int cbAIn(int board, int channel, int range, std::uint16_t* value) override {
        if (indicator) seen.emplace_back(channel, indicator());
        return ScriptedBoard::cbAIn(board, channel, range, value);
    }
    std::function<bool()> indicator;
    std::vector<std::pair<int, bool>> seen;  // channel, green
};

}  // namespace

class AcquisitionTest : public QObject {
    Q_OBJECT
private slots:
    void missingBoardAtStartUpIsReportedOnce();
    void grabScansTwoChannelsAndSetsTheTimeBase();
    void continuousModeKeepsTheTracesDuringTheScan();
    void uncheckingContinuousWhileArmedGivesOneMoreGrab();
    void speedPointsAccumulateUntilADyna();
    void speedGraphHoldsEveryGrabsPointsInTimeOrder();
    void dynaScansTheTachometerAndSetsTheGraphs();
    void temperaturesShownAreThoseReadBeforeTheScan();
    void monitorTickShowsTemperaturesPressureAndHeat();
    void monitorSkipsItsTickDuringAScan();
    void monitorReadingTurnsTheIndicatorGreenOnceChannel2Answers();
    void secondOperationDuringAScanIsRefused();
    void continuousLoopSurvivesARefusedGrab_data();
    void continuousLoopSurvivesARefusedGrab();
    void failedCaptureLeavesTheLastGoodCapture_data();
    void failedCaptureLeavesTheLastGoodCapture();
    // Runs the application's own loop: last, like the program's end.
    void quittingDuringAScanStopsItWithoutSpinning_data();
    void quittingDuringAScanStopsItWithoutSpinning();
};

void AcquisitionTest::missingBoardAtStartUpIsReportedOnce() {
    Harness h;
    auto board = std::make_unique<daq::ScriptedBoard>();
    board->SetPlugged(false);
    h.start(std::move(board), true);
    QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(h.user->messages.size()), 1, 3000);
    QCOMPARE(h.user->messages[0].text, kMissingBoard);
    QCOMPARE(h.user->messages[0].caption, ApplicationTitle());
    ControlPanel* p = Panel1(*h.form);
    QVERIFY(!p->boardValid());
    QVERIFY(!p->ContinuousCB->isChecked());
    QVERIFY(p->ExportButton->isEnabled());  // prepared before the scan failed
    // The failed capture leaves the record as it was: no capture yet.
    QCOMPARE(h.form->record().SampleCount, 0);
    QCOMPARE(h.form->record().SamplePeriod, 0.0);
    QCOMPARE(h.scripted().LiveBuffers(), std::size_t{0});
    // The monitor keeps the indicator red, and says nothing, until the board answers.
    QTest::qWait(1200);
    QCOMPARE(static_cast<int>(h.user->messages.size()), 1);
    QVERIFY(!p->boardValid());
    QVERIFY(h.scripted().CallCount("cbAIn") >= 2);
    h.scripted().SetPlugged(true);
    QTRY_VERIFY_WITH_TIMEOUT(p->boardValid(), 1500);
    QCOMPARE(Scans(h), 1);  // the timer was not armed again
}

void AcquisitionTest::grabScansTwoChannelsAndSetsTheTimeBase() {
    Harness h;
    h.start();
    h.scripted().QueueScan(Samples(SimulatedGrab()));
    h.scripted().ClearCalls();
    h.form->GrabButtonClick();
    const auto scans = h.scripted().CallsNamed("cbAInScan");
    QCOMPARE(static_cast<int>(scans.size()), 1);
    // board, low, high, count, rate, range, buffer, options
    QCOMPARE(scans[0].args[0], 0.0);
    QCOMPARE(scans[0].args[1], 0.0);
    QCOMPARE(scans[0].args[2], 1.0);
    QCOMPARE(scans[0].args[3], 2000.0);
    QCOMPARE(scans[0].args[4], 1000.0);
    QCOMPARE(scans[0].args[5], 1.0);
    QCOMPARE(scans[0].args[7], 0.0);
    QCOMPARE(h.scripted().LiveBuffers(), std::size_t{0});
    QCOMPARE(h.form->record().SampleCount, 2000);
    QCOMPARE(h.form->record().SamplePeriod, 0.001);
    QVERIFY(!h.form->record().IsDyna);
    QVERIFY(Panel1(*h.form)->boardValid());
    QVERIFY(!h.form->acquiring());
    QVERIFY(!ContinuousTimer(*h.form)->isActive());
    QVERIFY(Panel1(*h.form)->SG->cellText(1, 5).endsWith(" mW"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // A failed scan keeps the new counts, says so once and turns the indicator red.
    h.scripted().QueueScan({daq::kScriptedFailure, {}});
    h.form->GrabButtonClick();
    QCOMPARE(h.user->messages.back().text, kMissingBoard);
    QVERIFY(!Panel1(*h.form)->boardValid());
    QCOMPARE(h.form->record().SampleCount, 2000);
    QCOMPARE(h.form->record().SamplePeriod, 0.001);
    QCOMPARE(Panel2(*h.form)->seriesPointCount(series::kPressure), 0);  // cleared before the scan
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(h.scripted().LiveBuffers(), std::size_t{0});
}

void AcquisitionTest::continuousModeKeepsTheTracesDuringTheScan() {
    Harness h;
    h.start();
    h.scripted().SetDefaultScan(Samples(SimulatedGrab()));
    h.form->GrabButtonClick();
    ChartStack* charts = Panel2(*h.form);
    QCOMPARE(charts->seriesPointCount(series::kPressure), 1000);

    int during = -1;
    {
        HeldScan held(h.scripted());
        held.duringScan([&] { during = charts->seriesPointCount(series::kPressure); });
        Panel1(*h.form)->ContinuousCB->setChecked(true);  // grabs at once
    }
    QCOMPARE(during, 1000);
    QVERIFY(ContinuousTimer(*h.form)->isActive());  // waiting for the next Grab
    {
        QSignalBlocker quiet(Panel1(*h.form)->ContinuousCB);
        Panel1(*h.form)->ContinuousCB->setChecked(false);
    }
    ContinuousTimer(*h.form)->stop();
    {
        HeldScan held(h.scripted());
        held.duringScan([&] { during = charts->seriesPointCount(series::kPressure); });
        h.form->GrabButtonClick();
    }
    QCOMPARE(during, 0);  // outside continuous mode the traces go first
    QCOMPARE(charts->seriesPointCount(series::kPressure), 1000);
}

void AcquisitionTest::uncheckingContinuousWhileArmedGivesOneMoreGrab() {
    Harness h;
    h.start();
    h.scripted().SetDefaultScan(Samples(SimulatedGrab()));
    Panel1(*h.form)->ContinuousCB->setChecked(true);
    QCOMPARE(Scans(h), 1);
    QVERIFY(ContinuousTimer(*h.form)->isActive());
    Panel1(*h.form)->ContinuousCB->setChecked(false);  // its handler does nothing
    QCOMPARE(Scans(h), 1);
    QTRY_COMPARE_WITH_TIMEOUT(Scans(h), 2, 2000);
    QTest::qWait(400);
    QCOMPARE(Scans(h), 2);
    QVERIFY(!ContinuousTimer(*h.form)->isActive());
}

void AcquisitionTest::speedPointsAccumulateUntilADyna() {
    Harness h;
    h.start();
    h.scripted().QueueScan(Samples(SimulatedGrab()));
    h.scripted().QueueScan(Samples(SimulatedGrab()));
    h.form->GrabButtonClick();
    const int afterOne = Panel2(*h.form)->seriesPointCount(series::kSpeedPoints);
    QVERIFY(afterOne >= 1);
    h.form->GrabButtonClick();
    QCOMPARE(Panel2(*h.form)->seriesPointCount(series::kSpeedPoints), 2 * afterOne);

    h.scripted().SetDefaultScan(Samples(SimulatedDyna()));
    h.form->DynaButtonClick();
    const int dyna = Panel2(*h.form)->seriesPointCount(series::kSpeedPoints);
    h.form->DynaButtonClick();
    QCOMPARE(Panel2(*h.form)->seriesPointCount(series::kSpeedPoints), dyna);
}

// Each grab's speed points are merged into the graph as it stands: the graph
// holds exactly the points, in exactly the order, that analysing each capture
// on a copy of the graph before it gives (three speeds, so that the points of
// the grabs interleave, then a rerun that puts each point beside its twin).
void AcquisitionTest::speedGraphHoldsEveryGrabsPointsInTimeOrder() {
    Harness h;
    h.start();
    std::vector<analysis::Point> expected;
    const auto follow = [&] {
        analysis::CaptureRecord copy = h.form->record();
        analysis::AnalysisInputs inputs;
        inputs.rpmPoints = expected;
        expected = analysis::AnalyseCapture(copy, inputs).rpmPoints;
        QCOMPARE(Panel2(*h.form)->rpmPoints(), expected);
    };
    for (double rpm : {500.0, 430.0, 610.0}) {
        h.scripted().QueueScan(Samples(SimulatedGrab(rpm)));
        h.form->GrabButtonClick();
        follow();
    }
    h.form->Button1Click();  // the hidden rerun
    follow();
    QVERIFY(expected.size() >= 8);
    QVERIFY(std::adjacent_find(expected.begin(), expected.end(),
                               [](const analysis::Point& a, const analysis::Point& b) {
                                   return a.x > b.x;
                               }) == expected.end());
}

void AcquisitionTest::dynaScansTheTachometerAndSetsTheGraphs() {
    Harness h;
    h.start();
    h.scripted().SetDefaultScan(Samples(SimulatedDyna()));
    {
        QSignalBlocker quiet(Panel1(*h.form)->ContinuousCB);
        Panel1(*h.form)->ContinuousCB->setChecked(true);
    }
    h.scripted().ClearCalls();
    h.form->DynaButtonClick();
    const auto scans = h.scripted().CallsNamed("cbAInScan");
    QCOMPARE(static_cast<int>(scans.size()), 1);
    QCOMPARE(scans[0].args[1], 1.0);
    QCOMPARE(scans[0].args[2], 1.0);
    QCOMPARE(scans[0].args[3], 4000.0);
    QCOMPARE(h.form->record().SampleCount, 4000);
    QCOMPARE(h.form->record().SamplePeriod, 0.001);
    QVERIFY(h.form->record().IsDyna);
    ControlPanel* p = Panel1(*h.form);
    QVERIFY(!Box(p, "PressureCB")->isChecked() && Box(p, "TachCB")->isChecked() &&
            !Box(p, "PVCB")->isChecked());
    QVERIFY(Box(p, "RPMCB")->isChecked() && Box(p, "PowerCB")->isChecked());
    QVERIFY(!ContinuousTimer(*h.form)->isActive());  // a Dyna never re-arms it
    // An empty disk table gives no power: the advice to read the help.
    QCOMPARE(h.user->messages.back().text,
             QString("Please consult Help for proper Dynamometer methodology"));

    h.scripted().QueueScan({daq::kScriptedFailure, {}});
    h.form->DynaButtonClick();
    QCOMPARE(h.user->messages.back().text, kMissingBoard);
    QVERIFY(p->ContinuousCB->isChecked());  // a failed Dyna leaves Continuous alone
    QCOMPARE(Panel2(*h.form)->seriesPointCount(series::kSpeedPoints), 0);
}

void AcquisitionTest::temperaturesShownAreThoseReadBeforeTheScan() {
    Harness h;
    h.start();
    daq::ScriptedBoard& board = h.scripted();
    board.SetChannelCount(2, 2652);  // 294.9 K
    board.SetChannelCount(4, 2770);  // 352.5 K
    board.SetChannelCount(3, 2437);  // 1.9 V: 14.4 W
    board.QueueScan(Samples(SimulatedGrab()));
    board.SetScanHook([&board] {
        board.SetChannelCount(2, 3000);
        board.SetChannelCount(4, 3100);
    });
    h.form->GrabButtonClick();
    QCOMPARE(Panel1(*h.form)->SG->cellText(0, 0), QString("Lo Tmp"));
    QCOMPARE(Panel1(*h.form)->SG->cellText(1, 0), QString("294.9 K"));
    QCOMPARE(Panel1(*h.form)->SG->cellText(1, 1), QString("352.5 K"));
    QCOMPARE(Panel1(*h.form)->SG->cellText(1, 2), QString("14.4 W"));
}

void AcquisitionTest::monitorTickShowsTemperaturesPressureAndHeat() {
    Harness h;
    h.start();
    daq::ScriptedBoard& board = h.scripted();
    ControlPanel* p = Panel1(*h.form);
    board.SetChannelCount(0, 1946);  // -0.498 V
    board.SetChannelCount(2, 2652);
    board.SetChannelCount(4, 2805);  // 369.63 K: not yet too hot
    Box(p, "TachCB")->setChecked(false);
    board.ClearCalls();
    h.form->TempMonitorTimerTimer();
    std::vector<double> channels;
    for (const auto& call : board.CallsNamed("cbAIn")) channels.push_back(call.args[1]);
    QCOMPARE(channels, (std::vector<double>{2, 4, 0}));
    QCOMPARE(p->lPress->text(), QString("-\r\n0\r\n.\r\n5\r\n0\r\n"));
    QCOMPARE(p->lTemps->text(), QString("294.9 K - 369.6 K"));
    QCOMPARE(h.user->beeps, 0);
    QVERIFY(!Panel2(*h.form)->hotEngineVisible());
    QVERIFY(!Box(p, "TachCB")->isChecked());

    board.SetChannelCount(4, 2806);  // 370.12 K
    h.form->TempMonitorTimerTimer();
    QCOMPARE(h.user->beeps, 1);
    QVERIFY(Box(p, "TachCB")->isChecked());
    QVERIFY(Panel2(*h.form)->hotEngineVisible());
    QVERIFY(Panel2(*h.form)->chartVisible(kChart2));

    board.SetChannelCount(4, 2805);
    h.form->TempMonitorTimerTimer();
    QVERIFY(!Panel2(*h.form)->hotEngineVisible());

    // A board that stops answering turns the indicator red and freezes the labels.
    board.SetChannelResult(4, daq::kScriptedFailure);
    h.form->TempMonitorTimerTimer();
    QVERIFY(!p->boardValid());
    QCOMPARE(p->lTemps->text(), QString("294.9 K - 369.6 K"));
}

void AcquisitionTest::monitorSkipsItsTickDuringAScan() {
    Harness h;
    h.start();
    h.scripted().QueueScan(Samples(SimulatedGrab()));
    int readsDuring = -1;
    bool acquiringDuring = false;
    {
        HeldScan held(h.scripted());
        held.duringScan([&] {
            acquiringDuring = h.form->acquiring();
            const int before = h.scripted().CallCount("cbAIn");
            h.form->TempMonitorTimerTimer();
            readsDuring = h.scripted().CallCount("cbAIn") - before;
        });
        h.form->GrabButtonClick();
    }
    QVERIFY(acquiringDuring);
    QCOMPARE(readsDuring, 0);
    QVERIFY(!h.form->acquiring());
}

void AcquisitionTest::monitorReadingTurnsTheIndicatorGreenOnceChannel2Answers() {
    Harness h;
    auto owned = std::make_unique<IndicatorWatchingBoard>();
    IndicatorWatchingBoard* board = owned.get();
    h.start(std::move(owned));
    board->indicator = [&h] { return Panel1(*h.form)->boardValid(); };
    h.form->ReadEngineMonitor(h.form->record());
    using Seen = std::vector<std::pair<int, bool>>;
    QCOMPARE(board->seen, (Seen{{2, false}, {3, true}, {4, true}}));
    // The timer turns it green only once all three have answered.
    board->seen.clear();
    h.form->TempMonitorTimerTimer();
    QCOMPARE(board->seen, (Seen{{2, false}, {4, false}, {0, false}}));
    QVERIFY(Panel1(*h.form)->boardValid());
}

void AcquisitionTest::secondOperationDuringAScanIsRefused() {
    Harness h;
    h.start();
    h.scripted().SetDefaultScan(Samples(SimulatedGrab()));
    // An export while the scan runs would pair the new capture's kind and
    // length with the previous capture's samples.
    h.user->saveAnswers.push_back(h.path("during.csv"));
    bool busyDuring = false;
    {
        HeldScan held(h.scripted());
        held.duringScan([&] {
            busyDuring = h.form->busy();
            h.form->GrabButtonClick();
            h.form->DynaButtonClick();
            h.form->ImportButtonClick();
            h.form->MultipleButtonClick();
            h.form->ExportButtonClick();
            h.form->ContinuousTimerTimer();
            h.form->Button1Click();
        });
        h.form->GrabButtonClick();
    }
    QVERIFY(busyDuring);
    QCOMPARE(Scans(h), 1);
    QVERIFY(h.user->dialogs.empty());
    QVERIFY(!QFile::exists(h.path("during.csv")));
    QVERIFY(h.user->messages.empty());
    QVERIFY(!h.form->busy());
    QVERIFY(!h.form->record().IsDyna);
    // Once it is over the next one runs.
    h.form->GrabButtonClick();
    QCOMPARE(Scans(h), 2);
}

void AcquisitionTest::continuousLoopSurvivesARefusedGrab_data() {
    QTest::addColumn<bool>("armedBefore");  // a Grab with the box checked armed the timer
    QTest::addColumn<bool>("checkDuring");  // the box is checked while the Dyna runs
    QTest::addColumn<bool>("uncheckDuring");
    QTest::addColumn<int>("grabsAfter");
    QTest::newRow("the armed tick arrives during a Dyna") << true << false << false << 1;
    QTest::newRow("the box is checked during a Dyna") << false << true << false << 1;
    QTest::newRow("the box is unchecked again before the Dyna ends") << true << false << true << 0;
}

void AcquisitionTest::continuousLoopSurvivesARefusedGrab() {
    QFETCH(bool, armedBefore);
    QFETCH(bool, checkDuring);
    QFETCH(bool, uncheckDuring);
    QFETCH(int, grabsAfter);
    Harness h;
    h.start();
    h.scripted().SetDefaultScan(Samples(SimulatedGrab()));
    QCheckBox* continuous = Panel1(*h.form)->ContinuousCB;
    if (armedBefore) continuous->setChecked(true);  // grabs at once, then waits
    h.scripted().QueueScan(Samples(SimulatedDyna()));
    {
        HeldScan held(h.scripted());
        held.duringScan([&] {
            if (checkDuring) continuous->setChecked(true);  // its Grab is refused
            QTest::qWait(300);  // the timer's tick, if armed, is refused
            if (uncheckDuring) continuous->setChecked(false);
        });
        h.form->DynaButtonClick();
    }
    QCOMPARE(GrabsAfterLastDyna(h), 0);
    // While the box stays checked the loop goes on after the Dyna.
    if (grabsAfter > 0) {
        QTRY_VERIFY_WITH_TIMEOUT(GrabsAfterLastDyna(h) >= grabsAfter, 2000);
    } else {
        QTest::qWait(400);
        QCOMPARE(GrabsAfterLastDyna(h), 0);
    }
    QSignalBlocker quiet(continuous);
    continuous->setChecked(false);
    ContinuousTimer(*h.form)->stop();
}

void AcquisitionTest::failedCaptureLeavesTheLastGoodCapture_data() {
    QTest::addColumn<bool>("goodIsDyna");
    QTest::addColumn<bool>("failingIsDyna");
    QTest::addColumn<QString>("failure");  // "result", "unplugged" during the scan, "throws"
    QTest::newRow("a Grab after a Dyna fails") << true << false << "result";
    QTest::newRow("a Dyna after a Grab fails") << false << true << "result";
    QTest::newRow("the cable is pulled during a Grab") << true << false << "unplugged";
    QTest::newRow("the board throws during a Dyna") << false << true << "throws";
}

void AcquisitionTest::failedCaptureLeavesTheLastGoodCapture() {
    QFETCH(bool, goodIsDyna);
    QFETCH(bool, failingIsDyna);
    QFETCH(QString, failure);
    Harness h;
    h.start();
    daq::ScriptedBoard& board = h.scripted();
    ControlPanel* p = Panel1(*h.form);
    board.SetChannelCount(2, 2652);
    board.SetChannelCount(3, 2437);
    board.SetChannelCount(4, 2770);
    board.QueueScan(Samples(goodIsDyna ? SimulatedDyna() : SimulatedGrab()));
    if (goodIsDyna)
        h.form->DynaButtonClick();
    else
        h.form->GrabButtonClick();
    h.user->saveAnswers = {h.path("good.csv")};
    h.form->ExportButtonClick();
    const auto good = std::make_unique<analysis::CaptureRecord>(h.form->record());
    std::vector<QString> table;
    for (int row = 0; row < ResultsTable::kRows; ++row)
        for (int col = 0; col < 2; ++col) table.push_back(p->SG->cellText(col, row));

    // The engine has warmed up since: the failed attempt reads other temperatures.
    board.SetChannelCount(2, 3000);
    board.SetChannelCount(4, 3100);
    if (failure == "result") {
        board.QueueScan({daq::kScriptedFailure, {}});
    } else if (failure == "unplugged") {
        board.QueueScan(Samples(SimulatedGrab()));
        board.SetScanHook([&board] { board.SetPlugged(false); });
    } else {
        board.SetScanHook([] { throw std::runtime_error("USB transfer failed"); });
    }
    h.user->messages.clear();
    if (failingIsDyna)
        h.form->DynaButtonClick();
    else
        h.form->GrabButtonClick();
    board.SetScanHook({});
    board.SetPlugged(true);

    // The failure is told as before ...
    if (failure == "throws") {
        QCOMPARE(h.user->errors, std::vector<QString>{"USB transfer failed"});
    } else {
        QCOMPARE(h.user->messages.size(), std::size_t{1});
        QCOMPARE(h.user->messages[0].text, kMissingBoard);
        QVERIFY(!p->boardValid());
    }
    QCOMPARE(board.LiveBuffers(), std::size_t{0});
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!h.form->acquiring());
    // ... and the record, the table and Export still describe the good capture.
    const analysis::CaptureRecord& now = h.form->record();
    QCOMPARE(now.IsDyna, good->IsDyna);
    QCOMPARE(now.SampleCount, good->SampleCount);
    QCOMPARE(now.SamplePeriod, good->SamplePeriod);
    QCOMPARE(now.LoTemp, good->LoTemp);
    QCOMPARE(now.HiTemp, good->HiTemp);
    QCOMPARE(now.ResistorPower, good->ResistorPower);
    QVERIFY(now.RawSamples == good->RawSamples);
    QVERIFY(now.Tach == good->Tach);
    QCOMPARE(now.FlyHoleCount, good->FlyHoleCount);
    for (int row = 0, i = 0; row < ResultsTable::kRows; ++row)
        for (int col = 0; col < 2; ++col, ++i) QCOMPARE(p->SG->cellText(col, row), table[i]);
    h.user->saveAnswers = {h.path("after.csv")};
    h.form->ExportButtonClick();
    QCOMPARE(ReadFile(h.path("after.csv")), ReadFile(h.path("good.csv")));
}

void AcquisitionTest::quittingDuringAScanStopsItWithoutSpinning_data() {
    QTest::addColumn<bool>("obeysStop");
    QTest::newRow("the board stops its scan") << true;
    QTest::newRow("the board never returns") << false;
}

void AcquisitionTest::quittingDuringAScanStopsItWithoutSpinning() {
    QFETCH(bool, obeysStop);
    Harness h;
    h.closingWait = ClosingWait{400, 400};
    auto owned = std::make_unique<HangingBoard>(obeysStop);
    HangingBoard* board = owned.get();
    h.start(std::move(owned));
    // As the program does: closing the window ends the application's loop.
    QObject::connect(h.form.get(), &TForm1::closed, qApp, &QCoreApplication::quit);
    bool grabReturned = false;
    QTimer::singleShot(0, h.form.get(), [&] {
        h.form->GrabButtonClick();
        grabReturned = true;
    });
    QTimer::singleShot(300, h.form.get(), [&] { h.form->close(); });
    const std::clock_t cpuStart = std::clock();
    QElapsedTimer wall;
    wall.start();
    QCoreApplication::exec();
    const double wallSeconds = wall.elapsed() / 1000.0;
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    QVERIFY(grabReturned);
    QCOMPARE(board->stopRequests.load(), 1);
    QVERIFY2(wallSeconds < 3.0, qPrintable(QString::number(wallSeconds)));
    QVERIFY2(cpuSeconds < 0.5 * wallSeconds,
             qPrintable(QString("%1 s of processor in %2 s").arg(cpuSeconds).arg(wallSeconds)));
    // Closing is no failure of the board, and the capture ends unanalysed.
    QVERIFY(h.user->messages.empty());
    QVERIFY(h.user->errors.empty());
    QCOMPARE(h.form->record().SampleCount, 0);
    QVERIFY(!h.form->acquiring());
    h.form.reset();  // the program's end: the settings are saved
    QVERIFY(h.readSettings().contains("[Form]"));
    // A board left behind lives on: let its scan end. One whose scan ended went
    // with the window.
    if (!obeysStop) board->released = true;
}

QTEST_MAIN(AcquisitionTest)
#include "test_acquisition.moc"
