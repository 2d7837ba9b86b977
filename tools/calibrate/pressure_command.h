#pragma once
// corvane-calibrate pressure KPA=READING KPA=READING [--store INI]: the
// transducer's two-point calibration. Each point is a gauge pressure applied
// to the transducer (kPa above atmospheric) and its reading there: volts, or
// a grab capture file taken meanwhile (its pressure channel's mean). Prints
// CSV with the header pressure_scale,pressure_zero_volts; --store also writes
// them into the settings file's [Performance].

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace corvane::calibrate {

class PressureCommand {
public:
    explicit PressureCommand(CLI::App& app);
    bool chosen() const { return command_->parsed(); }
    // The exit status: 0, 1 when a reading or the store failed.
    int Run() const;

private:
    CLI::App* command_;
    std::vector<std::string> points_;
    std::string store_;
};

}  // namespace corvane::calibrate
