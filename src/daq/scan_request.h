#pragma once
// One block scan as the program asks for it, once its arguments are checked.

namespace corvane::daq {

struct ScanRequest {
    int lowChannel = 0;
    int highChannel = 0;
    long count = 0;  // samples over all channels
    long rate = 0;   // scans per second (per channel)

    int Channels() const { return highChannel - lowChannel + 1; }
    // Time the board needs for the whole block.
    double Seconds() const {
        if (rate <= 0 || count <= 0) return 0.0;
        const long scans = (count + Channels() - 1) / Channels();
        return static_cast<double>(scans) / static_cast<double>(rate);
    }
    // A tachometer-only scan is the Dyna: the student lets the engine run up
    // from a low speed while it records, so the model accelerates the flywheel.
    bool IsDynaRun() const { return lowChannel == 1 && highChannel == 1; }
};

}  // namespace corvane::daq
