#pragma once
// The engine monitor on the window: the reading taken before every capture and
// import into the record and the results table, and the timer's once-a-second
// labels and hot-engine warning. The readings and their conversion live with
// the board (daq/engine_monitor.h).

#include <QString>
#include <cstdint>
#include <memory>

#include "analysis/capture_record.h"
#include "daq/board.h"
#include "daq/engine_monitor.h"
#include "recording/latest_scans.h"
#include "text/number_format.h"

namespace corvane::charts {
class ChartStack;
}

namespace corvane::ui {

class ControlPanel;
class UserPrompts;

// The pressure voltage with every character followed by CR LF, to read downwards.
QString PressureCaption(std::uint16_t count, const text::NumberFormat& fmt);

class EngineMonitor {
public:
    // While a recording streams, `stream` (its latest scans) gives the
    // values, so that no single reading competes with the board's scan.
    EngineMonitor(daq::Board& board, ControlPanel& panel, charts::ChartStack& charts,
                  UserPrompts& prompts, const text::NumberFormat& fmt,
                  std::shared_ptr<const recording::LatestScans> stream = {})
        : board_(board), panel_(panel), charts_(charts), prompts_(prompts), format_(fmt),
          stream_(std::move(stream)) {}

    // ReadEngineMonitor: LoTemp, ResistorPower and HiTemp into the record and
    // rows 0 to 2 of the results table; a board that does not answer channel 2
    // leaves both, and the indicator red.
    void read(analysis::CaptureRecord& target);
    // ShowEngineMonitor: the record's values into rows 0 to 2, then lets
    // pending window events run.
    void show(const analysis::CaptureRecord& source);
    // TempMonitorTimerTimer's readings and labels (the window skips it while Acquiring).
    void tick();

private:
    bool streaming() const { return stream_ && stream_->Live(); }
    void readStream(analysis::CaptureRecord& target);
    void showTick(const daq::MonitorTick& tick);

    daq::Board& board_;
    ControlPanel& panel_;
    charts::ChartStack& charts_;
    UserPrompts& prompts_;
    const text::NumberFormat& format_;
    std::shared_ptr<const recording::LatestScans> stream_;
};

}  // namespace corvane::ui
