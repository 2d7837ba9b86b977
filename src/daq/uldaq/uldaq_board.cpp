#include "daq/uldaq/uldaq_board.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "analysis/capture_record.h"
#include "daq/uldaq/uldaq_library.h"

namespace corvane::daq {

using namespace uldaq;

namespace {

constexpr unsigned kInventoryGuess = 8;
constexpr unsigned kInventoryLimit = 256;
constexpr std::uint16_t kMaxCount = 4095;
// Allowance beyond the scan's own duration before a scan counts as stuck.
constexpr double kScanTimeoutMargin = 3.0;

// Unique ids are serial numbers in hexadecimal: a user may type them in either case.
bool SameId(const char (&uniqueId)[64], const std::string& wanted) {
    const std::string id(uniqueId, strnlen(uniqueId, sizeof uniqueId));
    return std::equal(id.begin(), id.end(), wanted.begin(), wanted.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

std::uint16_t uldaq::CountOf(double volts) {
    return std::min(analysis::VoltsToCount(std::clamp(volts, -10.0, 10.0)), kMaxCount);
}

UldaqBoard::UldaqBoard(std::string deviceId, std::string libraryFile)
    : deviceId_(std::move(deviceId)), libraryFile_(std::move(libraryFile)) {}

UldaqBoard::~UldaqBoard() {
    StopContinuous();
    CloseScans();
    std::lock_guard lock(boardMutex_);
    Release();
}

int UldaqBoard::cbDeclareRevision(float* /*revision*/) {
    std::lock_guard lock(boardMutex_);
    // The Linux library has no revisions to declare.
    return LoadLibrary() ? kNoErrors : Fail(kBoardNotFound, libraryError_);
}

int UldaqBoard::cbStopBackground(int board, int functionType) {
    if (board != 0 || functionType != kAiFunction) return Fail(kBadArgument, "stop: bad argument");
    BoardBackend::cbStopBackground(board, functionType);
    if (!scanning_) return kNoErrors;
    // Set the request before looking for the device: a scan that publishes
    // its device after this look sees the request instead (both sequentially
    // consistent), so the stop is never lost.
    stopRequested_ = true;
    if (const DaqDeviceHandle device = scanDevice_; device != 0) library_->ulAInScanStop(device);
    return kNoErrors;
}

int UldaqBoard::ReadChannel(int channel, std::uint16_t& count) {
    std::lock_guard lock(boardMutex_);
    if (int result = Connect(); result != kNoErrors) return result;
    double volts = 0.0;
    UlError error =
        library_->ulAIn(device_, channel, AI_SINGLE_ENDED, BIP10VOLTS, AIN_FF_DEFAULT, &volts);
    if (error != ERR_NO_ERROR) return DeviceFailure(error);
    if (std::isnan(volts)) return Fail(kUldaqBadReading, "single reading: not a number");
    count = CountOf(volts);
    return kNoErrors;
}

int UldaqBoard::ScanChannels(const ScanRequest& request, std::span<std::uint16_t> samples,
                             long& rate) {
    std::lock_guard lock(boardMutex_);
    if (int result = Connect(); result != kNoErrors) return result;

    stopRequested_ = false;
    scanning_ = true;
    struct ScanEnds {
        UldaqBoard& board;
        ~ScanEnds() {
            board.scanDevice_ = 0;
            board.scanning_ = false;
        }
    } scanEnds{*this};

    const long samplesPerChannel = request.count / request.Channels();
    scanVolts_.assign(static_cast<std::size_t>(request.count), 0.0);
    double actualRate = static_cast<double>(request.rate);
    UlError error =
        library_->ulAInScan(device_, request.lowChannel, request.highChannel, AI_SINGLE_ENDED,
                            BIP10VOLTS, static_cast<int>(samplesPerChannel), &actualRate,
                            SO_DEFAULTIO, AINSCAN_FF_DEFAULT, scanVolts_.data());
    if (error != ERR_NO_ERROR) return AbandonScan(error);
    scanDevice_ = device_;
    if (stopRequested_) return StoppedScan();
    if (const int result = AwaitScan(request, samplesPerChannel, actualRate); result != kNoErrors) {
        return result;
    }

    if (std::any_of(scanVolts_.begin(), scanVolts_.end(), [](double v) { return std::isnan(v); }))
        return Fail(kUldaqBadReading, "scan: a sample is not a number");
    std::transform(scanVolts_.begin(), scanVolts_.end(), samples.begin(), CountOf);
    if (std::isfinite(actualRate) && actualRate > 0) rate = std::lround(actualRate);
    return kNoErrors;
}

int UldaqBoard::StoppedScan() {
    AbandonScan(uldaq::ERR_NO_ERROR);
    return Fail(kScanStopped, "scan: stopped as the program closes");
}

int UldaqBoard::AwaitScan(const ScanRequest& request, long samplesPerChannel, double actualRate) {
    try {
        const double slowest =
            std::min(static_cast<double>(request.rate), actualRate > 0 ? actualRate : request.rate);
        const double timeout =
            static_cast<double>(samplesPerChannel) / slowest + kScanTimeoutMargin;
        UlError error = library_->ulAInScanWait(device_, WAIT_UNTIL_DONE, 0, timeout);
        if (stopRequested_) return StoppedScan();
        if (error != ERR_NO_ERROR) return AbandonScan(error);
        ScanStatus status = SS_RUNNING;
        TransferStatus transfer{};
        // A transfer that broke off is reported here, once the scan is idle.
        error = library_->ulAInScanStatus(device_, &status, &transfer);
        if (error != ERR_NO_ERROR) return AbandonScan(error);
        if (status != SS_IDLE) {
            AbandonScan(ERR_NO_ERROR);
            return Fail(kUldaqBadReading, "scan: still running after its time");
        }
    } catch (...) {
        AbandonScan(ERR_NO_ERROR);
        throw;
    }
    return kNoErrors;
}

bool UldaqBoard::LoadLibrary() {
    if (!libraryTried_) {
        libraryTried_ = true;
        library_ = UldaqLibrary::Load(libraryFile_, &libraryError_);
    }
    return library_ != nullptr;
}

int UldaqBoard::Connect() {
    if (!LoadLibrary()) return Fail(kBoardNotFound, libraryError_);
    if (device_ != 0) {
        int connected = 0;
        if (library_->ulIsDaqDeviceConnected(device_, &connected) == ERR_NO_ERROR && connected)
            return kNoErrors;
        Release();  // the library has lost the board: look for it afresh
    }

    std::vector<DaqDeviceDescriptor> found(kInventoryGuess);
    unsigned number = kInventoryGuess;
    UlError error = library_->ulGetDaqDeviceInventory(USB_IFC, found.data(), &number);
    if (error != ERR_NO_ERROR && number > found.size() && number <= kInventoryLimit) {
        found.resize(number);  // more boards than guessed: ask again with room for all
        error = library_->ulGetDaqDeviceInventory(USB_IFC, found.data(), &number);
    }
    if (error != ERR_NO_ERROR) return Fail(error, "inventory: " + library_->ErrorText(error));
    number = std::min<unsigned>(number, static_cast<unsigned>(found.size()));

    auto chosen = std::find_if(
        found.begin(), found.begin() + number, [this](const DaqDeviceDescriptor& descriptor) {
            return deviceId_.empty() || SameId(descriptor.uniqueId, deviceId_);
        });
    if (chosen == found.begin() + number)
        return Fail(kBoardNotFound, deviceId_.empty()
                                        ? "no board found on USB"
                                        : "no board with unique id " + deviceId_ + " on USB");
    const DaqDeviceHandle device = library_->ulCreateDaqDevice(*chosen);
    if (device == 0) return Fail(kBoardNotFound, "the board found on USB cannot be opened");
    error = library_->ulConnectDaqDevice(device);
    if (error != ERR_NO_ERROR) {
        library_->ulReleaseDaqDevice(device);
        return Fail(error, "connect: " + library_->ErrorText(error));
    }
    device_ = device;
    return kNoErrors;
}

void UldaqBoard::Release() {
    if (device_ == 0) return;
    library_->ulDisconnectDaqDevice(device_);
    library_->ulReleaseDaqDevice(device_);
    device_ = 0;
}

// A failed board access lets the board go, whatever the library's code says:
// not every library code for a board that was pulled out says so, and the next
// access then finds the board again on USB once it is back.
int UldaqBoard::DeviceFailure(UlError error) {
    Fail(error, library_->ErrorText(error));
    Release();
    return error;
}

// Every way out of a started scan stops it before the board is let go.
int UldaqBoard::AbandonScan(UlError error) {
    library_->ulAInScanStop(device_);
    if (error == ERR_NO_ERROR) {
        Release();
        return error;
    }
    return DeviceFailure(error);
}

std::unique_ptr<Board> MakeUldaqBoard(const std::string& deviceId) {
    return std::make_unique<UldaqBoard>(deviceId);
}

}  // namespace corvane::daq
