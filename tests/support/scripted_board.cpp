#include "scripted_board.h"

#include <algorithm>
#include <utility>

namespace corvane::daq {

namespace {
constexpr std::uint16_t kZeroVoltCount = 2048;
}  // namespace

ScriptedBoard::ScriptedBoard() = default;

ScriptedBoard::~ScriptedBoard() { CloseScans(); }

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

void ScriptedBoard::Record(std::string name, std::vector<double> args) {
    std::lock_guard lock(mutex_);
    calls_.push_back(Call{std::move(name), std::move(args)});
}

int ScriptedBoard::cbDeclareRevision(float* revision) {
    Record("cbDeclareRevision", {revision != nullptr ? *revision : 0.0});
    return BoardBackend::cbDeclareRevision(revision);
}

int ScriptedBoard::cbErrHandling(int reporting, int handling) {
    Record("cbErrHandling", {double(reporting), double(handling)});
    return BoardBackend::cbErrHandling(reporting, handling);
}

int ScriptedBoard::cbAIn(int board, int channel, int range, std::uint16_t* value) {
    Record("cbAIn", {double(board), double(channel), double(range)});
    return BoardBackend::cbAIn(board, channel, range, value);
}

int ScriptedBoard::cbAInScan(int board, int lowChannel, int highChannel, long count, long* rate,
                             int range, BufferHandle buffer, int options) {
    Record("cbAInScan",
           {double(board), double(lowChannel), double(highChannel), double(count),
            rate != nullptr ? double(*rate) : 0.0, double(range), double(buffer), double(options)});
    return BoardBackend::cbAInScan(board, lowChannel, highChannel, count, rate, range, buffer,
                                   options);
}

BufferHandle ScriptedBoard::cbWinBufAlloc(long count) {
    Record("cbWinBufAlloc", {double(count)});
    {
        std::lock_guard lock(mutex_);
        if (allocFails_) return 0;
    }
    return BoardBackend::cbWinBufAlloc(count);
}

int ScriptedBoard::cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long firstPoint,
                                   long count) {
    Record("cbWinBufToArray", {double(buffer), double(firstPoint), double(count)});
    return BoardBackend::cbWinBufToArray(buffer, array, firstPoint, count);
}

int ScriptedBoard::cbWinBufFree(BufferHandle buffer) {
    Record("cbWinBufFree", {double(buffer)});
    return BoardBackend::cbWinBufFree(buffer);
}

int ScriptedBoard::ReadChannel(int channel, std::uint16_t& count) {
    std::lock_guard lock(mutex_);
    if (!plugged_) return Fail(kScriptedFailure, "scripted board: unplugged");
    if (const auto failed = channelResults_.find(channel);
        failed != channelResults_.end() && failed->second != kNoErrors) {
        return Fail(failed->second,
                    "scripted board: channel " + std::to_string(channel) + " fails as scripted");
    }
    const auto scripted = channelCounts_.find(channel);
    count = scripted != channelCounts_.end() ? scripted->second : kZeroVoltCount;
    return kNoErrors;
}

int ScriptedBoard::ScanChannels(const ScanRequest&, std::span<std::uint16_t> samples, long&) {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        hook = scanHook_;
    }
    if (hook) hook();

    std::lock_guard lock(mutex_);
    Scan scan = defaultScan_;
    if (!queuedScans_.empty()) {
        scan = std::move(queuedScans_.front());
        queuedScans_.pop_front();
    }
    if (!plugged_) return Fail(kScriptedFailure, "scripted board: unplugged");
    if (scan.result != kNoErrors)
        return Fail(scan.result, "scripted board: scan fails as scripted");
    const auto given = std::min(scan.samples.size(), samples.size());
    std::copy_n(scan.samples.begin(), given, samples.begin());
    std::fill(samples.begin() + static_cast<long>(given), samples.end(), kZeroVoltCount);
    return kNoErrors;
}

}  // namespace corvane::daq
