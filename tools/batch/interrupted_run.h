#pragma once
// A batch stopped by Ctrl+C, a kill or a closed terminal leaves no temporary
// files beside its results: they are removed before the program ends.

#include <string>
#include <vector>

namespace corvane::tools {

// From now on SIGINT, SIGTERM and SIGHUP end the program only after the
// temporary files beside each of `targets` that no other running program
// holds are removed; the program then ends by that signal, as it would have.
// Call before any other thread starts (they inherit the blocked signals).
void RemoveTemporariesWhenInterrupted(std::vector<std::string> targets);

}  // namespace corvane::tools
