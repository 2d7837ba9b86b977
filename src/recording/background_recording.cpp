#include "recording/background_recording.h"

#include <utility>

namespace corvane::recording {

BackgroundRecording::BackgroundRecording(std::unique_ptr<daq::ScanStream> stream,
                                         const std::string& folder, Manifest manifest,
                                         const SteadyCriteria& steady, std::size_t lastLoops)
    : stream_(std::move(stream)),
      folder_(folder),
      writer_(folder, std::move(manifest)),
      loops_(lastLoops) {
    options_.steady = steady;
    options_.cycle = [this](const CycleRow& row) {
        const std::lock_guard lock(mutex_);
        cycles_.push_back(row);
        ++status_.cycles;
        status_.lastCycle = row;
    };
    options_.loop = [this](const CycleLoop& loop) {
        const std::lock_guard lock(mutex_);
        loops_.Add(loop);
    };
    options_.everySecond = [this](const RecordingStatus& status) {
        const std::lock_guard lock(mutex_);
        status_ = status;
    };
    options_.marks = [this] {
        const std::lock_guard lock(mutex_);
        return std::exchange(marks_, {});
    };
    thread_ = std::thread([this] { Run(); });
}

BackgroundRecording::~BackgroundRecording() {
    Stop();
    thread_.join();
}

void BackgroundRecording::Run() {
    RecordingEnd end = Record(*stream_, writer_, options_);
    const std::lock_guard lock(mutex_);
    status_ = end.status;
    end_ = std::move(end);
}

std::vector<CycleRow> BackgroundRecording::TakeCycles() {
    const std::lock_guard lock(mutex_);
    return std::exchange(cycles_, {});
}

std::vector<CycleLoop> BackgroundRecording::RecentLoops() const {
    const std::lock_guard lock(mutex_);
    return loops_.Loops();
}

std::uint64_t BackgroundRecording::LoopsEvaluated() const {
    const std::lock_guard lock(mutex_);
    return loops_.Added();
}

RecordingStatus BackgroundRecording::Status() const {
    const std::lock_guard lock(mutex_);
    return status_;
}

void BackgroundRecording::Mark(const std::string& text) {
    const std::lock_guard lock(mutex_);
    marks_.push_back(text);
}

void BackgroundRecording::Stop() { stream_->Stop(); }

std::optional<RecordingEnd> BackgroundRecording::End() const {
    const std::lock_guard lock(mutex_);
    return end_;
}

}  // namespace corvane::recording
