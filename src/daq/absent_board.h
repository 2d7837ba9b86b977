#pragma once
// A board that is not there: every operation fails, no buffer is handed out.
// Stands in for a board name the program does not know, so the window behaves
// exactly as without its board ("DAQ hardware not found", red indicator).

#include "daq/board.h"
#include "daq/board_errors.h"

namespace corvane::daq {

class AbsentBoard : public Board {
public:
    int cbDeclareRevision(float*) override { return kBoardNotFound; }
    int cbErrHandling(int, int) override { return kBoardNotFound; }
    int cbAIn(int, int, int, std::uint16_t*) override { return kBoardNotFound; }
    int cbAInScan(int, int, int, long, long*, int, BufferHandle, int) override {
        return kBoardNotFound;
    }
    BufferHandle cbWinBufAlloc(long) override { return 0; }
    int cbWinBufToArray(BufferHandle, std::uint16_t*, long, long) override { return kBadBuffer; }
    int cbWinBufFree(BufferHandle) override { return kBadBuffer; }
};

}  // namespace corvane::daq
