#pragma once
// The board the settings file asks for: section "DAQ", key "Board".

#include <memory>
#include <string>

#include "daq/board.h"
#include "settings/ini_file.h"

namespace corvane::daq {

class SimulatedBoard;

inline constexpr const char* kDaqSection = "DAQ";
inline constexpr const char* kSimulatedBoardName = "simulated";

struct BoardChoice {
    std::unique_ptr<Board> board;
    std::string name;  // as configured, lower case; "simulated" when missing
    // The simulated engine behind board (for the window's SIMULATED mark and its
    // simulator window), or nullptr for hardware or an unknown board.
    SimulatedBoard* simulated = nullptr;
};

// "simulated" (also when the key is missing or empty) gives the simulated engine
// with the parameters of its own section; a name the program does not know gives
// a board that fails every call, as a board that is not plugged in.
BoardChoice MakeBoard(const settings::IniFile& ini);

}  // namespace corvane::daq
