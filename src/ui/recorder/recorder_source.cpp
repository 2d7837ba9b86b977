#include "ui/recorder/recorder_source.h"

#include "corvane/version.h"
#include "daq/board_stream.h"
#include "daq/simulated_board.h"

namespace corvane::ui {

RecorderSource BoardRecorderSource(daq::Board& board, bool simulated,
                                   std::function<analysis::DiskTable()> disks) {
    RecorderSource source;
    source.openStream = [&board] {
        // A sped-up simulated run fills the buffer faster: it holds that many more scans.
        daq::BoardStreamOptions options;
        if (const auto* simulated = dynamic_cast<const daq::SimulatedBoard*>(&board))
            options.speedUp = simulated->Parameters().run.speedUp;
        return daq::OpenBoardStream(board, daq::StreamFormat{0, 4, 1000}, options);
    };
    source.manifest = [simulated, disks = std::move(disks)](const daq::StreamFormat& format) {
        return recording::Manifest{recording::UtcNow(), format,
                                   simulated ? "simulated" : "board",  simulated,
                                   VersionLine("Corvane Data Logger"), disks(), 0};
    };
    return source;
}

}  // namespace corvane::ui
