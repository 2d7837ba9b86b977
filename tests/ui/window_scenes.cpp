// corvane-window-scenes: drives the real main window on the simulated engine,
// for pictures and figures that no test asserts.
//   corvane-window-scenes shots <folder>   import.png, menu.png, grab.png, pv.png,
//                                          performance-grab.png, pv-overlay.png, scan.png,
//                                          dyna.png, performance-dyna.png, hot.png,
//                                          no-board.png
//   corvane-window-scenes figures          start-up, repaint and memory figures

#include <qcustomplot.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>

#include "charts/chart_stack.h"
#include "daq/simulated_board.h"
#include "files/capture_writer.h"
#include "test_support.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/help/error_reporter.h"
#include "ui/performance/performance_window.h"
#include "ui/windows/pv_image_form.h"

using namespace corvane;
using namespace corvane::ui;
using namespace corvane::charts;
using namespace corvane::ui::test;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

long ResidentKb() {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toLong();
    return -1;
}

// Notes the times of a widget's paints.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    int paints() const { return paints_; }
    Clock::time_point last() const { return last_; }
    // Handles events until the widget has been painted `count` times in all.
    void waitFor(int count) {
        while (paints_ < count) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints_;
            last_ = Clock::now();
        }
        return false;
    }

private:
    int paints_ = 0;
    Clock::time_point last_;
};

// The simulated engine, noting when each scan ends.
class TimedBoard : public daq::SimulatedBoard {
public:
    using SimulatedBoard::SimulatedBoard;
    int cbAInScan(int board, int low, int high, long count, long* rate, int range,
                  daq::BufferHandle buffer, int options) override {
        const int result =
            SimulatedBoard::cbAInScan(board, low, high, count, rate, range, buffer, options);
        scanEnd = Clock::now().time_since_epoch().count();
        ++scans;
        return result;
    }
    std::atomic<Clock::rep> scanEnd{0};
    std::atomic<int> scans{0};
};

QString GrabFile(const Harness& h) {
    analysis::CaptureRecord record;
    const auto samples = SimulatedGrab();
    std::copy(samples.begin(), samples.end(), record.RawSamples.begin());
    record.SampleCount = 2000;
    record.SamplePeriod = 0.001;
    record.LoTemp = 295.3;
    record.HiTemp = 352.8;
    record.ResistorPower = 3.6;
    const QString path = h.path("run1.CSV");
    files::WriteCaptureFile(path.toStdString(), record,
                            analysis::DiskTable(5, analysis::DiskRow{}));
    return path;
}

void Settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int Shots(const QString& folder) {
    QDir().mkpath(folder);
    Harness h;
    daq::EngineParameters engine;  // real-time scans, as in the lab
    h.start(std::make_unique<daq::SimulatedBoard>(engine));
    Panel2(*h.form)->setSimulated(true);
    Settle(300);
    h.user->openAnswers = {GrabFile(h)};
    h.form->ImportButtonClick();
    Settle(300);
    h.form->grab().save(folder + "/import.png");

    // The graph menu: a right click on the PV graph; the menu is a window of
    // its own, so the screen is taken.
    QCustomPlot* pv = Panel2(*h.form)->chart(kChart3);
    const QPointF at = pv->axisRect()->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, at, pv->mapToGlobal(at), Qt::RightButton,
                          type == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(pv, &click);
    }
    Settle(300);
    QGuiApplication::primaryScreen()
        ->grabWindow(0)
        .copy(h.form->frameGeometry())
        .save(folder + "/menu.png");
    if (QWidget* menu = QApplication::activePopupWidget()) menu->close();

    h.form->GrabButtonClick();
    h.form->TempMonitorTimerTimer();
    h.form->FormKeyPress();  // "?": the pressure voltage and the PV picture
    Settle(300);
    h.form->grab().save(folder + "/grab.png");
    PvImageForm()->grab().save(folder + "/pv.png");
    h.form->FormKeyPress();

    // The Engine performance window of that Grab, and its averaged loop over the PV points.
    PerformanceWindow* performance = PerformanceForm();
    h.form->PerformanceButtonClick();
    Settle(300);
    performance->grab().save(folder + "/performance-grab.png");
    performance->averagedLoopBox()->setChecked(true);
    Settle(300);
    h.form->grab().save(folder + "/pv-overlay.png");
    performance->averagedLoopBox()->setChecked(false);
    performance->close();

    // A heavy disk in the table: the widest figures the results table shows.
    DiskTable* disks = Panel1(*h.form)->MOISG;
    disks->setCellText(0, 0, "1000");
    disks->setCellText(1, 0, "200");
    disks->setCurrentCell(0, 1);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    disks->MOISGKeyPress(&enter);
    // The scan's progress, half-way through the four seconds.
    QTimer::singleShot(2500, h.form.get(), [&] { h.form->grab().save(folder + "/scan.png"); });
    h.form->DynaButtonClick();
    Settle(300);
    h.form->grab().save(folder + "/dyna.png");
    h.form->PerformanceButtonClick();
    Settle(300);
    performance->grab().save(folder + "/performance-dyna.png");
    performance->close();

    auto& board = dynamic_cast<daq::SimulatedBoard&>(*h.board);
    daq::EngineParameters hot = board.Parameters();
    hot.faults.tooHot = true;
    board.SetParameters(hot);
    h.form->FormKeyPress();  // the pressure label too
    for (int tick = 0; tick < 50 && !Panel2(*h.form)->hotEngineVisible(); ++tick) {
        h.form->TempMonitorTimerTimer();
        Settle(100);
    }
    Settle(300);
    h.form->grab().save(folder + "/hot.png");
    for (const auto& m : h.user->messages) std::printf("message: %s\n", qPrintable(m.text));
    for (const auto& e : h.user->errors) std::printf("error: %s\n", qPrintable(e));

    // A program started without its board: the first Grab finds none.
    Harness absent;
    daq::EngineParameters unplugged;
    unplugged.faults.unplugged = true;
    absent.start(std::make_unique<daq::SimulatedBoard>(unplugged));
    absent.form->GrabButtonClick();
    absent.form->TempMonitorTimerTimer();
    absent.form->FormKeyPress();
    Settle(300);
    absent.form->grab().save(folder + "/no-board.png");
    for (const auto& m : absent.user->messages) std::printf("message: %s\n", qPrintable(m.text));
    std::printf("pictures in %s\n", qPrintable(folder));
    return 0;
}

int Figures(Clock::time_point start) {
    Harness h;
    daq::EngineParameters engine;
    engine.instantScans = true;
    auto board = std::make_unique<TimedBoard>(engine);
    TimedBoard* timed = board.get();
    h.create(std::move(board));
    PaintWatch windowPaint(h.form.get());
    h.form->show();
    windowPaint.waitFor(1);
    std::printf("start to first painted window: %.1f ms\n", Ms(start, windowPaint.last()));
    Settle(200);
    std::printf("resident memory after start: %.1f MB\n", ResidentKb() / 1024.0);

    PaintWatch chartPaint(Panel2(*h.form)->chart(kChart1));
    const QString file = GrabFile(h);
    double worstImport = 0, worstGrab = 0;
    for (int run = 0; run < 10; ++run) {
        h.user->openAnswers = {file};
        // The last paint of the pressure graph after the click shows the new capture.
        const auto click = Clock::now();
        int before = chartPaint.paints();
        h.form->ImportButtonClick();
        chartPaint.waitFor(before + 1);
        Settle(100);
        worstImport = std::max(worstImport, Ms(click, chartPaint.last()));

        before = chartPaint.paints();
        h.form->GrabButtonClick();
        chartPaint.waitFor(before + 1);
        Settle(100);
        const Clock::time_point scanEnd{Clock::duration(timed->scanEnd.load())};
        worstGrab = std::max(worstGrab, Ms(scanEnd, chartPaint.last()));
    }
    std::printf("Import click to painted graphs (worst of 10): %.1f ms\n", worstImport);
    std::printf("end of a Grab's scan to painted graphs (worst of 10): %.1f ms\n", worstGrab);

    const int before = timed->scans;
    Panel1(*h.form)->ContinuousCB->setChecked(true);
    for (int mark : {10, 50, 100}) {
        while (timed->scans - before < mark)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::printf("resident memory after %d continuous Grabs: %.1f MB\n", mark,
                    ResidentKb() / 1024.0);
    }
    Panel1(*h.form)->ContinuousCB->setChecked(false);
    Settle(300);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const auto start = Clock::now();
    CorvaneApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == "shots") return Shots(args[2]);
    if (args.size() >= 2 && args[1] == "figures") return Figures(start);
    std::fprintf(stderr, "usage: corvane-window-scenes shots <folder> | figures\n");
    return 2;
}
