#include "ui/recorder/recorder_source.h"

#include "analysis/capture_plan.h"
#include "corvane/version.h"
#include "daq/board_stream.h"

namespace corvane::ui {

RecorderSource BoardRecorderSource(daq::Board& board, bool simulated,
                                   std::function<analysis::DiskTable()> disks, RecorderFeed feed) {
    RecorderSource source;
    source.openStream = [&board, feed]() -> std::unique_ptr<daq::ScanStream> {
        constexpr analysis::RecordingPlan plan = analysis::kRecordingPlan;
        daq::BoardStreamOptions options;
        if (feed.simulator) options.speedUp = feed.simulator->Parameters().run.speedUp;
        auto stream = daq::OpenBoardStream(
            board, daq::StreamFormat{plan.lowChannel, plan.highChannel, plan.rate}, options);
        if (!feed.latest) return stream;
        return recording::TapStream(std::move(stream), feed.latest);
    };
    source.manifest = [simulated, disks = std::move(disks)](const daq::StreamFormat& format) {
        return recording::Manifest{recording::UtcNow(),
                                   format,
                                   simulated ? "simulated" : "board",
                                   simulated,
                                   VersionLine("Corvane Data Logger"),
                                   disks(),
                                   0};
    };
    return source;
}

}  // namespace corvane::ui
