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

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "daq/board.h"
#include "daq/board_errors.h"
#include "daq/buffer_pool.h"
#include "daq/uldaq/uldaq_api.h"

namespace corvane::daq {

namespace uldaq {
class UldaqLibrary;
}

inline constexpr const char* kUldaqLibraryFile = "libuldaq.so.1";

// Besides the codes of board_errors.h and the library's own: a reading that
// is not a number, or a scan that does not end.
inline constexpr int kUldaqBadReading = 4;

class UldaqBoard : public Board {
public:
    // deviceId: the board's unique id (its serial number); empty takes the first
    // board found on USB. libraryFile: the name or path given to dlopen.
    explicit UldaqBoard(std::string deviceId = {}, std::string libraryFile = kUldaqLibraryFile);
    ~UldaqBoard() override;
    UldaqBoard(const UldaqBoard&) = delete;
    UldaqBoard& operator=(const UldaqBoard&) = delete;

    int cbDeclareRevision(float* revision) override;
    int cbErrHandling(int reporting, int handling) override;
    int cbAIn(int board, int channel, int range, std::uint16_t* value) override;
    int cbAInScan(int board, int lowChannel, int highChannel, long count, long* rate, int range,
                  BufferHandle buffer, int options) override;
    BufferHandle cbWinBufAlloc(long count) override;
    int cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long firstPoint,
                        long count) override;
    int cbWinBufFree(BufferHandle buffer) override;

    // Why the last failing board access failed, in words, for the log.
    std::string LastError();

private:
    bool LoadLibrary();
    int Connect();
    void Release();
    int Fail(int result, std::string why);
    int DeviceFailure(uldaq::UlError error);
    int AbandonScan(uldaq::UlError error);
    long BufferRoom(BufferHandle buffer);

    std::mutex boardMutex_;  // one board access at a time
    std::mutex bufferMutex_;
    std::string deviceId_;
    std::string libraryFile_;
    std::unique_ptr<uldaq::UldaqLibrary> library_;
    bool libraryTried_ = false;
    std::string libraryError_;
    uldaq::DaqDeviceHandle device_ = 0;
    // The library fills this from its own thread while a scan runs, so it lives
    // as long as the board and is resized only when no scan can be running.
    std::vector<double> scanVolts_;
    BufferPool buffers_;
    std::string lastError_;
};

std::unique_ptr<Board> MakeUldaqBoard(const std::string& deviceId);

}  // namespace corvane::daq
