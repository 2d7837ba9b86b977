#include "daq/board_factory.h"

#include <algorithm>
#include <cctype>

#include "daq/absent_board.h"
#include "daq/simulated_board.h"
#include "daq/uldaq/uldaq_board.h"

namespace corvane::daq {

namespace {

std::string NormalisedName(std::string name) {
    const auto first = name.find_first_not_of(" \t");
    const auto last = name.find_last_not_of(" \t");
    name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

}  // namespace

BoardChoice MakeBoard(const BoardSettings& settings) {
    BoardChoice choice;
    choice.name = NormalisedName(settings.board);
    if (choice.name.empty()) choice.name = kSimulatedBoardName;

    if (choice.name == kSimulatedBoardName) {
        auto simulated = std::make_unique<SimulatedBoard>(settings.engine);
        choice.simulated = simulated.get();
        choice.board = std::move(simulated);
        return choice;
    }
    // Hardware backends are added here by name.
    if (choice.name == "uldaq") {
        // A real board through the maker's Linux library; Device picks one by unique id.
        choice.board = MakeUldaqBoard(NormalisedName(settings.device));
        return choice;
    }
    choice.board = std::make_unique<AbsentBoard>("no board named \"" + choice.name +
                                                 "\" ([DAQ] Board= takes simulated or uldaq)");
    return choice;
}

}  // namespace corvane::daq
