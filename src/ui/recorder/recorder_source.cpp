#include "ui/recorder/recorder_source.h"

#include "corvane/version.h"
#include "daq/board_stream.h"

namespace corvane::ui {

RecorderSource BoardRecorderSource(daq::Board& board, bool simulated,
                                   std::function<analysis::DiskTable()> disks) {
    RecorderSource source;
    source.openStream = [&board] {
        return daq::OpenBoardStream(board, daq::StreamFormat{0, 4, 1000});
    };
    source.manifest = [simulated, disks = std::move(disks)](const daq::StreamFormat& format) {
        return recording::Manifest{recording::UtcNow(), format,
                                   simulated ? "simulated" : "board",  simulated,
                                   VersionLine("Corvane Data Logger"), disks(), 0};
    };
    return source;
}

}  // namespace corvane::ui
