#pragma once
// A board that is not there: every board access fails, and says why. Stands in
// for a board name the program does not know, so the window behaves exactly as
// without its board ("DAQ hardware not found", red indicator).

#include <string>
#include <utility>

#include "daq/board_backend.h"
#include "daq/board_errors.h"

namespace corvane::daq {

class AbsentBoard : public BoardBackend {
public:
    explicit AbsentBoard(std::string why) : why_(std::move(why)) {}

    int cbDeclareRevision(float*) override { return Fail(kBoardNotFound, why_); }
    int cbErrHandling(int, int) override { return kBoardNotFound; }

private:
    int ReadChannel(int, std::uint16_t&) override { return Fail(kBoardNotFound, why_); }
    int ScanChannels(const ScanRequest&, std::span<std::uint16_t>, long&) override {
        return Fail(kBoardNotFound, why_);
    }

    std::string why_;
};

}  // namespace corvane::daq
