// The window on the simulated engine: start-up, Dyna and a continuous run.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTest>
#include <atomic>
#include <functional>

#include "charts/chart_stack.h"
#include "daq/simulated_board.h"
#include "test_support.h"
#include "ui/compact_cell_delegate.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/engine_simulator_window.h"
#include "ui/performance/performance_window.h"
#include "ui/results_table.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::charts;
using namespace corvane::ui::test;

namespace {

// The simulated engine, counting its finished scans.
class CountingBoard : public daq::SimulatedBoard {
public:
    using SimulatedBoard::SimulatedBoard;
    int cbAInScan(int board, int low, int high, long count, long* rate, int range,
                  daq::BufferHandle buffer, int options) override {
        const int result =
            SimulatedBoard::cbAInScan(board, low, high, count, rate, range, buffer, options);
        ++scans;
        return result;
    }
    std::atomic<int> scans{0};
};

// The texts of the results table, the disk table and the monitor labels that
// are not drawn whole: a cell's text wider than its cell, or drawn smaller
// than legible; a label line wider than its label, or a label past the panel.
QStringList Clipped(const ControlPanel* p) {
    QStringList clipped;
    for (const QTableWidget* table : std::initializer_list<const QTableWidget*>{p->SG, p->MOISG}) {
        for (int row = 0; row < table->rowCount(); ++row) {
            for (int col = 0; col < table->columnCount(); ++col) {
                const QString text = table->item(row, col) ? table->item(row, col)->text() : "";
                const int width = table->columnWidth(col);
                const QFont font = CompactCellDelegate::TextFont(table->font(), text, width);
                const int room =
                    width - CompactCellDelegate::kLeftMargin - CompactCellDelegate::kRightMargin;
                if (QFontMetrics(font).horizontalAdvance(text) > room ||
                    font.pixelSize() < CompactCellDelegate::kSmallestPixels)
                    clipped << table->objectName() + ": " + text;
            }
        }
    }
    const int panelRight = p->contentsRect().right() + 1;
    for (const QLabel* label : {p->lPress, p->lTemps, p->lError}) {
        const QString text = label->text();
        if (label->geometry().right() + 1 > panelRight)
            clipped << label->objectName() + " past the panel: " + text;
        for (QString line : text.split('\n')) {
            line.remove('\r');
            if (QFontMetrics(label->font()).horizontalAdvance(line) > label->width())
                clipped << label->objectName() + ": " + line;
        }
        if (label->font().pixelSize() < CompactCellDelegate::kSmallestPixels)
            clipped << label->objectName() + " too small: " + text;
    }
    // Button captions whole, with the style's room around them, inside the panel.
    constexpr int kCaptionPadding = 10;
    for (const QPushButton* button : p->findChildren<QPushButton*>()) {
        if (button->isHidden()) continue;
        const QString caption = QString(button->text()).remove('&');
        if (QFontMetrics(button->font()).horizontalAdvance(caption) + kCaptionPadding >
            button->width())
            clipped << button->objectName() + ": " + caption;
        if (button->geometry().right() + 1 > panelRight)
            clipped << button->objectName() + " past the panel";
    }
    return clipped;
}

}  // namespace

class LiveEngineTest : public QObject {
    Q_OBJECT
private slots:
    void startUpShowsAFullGrab();
    void dynaWithTheFlywheelInTheTableGivesPowerAndTorque();
    void continuousRunKeepsTheWindowResponsive();
    void engineSimulatorWindowShowsTheFaults();
    void onlySimulatedCapturesCarryTheMark();
    void everyFigureIsDrawnWhole();
};

void LiveEngineTest::startUpShowsAFullGrab() {
    Harness h;
    h.start(InstantSimulatedBoard(), true);
    ControlPanel* p = Panel1(*h.form);
    QTRY_VERIFY_WITH_TIMEOUT(p->SG->cellText(1, 5).endsWith(" mW"), 3000);
    QVERIFY(h.user->messages.empty());
    QVERIFY(h.user->errors.empty());
    QVERIFY(p->boardValid());
    QCOMPARE(p->lError->text(), QString());
    const double rpm = p->SG->cellText(1, 4).remove(',').toDouble();
    QVERIFY2(rpm > 450 && rpm < 550, qPrintable(p->SG->cellText(1, 4)));
    for (int row = 0; row < 4; ++row) QVERIFY(!p->SG->cellText(1, row).isEmpty());
    ChartStack* charts = Panel2(*h.form);
    QCOMPARE(charts->seriesPointCount(series::kPressure), 1000);
    QVERIFY(charts->seriesPointCount(series::kPvPoints) > 50);
    QVERIFY(charts->seriesPointCount(series::kSpeedPoints) >= 1);
}

void LiveEngineTest::dynaWithTheFlywheelInTheTableGivesPowerAndTorque() {
    Harness h;
    h.start(InstantSimulatedBoard());
    DiskTable* disks = Panel1(*h.form)->MOISG;
    disks->setCellText(0, 0, "100");  // the simulated flywheel: 100 g, 100 mm
    disks->setCellText(1, 0, "100");
    h.form->DynaButtonClick();
    QVERIFY(h.user->messages.empty());  // no advice: the run gave power
    ControlPanel* p = Panel1(*h.form);
    QVERIFY(p->SG->cellText(1, 6).endsWith(" mw"));
    QVERIFY(p->SG->cellText(1, 6) != "0 mw");
    QVERIFY(p->SG->cellText(1, 7).endsWith(" mNm"));
    QVERIFY(Panel2(*h.form)->seriesPointCount(series::kSmoothedPower) >= 1);  // smoothed power
}

void LiveEngineTest::continuousRunKeepsTheWindowResponsive() {
    Harness h;
    auto board = std::make_unique<CountingBoard>();  // real one-second scans
    CountingBoard* counting = board.get();
    h.start(std::move(board));
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longestGap = 0;
    int ticks = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - last);
        last = clock.elapsed();
        ++ticks;
    });
    heartbeat.start(50);
    Panel1(*h.form)->ContinuousCB->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(counting->scans >= 5, 10000);
    Panel1(*h.form)->ContinuousCB->setChecked(false);
    QTRY_VERIFY_WITH_TIMEOUT(!h.form->busy() && !ContinuousTimer(*h.form)->isActive(), 3000);
    heartbeat.stop();
    QVERIFY(h.user->messages.empty());
    // The window handled its events all along, never blocked for a scan's second.
    QVERIFY2(longestGap < 500, qPrintable(QString::number(longestGap)));
    QVERIFY(ticks >= 20);
}

void LiveEngineTest::onlySimulatedCapturesCarryTheMark() {
    Harness h;
    h.start(InstantSimulatedBoard());
    const QString file = WriteCapture(h, "measured.CSV", false);
    ChartStack* charts = Panel2(*h.form);
    PerformanceWindow* performance = PerformanceForm();
    // Grab, import, Dyna: the mark follows where each capture came from, and
    // the board's own note stays all along.
    const std::vector<std::pair<std::function<void()>, bool>> steps{
        {[&] { h.form->GrabButtonClick(); }, true},
        {[&] { h.form->ImportCaptureFile(file); }, false},
        {[&] { h.form->DynaButtonClick(); }, true},
    };
    for (const auto& [step, simulated] : steps) {
        step();
        QCOMPARE(charts->simulated(), simulated);
        QCOMPARE(performance->simulated(), simulated);
        QVERIFY(Panel1(*h.form)->boardIsValid->toolTip().contains("SIMULATED"));
    }
}

void LiveEngineTest::engineSimulatorWindowShowsTheFaults() {
    Harness h;
    h.start(InstantSimulatedBoard());
    h.form->ShowEngineSimulator();
    EngineSimulatorWindow* simulator = EngineSimulator(*h.form);
    QVERIFY(simulator && simulator->isVisible());
    // Nobody mistakes a simulated capture for a measurement.
    QVERIFY(Panel2(*h.form)->simulated());
    QVERIFY(Panel1(*h.form)->boardIsValid->toolTip().contains("SIMULATED"));
    ControlPanel* p = Panel1(*h.form);

    simulator->unplugged()->setChecked(true);
    h.form->TempMonitorTimerTimer();
    QVERIFY(!p->boardValid());
    h.form->GrabButtonClick();
    QCOMPARE(static_cast<int>(h.user->messages.size()), 1);
    QVERIFY(h.user->messages[0].text.startsWith("DAQ hardware not found"));
    simulator->unplugged()->setChecked(false);

    simulator->tooHot()->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT((h.form->TempMonitorTimerTimer(), Panel2(*h.form)->hotEngineVisible()),
                             5000);
    QVERIFY(h.user->beeps >= 1);
    QVERIFY(p->boardValid());

    simulator->missedHole()->setChecked(true);
    h.form->GrabButtonClick();
    QCOMPARE(p->lError->text(), QString("Bad red spikes"));
    h.form->close();
    QVERIFY(!simulator->isVisible());
}

void LiveEngineTest::everyFigureIsDrawnWhole() {
    daq::EngineParameters engine;
    engine.instantScans = true;
    Harness h;
    h.start(std::make_unique<daq::SimulatedBoard>(engine));
    auto& board = dynamic_cast<daq::SimulatedBoard&>(*h.board);
    ControlPanel* p = Panel1(*h.form);
    h.form->FormKeyPress();  // "?": the pressure label before any reading
    QVERIFY2(Clipped(p).isEmpty(), qPrintable(Clipped(p).join(" | ")));

    // A heavy disk in the table: four-digit power and two-digit torque.
    p->MOISG->setCellText(0, 0, "1000");
    p->MOISG->setCellText(1, 0, "200");
    p->MOISG->setCurrentCell(0, 1);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    p->MOISG->MOISGKeyPress(&enter);
    h.form->GrabButtonClick();
    h.form->TempMonitorTimerTimer();
    QVERIFY(!p->SG->cellText(1, 5).isEmpty());
    QVERIFY2(Clipped(p).isEmpty(), qPrintable(Clipped(p).join(" | ")));

    h.form->DynaButtonClick();
    QVERIFY2(p->SG->cellText(1, 6).contains(','), qPrintable(p->SG->cellText(1, 6)));
    QVERIFY2(Clipped(p).isEmpty(), qPrintable(Clipped(p).join(" | ")));

    engine.faults.tooHot = true;
    board.SetParameters(engine);
    QTRY_VERIFY_WITH_TIMEOUT((h.form->TempMonitorTimerTimer(), Panel2(*h.form)->hotEngineVisible()),
                             5000);
    QVERIFY2(Clipped(p).isEmpty(), qPrintable(Clipped(p).join(" | ")));
    h.form->FormKeyPress();
}

QTEST_MAIN(LiveEngineTest)
#include "test_live_engine.moc"
