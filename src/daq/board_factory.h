#pragma once
// The board the settings ask for, by name ([DAQ] Board in the settings file).

#include <memory>
#include <string>

#include "daq/board.h"
#include "daq/engine_parameters.h"

namespace corvane::daq {

class SimulatedBoard;

inline constexpr const char* kSimulatedBoardName = "simulated";

// What the settings say about the board, as written.
struct BoardSettings {
    std::string board;   // the board's name; empty: the simulated engine
    std::string device;  // the unique id of the device to open; empty: the first
    EngineParameters engine;  // the simulated engine's parameters
};

struct BoardChoice {
    std::unique_ptr<Board> board;
    std::string name;  // as configured, lower case; "simulated" when missing
    // The simulated engine behind board (for the window's SIMULATED mark and its
    // simulator window), or nullptr for hardware or an unknown board.
    SimulatedBoard* simulated = nullptr;
};

// "simulated" (also when the name is empty) gives the simulated engine with
// the settings' engine parameters; a name the program does not know gives
// a board that fails every call, as a board that is not plugged in.
BoardChoice MakeBoard(const BoardSettings& settings);

}  // namespace corvane::daq
