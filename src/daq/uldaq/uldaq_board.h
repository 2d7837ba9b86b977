#pragma once
// A real board on Linux: the seven board operations mapped onto the board
// maker's libuldaq, which is opened at run time. Without the library or the
// board every board access fails, exactly as the program expects of a board
// that is not plugged in. The board is connected on demand, let go after any
// failed access and found again by the next access once it is back.
//
// Readings are taken in calibrated volts and converted to the program's
// 12-bit counts on +-10 V, so boards of any resolution fit its count model.
// Thread-safe: a scan may run on a worker thread; buffers stay usable meanwhile.
// A background scan runs in the library (SO_CONTINUOUS round its own buffer);
// a pump thread asks ulAInScanStatus how far it has come and hands the new
// scans on, in counts (uldaq_board_background.cpp).
// LastError() gives the library's own words for the last failure.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "daq/board_backend.h"
#include "daq/board_errors.h"
#include "daq/uldaq/uldaq_api.h"

namespace corvane::daq {

namespace uldaq {
class UldaqLibrary;
// A calibrated reading in the program's 12-bit count on +-10 V; readings
// beyond the range (or from a finer converter) end at the ends of the scale.
std::uint16_t CountOf(double volts);
}  // namespace uldaq

inline constexpr const char* kUldaqLibraryFile = "libuldaq.so.1";

// Besides the codes of board_errors.h and the library's own: a reading that
// is not a number, or a scan that does not end.
inline constexpr int kUldaqBadReading = 4;

class UldaqBoard : public BoardBackend {
public:
    // deviceId: the board's unique id (its serial number); empty takes the first
    // board found on USB. libraryFile: the name or path given to dlopen.
    explicit UldaqBoard(std::string deviceId = {}, std::string libraryFile = kUldaqLibraryFile);
    // Waits for a scan still running on another thread, then lets the board go.
    ~UldaqBoard() override;

    // Opens the library, so that a missing library shows up at start-up.
    int cbDeclareRevision(float* revision) override;
    // From another thread while a scan waits: stops it through the library
    // (the scan then fails with kScanStopped). Takes no lock the scan holds.
    int cbStopBackground(int board, int functionType) override;

private:
    int ReadChannel(int channel, std::uint16_t& count) override;
    int ScanChannels(const ScanRequest& request, std::span<std::uint16_t> samples,
                     long& rate) override;
    bool LoadLibrary();
    int Connect();
    void Release();
    int DeviceFailure(uldaq::UlError error);
    int AbandonScan(uldaq::UlError error);
    // The scan stopped as the program closes: abandoned, and said so.
    int StoppedScan();
    // Waits for a started scan to end in its time; kNoErrors when it ended
    // whole, else the scan is abandoned and the failure returned.
    int AwaitScan(const ScanRequest& request, long samplesPerChannel, double actualRate);
    int StartContinuous(const ScanRequest& request, long& rate) override;
    void StopContinuous() override;
    struct Transfer;
    void Pump();
    bool PumpOnce(std::uint64_t& taken);
    Transfer TakeNewScans(std::uint64_t taken);
    Transfer LostBoard(uldaq::UlError error);

    std::mutex boardMutex_;  // one board access at a time
    std::string deviceId_;
    std::string libraryFile_;
    std::unique_ptr<uldaq::UldaqLibrary> library_;
    bool libraryTried_ = false;
    std::string libraryError_;
    uldaq::DaqDeviceHandle device_ = 0;
    // The library fills this from its own thread while a scan runs, so it lives
    // as long as the board and is resized only when no scan can be running.
    std::vector<double> scanVolts_;
    // What a stop from another thread needs while the scan holds boardMutex_.
    std::atomic<bool> scanning_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<uldaq::DaqDeviceHandle> scanDevice_{0};
    // The background scan: the library's circular buffer (resized only while
    // no background scan runs) and the pump that empties it.
    std::vector<double> backgroundVolts_;
    std::size_t backgroundSize_ = 0;  // samples round the program's buffer
    std::mutex pumpMutex_;            // starting and joining the pump
    std::thread pump_;
    std::atomic<bool> stopPump_{false};
};

std::unique_ptr<Board> MakeUldaqBoard(const std::string& deviceId);

}  // namespace corvane::daq
