#pragma once
// The Recorder window's source in the program: the board's continuous scan
// of channels 0..4 at 1000 scans per second, and the manifest's facts (the
// board, the disk table in force, the program's version).

#include <functional>
#include <memory>

#include "analysis/moment_of_inertia.h"
#include "daq/board.h"
#include "daq/simulated_board.h"
#include "recording/latest_scans.h"
#include "ui/recorder/recorder_window.h"

namespace corvane::ui {

// What else the stream serves beside the recording.
struct RecorderFeed {
    // The simulated engine, when it is the board: its speed-up at the start
    // sizes the stream's buffer, which must hold as much real time as a real
    // board's.
    const daq::SimulatedBoard* simulator = nullptr;
    // The main window's captures and engine monitor read the stream here.
    std::shared_ptr<recording::LatestScans> latest;
};

RecorderSource BoardRecorderSource(daq::Board& board, bool simulated,
                                   std::function<analysis::DiskTable()> disks,
                                   RecorderFeed feed = {});

}  // namespace corvane::ui
