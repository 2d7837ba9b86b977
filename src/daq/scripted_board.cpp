#include "daq/scripted_board.h"

#include <algorithm>
#include <utility>

namespace corvane::daq {

namespace {
constexpr std::uint16_t kZeroVoltCount = 2048;
constexpr int kHighestChannel = 7;
}  // namespace

ScriptedBoard::ScriptedBoard() = default;

void ScriptedBoard::SetChannelCount(int channel, std::uint16_t count) {
    std::lock_guard lock(mutex_);
    channelCounts_[channel] = count;
}

void ScriptedBoard::SetChannelResult(int channel, int result) {
    std::lock_guard lock(mutex_);
    channelResults_[channel] = result;
}

void ScriptedBoard::SetPlugged(bool plugged) {
    std::lock_guard lock(mutex_);
    plugged_ = plugged;
}

void ScriptedBoard::QueueScan(Scan scan) {
    std::lock_guard lock(mutex_);
    queuedScans_.push_back(std::move(scan));
}

void ScriptedBoard::SetDefaultScan(Scan scan) {
    std::lock_guard lock(mutex_);
    defaultScan_ = std::move(scan);
}

void ScriptedBoard::SetAllocFails(bool fails) {
    std::lock_guard lock(mutex_);
    allocFails_ = fails;
}

void ScriptedBoard::SetScanHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    scanHook_ = std::move(hook);
}

std::vector<ScriptedBoard::Call> ScriptedBoard::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<ScriptedBoard::Call> ScriptedBoard::CallsNamed(std::string_view name) const {
    std::lock_guard lock(mutex_);
    std::vector<Call> named;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(named),
                 [&](const Call& call) { return call.name == name; });
    return named;
}

int ScriptedBoard::CallCount(std::string_view name) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [&](const Call& call) { return call.name == name; }));
}

void ScriptedBoard::ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

std::size_t ScriptedBoard::LiveBuffers() const {
    std::lock_guard lock(mutex_);
    return buffers_.LiveBuffers();
}

void ScriptedBoard::Record(std::string name, std::vector<double> args) {
    calls_.push_back(Call{std::move(name), std::move(args)});
}

int ScriptedBoard::cbDeclareRevision(float* revision) {
    std::lock_guard lock(mutex_);
    Record("cbDeclareRevision", {revision != nullptr ? *revision : 0.0});
    return revision != nullptr ? kNoErrors : kBadArgument;
}

int ScriptedBoard::cbErrHandling(int reporting, int handling) {
    std::lock_guard lock(mutex_);
    Record("cbErrHandling", {double(reporting), double(handling)});
    return kNoErrors;
}

int ScriptedBoard::cbAIn(int board, int channel, int range, std::uint16_t* value) {
    std::lock_guard lock(mutex_);
    Record("cbAIn", {double(board), double(channel), double(range)});
    if (!plugged_) return kScriptedFailure;
    if (board != 0 || range != kBip10Volts || channel < 0 || channel > kHighestChannel ||
        value == nullptr) {
        return kBadArgument;
    }
    if (const auto failed = channelResults_.find(channel);
        failed != channelResults_.end() && failed->second != kNoErrors) {
        return failed->second;
    }
    const auto count = channelCounts_.find(channel);
    *value = count != channelCounts_.end() ? count->second : kZeroVoltCount;
    return kNoErrors;
}

int ScriptedBoard::cbAInScan(int board, int lowChannel, int highChannel, long count, long* rate,
                             int range, BufferHandle buffer, int options) {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        Record("cbAInScan", {double(board), double(lowChannel), double(highChannel), double(count),
                             rate != nullptr ? double(*rate) : 0.0, double(range), double(buffer),
                             double(options)});
        hook = scanHook_;
    }
    if (hook) hook();

    std::lock_guard lock(mutex_);
    Scan scan = defaultScan_;
    if (!queuedScans_.empty()) {
        scan = std::move(queuedScans_.front());
        queuedScans_.pop_front();
    }
    if (!plugged_) return kScriptedFailure;
    if (board != 0 || range != kBip10Volts || lowChannel < 0 || highChannel < lowChannel ||
        highChannel > kHighestChannel || count <= 0 || rate == nullptr || *rate <= 0) {
        return kBadArgument;
    }
    const auto samples = buffers_.Find(buffer);
    if (samples.size() < static_cast<std::size_t>(count)) return kBadBuffer;
    if (scan.result != kNoErrors) return scan.result;
    const auto given = std::min(scan.samples.size(), static_cast<std::size_t>(count));
    std::copy_n(scan.samples.begin(), given, samples.begin());
    std::fill(samples.begin() + static_cast<long>(given), samples.begin() + count, kZeroVoltCount);
    return kNoErrors;
}

BufferHandle ScriptedBoard::cbWinBufAlloc(long count) {
    std::lock_guard lock(mutex_);
    Record("cbWinBufAlloc", {double(count)});
    return allocFails_ ? 0 : buffers_.Allocate(count);
}

int ScriptedBoard::cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long firstPoint,
                                   long count) {
    std::lock_guard lock(mutex_);
    Record("cbWinBufToArray", {double(buffer), double(firstPoint), double(count)});
    return buffers_.CopyOut(buffer, array, firstPoint, count);
}

int ScriptedBoard::cbWinBufFree(BufferHandle buffer) {
    std::lock_guard lock(mutex_);
    Record("cbWinBufFree", {double(buffer)});
    return buffers_.Free(buffer);
}

}  // namespace corvane::daq
