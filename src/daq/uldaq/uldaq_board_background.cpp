// The background scan of a real board: the library scans without end round
// its own buffer of volts; a pump thread asks how far it has come, converts
// the new scans to counts and hands them on. Scans the pump was too late for
// (the library came round first) are handed on as lost, never as samples.

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <utility>

#include "daq/uldaq/uldaq_board.h"
#include "daq/uldaq/uldaq_library.h"

namespace corvane::daq {

using namespace uldaq;

namespace {

constexpr auto kPumpTick = std::chrono::milliseconds(10);
constexpr int kReadAttempts = 3;
// The library's buffer, in buffers of the program's.
constexpr std::size_t kLibraryBuffers = 2;

}  // namespace

// What one look at the library's scan gives the pump.
struct UldaqBoard::Transfer {
    int result = kNoErrors;
    std::string why;
    bool running = true;
    std::uint64_t lost = 0;  // samples before `counts` the library came round over
    std::vector<std::uint16_t> counts;

    static Transfer Ended(int result, std::string why) {
        Transfer transfer;
        transfer.result = result;
        transfer.why = std::move(why);
        transfer.running = false;
        return transfer;
    }
};

int UldaqBoard::StartContinuous(const ScanRequest& request, long& rate) {
    std::lock_guard pumping(pumpMutex_);
    std::lock_guard lock(boardMutex_);
    if (int result = Connect(); result != kNoErrors) return result;
    backgroundSize_ = static_cast<std::size_t>(request.count);
    backgroundVolts_.assign(kLibraryBuffers * backgroundSize_, 0.0);
    double actualRate = static_cast<double>(request.rate);
    const UlError error = library_->ulAInScan(
        device_, request.lowChannel, request.highChannel, AI_SINGLE_ENDED, BIP10VOLTS,
        static_cast<int>(kLibraryBuffers * request.count / request.Channels()), &actualRate,
        SO_CONTINUOUS, AINSCAN_FF_DEFAULT, backgroundVolts_.data());
    if (error != ERR_NO_ERROR) return DeviceFailure(error);
    if (std::isfinite(actualRate) && actualRate > 0) rate = std::lround(actualRate);
    stopPump_ = false;
    pump_ = std::thread([this] { Pump(); });
    return kNoErrors;
}

void UldaqBoard::StopContinuous() {
    std::lock_guard pumping(pumpMutex_);
    stopPump_ = true;
    if (pump_.joinable()) pump_.join();
}

void UldaqBoard::Pump() {
    std::uint64_t taken = 0;
    while (!stopPump_ && PumpOnce(taken)) std::this_thread::sleep_for(kPumpTick);
    std::lock_guard lock(boardMutex_);
    if (device_ != 0) library_->ulAInScanStop(device_);
}

// Hands on what the library has scanned since; false when the scan is over.
bool UldaqBoard::PumpOnce(std::uint64_t& taken) {
    Transfer transfer = TakeNewScans(taken);
    taken += transfer.lost + transfer.counts.size();
    if (!Deliver(transfer.counts, transfer.lost)) return false;
    if (transfer.result != kNoErrors) EndContinuous(transfer.result, transfer.why);
    return transfer.running && transfer.result == kNoErrors;
}

// The scans since `taken`; of a pump that fell behind by more than the
// program's buffer, the newest buffer-full after the rest as lost. The
// library's own buffer holds two of the program's, so those are still there.
UldaqBoard::Transfer UldaqBoard::TakeNewScans(std::uint64_t taken) {
    std::lock_guard lock(boardMutex_);
    if (device_ == 0)
        return Transfer::Ended(kBoardNotFound, "background scan: the board was let go");
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        ScanStatus status = SS_IDLE;
        TransferStatus progress{};
        const UlError error = library_->ulAInScanStatus(device_, &status, &progress);
        if (error != ERR_NO_ERROR) return LostBoard(error);
        const std::uint64_t total = progress.currentTotalCount;
        const std::uint64_t from =
            total > taken + backgroundSize_ ? total - backgroundSize_ : taken;
        Transfer transfer;
        transfer.lost = from - taken;
        transfer.counts.reserve(total - from);
        for (std::uint64_t i = from; i < total; ++i) {
            const double volts = backgroundVolts_[i % backgroundVolts_.size()];
            if (std::isnan(volts))
                return Transfer::Ended(kUldaqBadReading,
                                       "background scan: a sample is not a number");
            transfer.counts.push_back(CountOf(volts));
        }
        if (status == SS_IDLE) {
            transfer.result = kUldaqBadReading;
            transfer.why = "background scan: the board stopped by itself";
            transfer.running = false;
            return transfer;
        }
        // Good only if the library has not come round over them while they were read.
        if (library_->ulAInScanStatus(device_, &status, &progress) != ERR_NO_ERROR ||
            progress.currentTotalCount <= from + backgroundVolts_.size())
            return transfer;
    }
    return Transfer::Ended(kUldaqBadReading,
                           "background scan: its buffer is overwritten faster than it is read");
}

UldaqBoard::Transfer UldaqBoard::LostBoard(UlError error) {
    library_->ulAInScanStop(device_);
    std::string why = library_->ErrorText(error);
    return Transfer::Ended(DeviceFailure(error), std::move(why));
}

}  // namespace corvane::daq
