#pragma once
// The Recorder window's source in the program: the board's continuous scan
// of channels 0..4 at 1000 scans per second, and the manifest's facts (the
// board, the disk table in force, the program's version).

#include <functional>

#include "analysis/moment_of_inertia.h"
#include "daq/board.h"
#include "ui/recorder/recorder_window.h"

namespace corvane::ui {

RecorderSource BoardRecorderSource(daq::Board& board, bool simulated,
                                   std::function<analysis::DiskTable()> disks);

}  // namespace corvane::ui
