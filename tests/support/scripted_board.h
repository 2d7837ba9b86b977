#pragma once
// A board for tests: answers from a script and records every call.
// Single reads return the count set for their channel (or a failure code);
// scans return queued results and samples in order, then a default scan.
// Thread-safe, since the window runs its scan on a worker thread.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "daq/board_backend.h"
#include "daq/board_errors.h"

namespace corvane::daq {

inline constexpr int kScriptedFailure = 99;  // what the board answers while unplugged

class ScriptedBoard : public BoardBackend {
public:
    // One recorded call: the operation's name and its arguments in order. A pointer
    // argument is recorded by the value it points to (revision, rate); a result
    // pointer (cbAIn's value, cbWinBufToArray's array) is not recorded.
    struct Call {
        std::string name;
        std::vector<double> args;
        friend bool operator==(const Call&, const Call&) = default;
    };

    // The outcome of one scan. On success the samples fill the buffer from point 0;
    // a shorter list leaves the rest at 2048 (0 V), a longer one is cut.
    struct Scan {
        int result = kNoErrors;
        std::vector<std::uint16_t> samples;
    };

    ScriptedBoard();
    ~ScriptedBoard() override;

    // Single reads.
    void SetChannelCount(int channel, std::uint16_t count);
    void SetChannelResult(int channel, int result);  // nonzero: reads of it fail
    // Unplugged: every single read and scan fails with kScriptedFailure until
    // plugged back in, whatever the script says.
    void SetPlugged(bool plugged);

    // Scans.
    void QueueScan(Scan scan);
    void SetDefaultScan(Scan scan);
    void SetAllocFails(bool fails);  // cbWinBufAlloc returns 0
    // Runs inside cbAInScan, outside the board's lock, before the scan answers:
    // lets a test hold a scan open or change the script while it runs.
    void SetScanHook(std::function<void()> hook);

    // Record.
    std::vector<Call> Calls() const;
    std::vector<Call> CallsNamed(std::string_view name) const;
    int CallCount(std::string_view name) const;
    void ClearCalls();

    // Each call is recorded, then answered as every backend answers it.
    int cbDeclareRevision(float* revision) override;
    int cbErrHandling(int reporting, int handling) override;
    int cbAIn(int board, int channel, int range, std::uint16_t* value) override;
    int cbAInScan(int board, int lowChannel, int highChannel, long count, long* rate, int range,
                  BufferHandle buffer, int options) override;
    BufferHandle cbWinBufAlloc(long count) override;
    int cbWinBufToArray(BufferHandle buffer, std::uint16_t* array, long firstPoint,
                        long count) override;
    int cbWinBufFree(BufferHandle buffer) override;

private:
    int ReadChannel(int channel, std::uint16_t& count) override;
    int ScanChannels(const ScanRequest& request, std::span<std::uint16_t> samples,
                     long& rate) override;
    void Record(std::string name, std::vector<double> args);

    mutable std::mutex mutex_;
    std::vector<Call> calls_;
    std::map<int, std::uint16_t> channelCounts_;
    std::map<int, int> channelResults_;
    bool plugged_ = true;
    std::deque<Scan> queuedScans_;
    Scan defaultScan_;
    bool allocFails_ = false;
    std::function<void()> scanHook_;
};

}  // namespace corvane::daq
